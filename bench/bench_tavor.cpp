// Converting a 12-megapixel working bitmap, file to file, as the picture settings do.

#include "tavor.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

// A photo-like 24-bit bottom-up BMP: smooth gradients with some fine detail.
// Removed again when the program ends.
struct Input {
    std::string path;
    Input();
    ~Input() { ::unlink(path.c_str()); }
};

Input::Input() {
    path = "/tmp/bench_tavor_" + std::to_string(::getpid()) + "_in.bmp";
    const std::uint32_t rowSize = (kWidth * 3 + 3) & ~3u;
    std::vector<std::uint8_t> file(54 + std::size_t(rowSize) * kHeight);
    std::uint8_t* h = file.data();
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, std::uint32_t(file.size()));
    put32(h + 10, 54);
    put32(h + 14, 40);
    put32(h + 18, kWidth);
    put32(h + 22, kHeight);
    h[26] = 1;
    h[28] = 24;
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = h + 54 + std::size_t(rowSize) * y;
        for (int x = 0; x < kWidth; ++x) {
            row[3 * x] = std::uint8_t(x * 255 / kWidth);
            row[3 * x + 1] = std::uint8_t(y * 255 / kHeight);
            row[3 * x + 2] = std::uint8_t((x ^ y) & 255);
        }
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(file.data(), 1, file.size(), f) != file.size())
        std::abort();
    std::fclose(f);
}

void convertFile(benchmark::State& state) {
    static const Input input;
    const std::string& in = input.path;
    const std::string out = "/tmp/bench_tavor_" + std::to_string(::getpid()) + "_out.bmp";
    const int mode = int(state.range(0));
    for (auto _ : state) {
        if (Monocro(in.c_str(), out.c_str(), mode, 63, 0, 0) != TAVOR_OK) {
            state.SkipWithError("Monocro failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    state.SetBytesProcessed(state.iterations() *
                            (54 + std::int64_t((kWidth * 3 + 3) & ~3) * kHeight));
    ::unlink(out.c_str());
}

} // namespace

BENCHMARK(convertFile)
    ->Arg(TAVOR_MODE_SEPIA)
    ->Arg(TAVOR_MODE_GRAY)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
