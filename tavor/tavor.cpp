// The colour library: reads a 24-bit BMP, recolours it and writes it back.
// The formulas and the accepted file layout are described in tavor.h.

#include "tavor.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kOutHeaderSize = kFileHeaderSize + kInfoHeaderSize;
constexpr std::size_t kLargestInfoHeader = 124; // BITMAPV5HEADER
constexpr std::uint32_t kPixelsPerMetre = 2835;
constexpr std::size_t kIoChunk = std::size_t{1} << 30;

// ---------------------------------------------------------------- colour tables

struct Tables {
    std::uint8_t b[256];
    std::uint8_t g[256];
    std::uint8_t r[256];
};

struct Rgb {
    int r, g, b;
};

constexpr int luma(int r, int g, int b) {
    return (77 * r + 150 * g + 29 * b + 128) >> 8;
}

// n / d rounded half away from zero, d > 0.
constexpr int roundDiv(int n, int d) {
    return n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
}

constexpr int clampValue(int v) {
    return std::clamp(v, 0, 255);
}

// One channel of the ramp black -> key -> white, keyLuma being the key's luma.
void fillRamp(std::uint8_t* table, int key, int keyLuma) {
    for (int y = 0; y < 256; ++y) {
        int c;
        if (y <= keyLuma)
            c = keyLuma == 0 ? 0 : (key * y + keyLuma / 2) / keyLuma;
        else
            c = key + ((255 - key) * (y - keyLuma) + (255 - keyLuma) / 2) / (255 - keyLuma);
        table[y] = static_cast<std::uint8_t>(c);
    }
}

// The full key moved toward the grey of its own luma; v = 0 keeps a quarter of it.
Rgb scaledKey(Rgb full, int v) {
    const int l = luma(full.r, full.g, full.b);
    const int s = 64 + (191 * v + 127) / 255;
    return {l + roundDiv((full.r - l) * s, 255), l + roundDiv((full.g - l) * s, 255),
            l + roundDiv((full.b - l) * s, 255)};
}

Tables makeTables(int mode, int red, int green, int blue) {
    Rgb key{128, 128, 128}; // grey key: the ramp is the identity
    switch (mode) {
    case TAVOR_MODE_SEPIA:
        key = scaledKey({230, 130, 40}, red);
        break;
    case TAVOR_MODE_GREEN:
        key = scaledKey({30, 190, 60}, green);
        break;
    case TAVOR_MODE_BLUE:
        key = scaledKey({30, 80, 220}, blue);
        break;
    case TAVOR_MODE_TINT:
        key = {red, green, blue};
        break;
    default:
        break;
    }
    Tables t;
    const int l = luma(key.r, key.g, key.b);
    fillRamp(t.r, key.r, l);
    fillRamp(t.g, key.g, l);
    fillRamp(t.b, key.b, l);
    return t;
}

// Recolours one row of pixels of step bytes each, blue, green, red first;
// src may equal dst.
template <std::size_t step>
inline void convertRow(const std::uint8_t* src, std::uint8_t* dst, std::size_t width,
                       const Tables& t) {
    for (std::size_t x = 0; x < width; ++x) {
        const unsigned y = (29u * src[0] + 150u * src[1] + 77u * src[2] + 128u) >> 8;
        dst[0] = t.b[y];
        dst[1] = t.g[y];
        dst[2] = t.r[y];
        src += step;
        dst += step;
    }
}

// ---------------------------------------------------------------- BMP layout

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t le16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

void put32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}
void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}

struct Layout {
    std::size_t width = 0;
    std::size_t height = 0;
    bool topDown = false;
    std::size_t rowSize = 0;    // bytes per row, padding included
    std::size_t pixelStart = 0; // offset of the first row in the file
    std::size_t total = 0;      // bytes of the file that are used
};

