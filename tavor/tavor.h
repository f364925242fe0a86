#pragma once

/*
 * tavor — the colour library behind the card picture's colour modes.
 *
 * Monocro reads a 24-bit BMP file, recolours every pixel and writes the result
 * as a 24-bit bottom-up BMP.
 *
 * Input: "BM" file header, an info header of at least 40 bytes (BITMAPINFOHEADER
 * or the later V4/V5 headers), 1 plane, 24 bits per pixel, BI_RGB (no
 * compression), width > 0, height != 0 (negative = top-down rows), rows padded
 * to 4 bytes, at most TAVOR_MAX_PIXELS pixels. Anything else is refused with an
 * error code; the library never reads past the end of the file and never
 * blocks (a folder, FIFO or device is refused before it is opened).
 *
 * Output: 14-byte file header + 40-byte BITMAPINFOHEADER, 24 bits, BI_RGB,
 * bottom-up rows, padding bytes zero, 2835 pixels per metre (72 dpi) both ways.
 * The file is written under a temporary name beside outPath and renamed over
 * it when complete, so inPath and outPath may be the same file and a failure
 * leaves an existing outPath as it was. An existing outPath keeps its
 * permission bits.
 *
 * Colour modes
 * ------------
 * Every mode turns the picture into a one-hue monochrome. It first takes the
 * pixel's luma (Rec. 601 weights, integer):
 *
 *     Y = (77·R + 150·G + 29·B + 128) >> 8                    0 ≤ Y ≤ 255
 *
 * and then gives the pixel the colour found at Y on a ramp that runs from black
 * through a key colour K to white, with K placed at its own luma L = Y(K):
 *
 *     Y ≤ L:  C' = (K_c·Y + L/2) / L
 *     Y > L:  C' = K_c + ((255 − K_c)·(Y − L) + (255 − L)/2) / (255 − L)
 *
 * for each channel c of R, G, B (integer division). Black stays black, white
 * stays white, each channel rises with Y, and the luma of the result equals Y
 * up to rounding, so the picture keeps its light and shade. The ramp is
 * computed once per call as three 256-entry tables indexed by Y.
 *
 * The key colour per mode (values are first clamped to 0–255; v is the value
 * the mode uses):
 *
 *   1 sepia (red)         full key  F = (230, 130, 40), a warm brown
 *   2 green (green)       full key  F = ( 30, 190, 60)
 *   3 blue  (blue)        full key  F = ( 30,  80, 220)
 *       strength  s = 64 + (191·v + 127) / 255             (64 … 255)
 *       K_c = L_F + round((F_c − L_F) · s / 255),  L_F = Y(F)
 *     i.e. K is F moved toward the grey of F's own luma; v = 0 gives the mode's
 *     lightest tone (a quarter of full strength, still plainly sepia, green or
 *     blue), v = 255 the full key. The dialog's sepia preset 63 gives
 *     K = (185, 141, 102), a classic sepia brown. The other two values are not
 *     used.
 *
 *   5 black and white     C' = Y for all three channels (R = G = B). No value
 *                         is used.
 *
 *   6 free tint           K = (red, green, blue) as given: the pixel's luma
 *                         tinted toward that colour. A grey K (red = green =
 *                         blue, including 0, 0, 0 and the dialog's preset
 *                         127, 127, 127) gives plain black and white; the
 *                         further K is from grey, the stronger the tint.
 *
 * Any other mode (0, 4, negative, above 6) is refused with TAVOR_E_MODE before
 * any file is touched.
 */

#ifdef __cplusplus
extern "C" {
#endif

#define TAVOR_API __attribute__((visibility("default")))

/* Colour modes, as stored in the card's PicColorMode. */
enum TavorMode {
    TAVOR_MODE_SEPIA = 1,
    TAVOR_MODE_GREEN = 2,
    TAVOR_MODE_BLUE = 3,
    TAVOR_MODE_GRAY = 5,
    TAVOR_MODE_TINT = 6
};

/* Results of Monocro: 0 on success, one of these negative codes otherwise. */
enum TavorResult {
    TAVOR_OK = 0,
    TAVOR_E_ARG = -1,       /* a path is null or empty */
    TAVOR_E_MODE = -2,      /* not one of the modes above */
    TAVOR_E_OPEN = -3,      /* input missing, not a regular file, or not openable */
    TAVOR_E_READ = -4,      /* I/O error while reading the input */
    TAVOR_E_FORMAT = -5,    /* not a 24-bit uncompressed BMP */
    TAVOR_E_TRUNCATED = -6, /* a BMP whose headers or pixel rows are cut short */
    TAVOR_E_SIZE = -7,      /* width × height above TAVOR_MAX_PIXELS */
    TAVOR_E_MEMORY = -8,    /* the file does not fit in memory */
    TAVOR_E_WRITE = -9      /* the output could not be created, written or renamed */
};

/* Largest picture accepted, in pixels (width × height). */
#define TAVOR_MAX_PIXELS 100000000LL

/* Reads the 24-bit BMP file inPath, recolours it for mode with the values red,
 * green and blue (0–255, clamped), and writes outPath (may equal inPath).
 * Returns TAVOR_OK or a negative TavorResult; on failure outPath is unchanged. */
TAVOR_API int Monocro(const char* inPath, const char* outPath, int mode, int red, int green,
                      int blue);

/* Recolours a picture already in memory, for callers that decoded it
 * themselves: height rows of width pixels, the rows bytesPerLine bytes apart
 * (in the order they are stored; which way up does not matter). A pixel is bytesPerPixel bytes:
 * 3 for blue, green, red (a BMP row), 4 for blue, green, red and a fourth
 * byte that is left as it is (a 32-bit 0xAARRGGBB pixel in little-endian
 * memory). Same modes, values and colours as Monocro. Returns TAVOR_OK,
 * TAVOR_E_MODE, or TAVOR_E_ARG for a null buffer or an impossible layout
 * (width or height below 1, bytesPerPixel not 3 or 4, rows shorter than
 * width pixels); the pixels are then untouched. */
TAVOR_API int MonocroPixels(unsigned char* pixels, int width, int height, long long bytesPerLine,
                            int bytesPerPixel, int mode, int red, int green, int blue);

#ifdef __cplusplus
}
#endif
