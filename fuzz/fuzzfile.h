#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// Readers that take a path get the fuzzer's bytes as a file: one file per
// name in a folder of this process, in memory where /dev/shm is there.
QString FuzzFile(const char* name, const std::uint8_t* data, std::size_t size);