// Checks the headers in the first bytes of a file of fileSize bytes.
int parseHeader(const std::uint8_t* h, std::size_t have, std::uint64_t fileSize, Layout& out) {
    if (have < 2 || h[0] != 'B' || h[1] != 'M')
        return TAVOR_E_FORMAT;
    if (have < kFileHeaderSize + 4)
        return TAVOR_E_TRUNCATED;
    const std::uint32_t infoSize = le32(h + kFileHeaderSize);
    if (infoSize < kInfoHeaderSize || infoSize > 0x10000)
        return TAVOR_E_FORMAT;
    if (have < kOutHeaderSize)
        return TAVOR_E_TRUNCATED;

    const std::uint32_t offBits = le32(h + 10);
    const std::int32_t width = static_cast<std::int32_t>(le32(h + 18));
    const std::int32_t height = static_cast<std::int32_t>(le32(h + 22));
    const std::uint16_t planes = le16(h + 26);
    const std::uint16_t bits = le16(h + 28);
    const std::uint32_t compression = le32(h + 30);

    if (planes != 1 || bits != 24 || compression != 0 /* BI_RGB */)
        return TAVOR_E_FORMAT;
    if (width <= 0 || height == 0)
        return TAVOR_E_FORMAT;

    const std::uint64_t w = static_cast<std::uint64_t>(width);
    const std::uint64_t hAbs =
        height < 0 ? std::uint64_t(0) - std::uint64_t(std::int64_t(height)) : std::uint64_t(height);
    if (w * hAbs > static_cast<std::uint64_t>(TAVOR_MAX_PIXELS))
        return TAVOR_E_SIZE;

    const std::uint64_t headersEnd = kFileHeaderSize + std::uint64_t(infoSize);
    if (offBits < headersEnd)
        return TAVOR_E_FORMAT;
    const std::uint64_t rowSize = (w * 3 + 3) & ~std::uint64_t(3);
    const std::uint64_t total = std::uint64_t(offBits) + rowSize * hAbs;
    if (headersEnd > fileSize || total > fileSize)
        return TAVOR_E_TRUNCATED;

    out.width = static_cast<std::size_t>(w);
    out.height = static_cast<std::size_t>(hAbs);
    out.topDown = height < 0;
    out.rowSize = static_cast<std::size_t>(rowSize);
    out.pixelStart = offBits;
    out.total = static_cast<std::size_t>(total);
    return TAVOR_OK;
}

// ---------------------------------------------------------------- file I/O

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// Reads exactly n bytes at offset; TAVOR_E_TRUNCATED when the file ends first.
int readAt(int fd, std::uint8_t* buf, std::size_t n, off_t offset) {
    while (n > 0) {
        const ssize_t got = ::pread(fd, buf, std::min(n, kIoChunk), offset);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return TAVOR_E_READ;
        }
        if (got == 0)
            return TAVOR_E_TRUNCATED;
        buf += got;
        n -= static_cast<std::size_t>(got);
        offset += got;
    }
    return TAVOR_OK;
}

bool writeAll(int fd, const std::uint8_t* buf, std::size_t n) {
    while (n > 0) {
        const ssize_t put = ::write(fd, buf, std::min(n, kIoChunk));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        buf += put;
        n -= static_cast<std::size_t>(put);
    }
    return true;
}

struct Picture {
    std::unique_ptr<std::uint8_t[]> data; // the used part of the file, headers included
    Layout layout;
};

int readPicture(const char* path, Picture& pic) {
    // Only regular files: a FIFO or device would block or never end.
    struct stat st;
    if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode))
        return TAVOR_E_OPEN;
    Fd fd(::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        return TAVOR_E_OPEN;
    // The path may have been swapped between stat and open.
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return TAVOR_E_OPEN;
    const std::uint64_t fileSize = static_cast<std::uint64_t>(st.st_size);

    std::uint8_t head[kFileHeaderSize + kLargestInfoHeader];
    const std::size_t have =
        static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, sizeof head));
    int rc = readAt(fd.get(), head, have, 0);
    if (rc != TAVOR_OK)
        return rc;
    rc = parseHeader(head, have, fileSize, pic.layout);
    if (rc != TAVOR_OK)
        return rc;

    pic.data.reset(new (std::nothrow) std::uint8_t[pic.layout.total]);
    if (!pic.data)
        return TAVOR_E_MEMORY;
    return readAt(fd.get(), pic.data.get(), pic.layout.total, 0);
}

// Recolours every row and leaves them in bottom-up order with zeroed padding.
void convertPicture(Picture& pic, const Tables& t) {
    const Layout& l = pic.layout;
    std::uint8_t* rows = pic.data.get() + l.pixelStart;
    const std::size_t used = l.width * 3;
    const auto convert = [&](std::size_t i) {
        std::uint8_t* row = rows + i * l.rowSize;
        convertRow<3>(row, row, l.width, t);
        std::memset(row + used, 0, l.rowSize - used);
    };
    if (!l.topDown) {
        for (std::size_t i = 0; i < l.height; ++i)
            convert(i);
        return;
    }
    // Top-down: convert the rows in mirrored pairs and swap them while they are hot.
    for (std::size_t i = 0, j = l.height - 1; i < j; ++i, --j) {
        convert(i);
        convert(j);
        std::swap_ranges(rows + i * l.rowSize, rows + (i + 1) * l.rowSize, rows + j * l.rowSize);
    }
    if (l.height % 2 == 1)
        convert(l.height / 2);
}

