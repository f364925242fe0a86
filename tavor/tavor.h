#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#define TAVOR_API __attribute__((visibility("default")))

// Reads the 24-bit BMP file inPath, recolours it and writes outPath (the two
// may be the same file). Returns 0 on success, a negative value on failure.
TAVOR_API int Monocro(const char* inPath, const char* outPath, int mode, int red, int green,
                      int blue);

#ifdef __cplusplus
}
#endif