void makeOutHeader(const Layout& l, std::uint8_t* h) {
    const std::uint32_t imageSize = static_cast<std::uint32_t>(l.rowSize * l.height);
    std::memset(h, 0, kOutHeaderSize);
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, static_cast<std::uint32_t>(kOutHeaderSize) + imageSize);
    put32(h + 10, static_cast<std::uint32_t>(kOutHeaderSize));
    put32(h + 14, static_cast<std::uint32_t>(kInfoHeaderSize));
    put32(h + 18, static_cast<std::uint32_t>(l.width));
    put32(h + 22, static_cast<std::uint32_t>(l.height));
    put16(h + 26, 1);
    put16(h + 28, 24);
    put32(h + 34, imageSize);
    put32(h + 38, kPixelsPerMetre);
    put32(h + 42, kPixelsPerMetre);
}

std::atomic<unsigned> tempCounter{0};

// Writes the picture under a temporary name beside outPath and renames it into place.
int writePicture(const char* outPath, const Picture& pic) {
    const Layout& l = pic.layout;
    std::uint8_t header[kOutHeaderSize];
    makeOutHeader(l, header);

    struct stat old;
    const bool hadOld = ::stat(outPath, &old) == 0;
    if (hadOld && !S_ISREG(old.st_mode))
        return TAVOR_E_WRITE;

    std::string temp;
    int raw = -1;
    for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
        temp = std::string(outPath) + ".tavor-" + std::to_string(::getpid()) + "-" +
               std::to_string(tempCounter.fetch_add(1));
        raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (raw < 0 && errno != EEXIST)
            return TAVOR_E_WRITE;
    }
    if (raw < 0)
        return TAVOR_E_WRITE;
    Fd fd(raw);

    bool ok = true;
    if (hadOld)
        ok = ::fchmod(fd.get(), old.st_mode & 07777) == 0;
    ok = ok && writeAll(fd.get(), header, sizeof header) &&
         writeAll(fd.get(), pic.data.get() + l.pixelStart, l.rowSize * l.height);
    ok = ::close(fd.release()) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), outPath) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return TAVOR_E_WRITE;
    }
    return TAVOR_OK;
}

bool validMode(int mode) {
    switch (mode) {
    case TAVOR_MODE_SEPIA:
    case TAVOR_MODE_GREEN:
    case TAVOR_MODE_BLUE:
    case TAVOR_MODE_GRAY:
    case TAVOR_MODE_TINT:
        return true;
    default:
        return false;
    }
}

} // namespace

extern "C" TAVOR_API int MonocroPixels(unsigned char* pixels, int width, int height,
                                       long long bytesPerLine, int bytesPerPixel, int mode, int red,
                                       int green, int blue) {
    if (!validMode(mode))
        return TAVOR_E_MODE;
    if (!pixels || width < 1 || height < 1 || (bytesPerPixel != 3 && bytesPerPixel != 4))
        return TAVOR_E_ARG;
    const long long rowBytes = static_cast<long long>(width) * bytesPerPixel;
    if (bytesPerLine < rowBytes)
        return TAVOR_E_ARG;
    const Tables tables = makeTables(mode, clampValue(red), clampValue(green), clampValue(blue));
    for (int i = 0; i < height; ++i) {
        std::uint8_t* row = pixels + i * bytesPerLine;
        if (bytesPerPixel == 3)
            convertRow<3>(row, row, static_cast<std::size_t>(width), tables);
        else
            convertRow<4>(row, row, static_cast<std::size_t>(width), tables);
    }
    return TAVOR_OK;
}

extern "C" TAVOR_API int Monocro(const char* inPath, const char* outPath, int mode, int red,
                                 int green, int blue) {
    if (!inPath || !outPath || !*inPath || !*outPath)
        return TAVOR_E_ARG;
    if (!validMode(mode))
        return TAVOR_E_MODE;
    try {
        const Tables tables =
            makeTables(mode, clampValue(red), clampValue(green), clampValue(blue));
        Picture pic;
        int rc = readPicture(inPath, pic);
        if (rc != TAVOR_OK)
            return rc;
        convertPicture(pic, tables);
        return writePicture(outPath, pic);
    } catch (...) { // only allocations throw here
        return TAVOR_E_MEMORY;
    }
}
