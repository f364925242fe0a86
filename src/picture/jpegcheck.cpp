#include "jpegcheck.h"

#include <QFile>

#include <cstring>

namespace {

// Huffman-coded frames: baseline, extended, progressive, lossless.
bool isHuffmanFrame(uchar code) {
    return code >= 0xC0 && code <= 0xC3;
}
bool isFrame(uchar code) {
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

} // namespace

bool JpegComplete(const uchar* p, qint64 n) {
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return false;
    qint64 i = 2;
    // The main picture's frame: its size, and whether its data is Huffman
    // coded; and the bytes of all its scans.
    bool haveFrame = false, huffman = false;
    qint64 width = 0, height = 0, scanBytes = 0;
    for (;;) {
        // Like the decoder, tolerate stray bytes before a marker.
        const void* ff = std::memchr(p + i, 0xFF, size_t(n - i));
        if (!ff)
            return false;
        i = static_cast<const uchar*>(ff) - p;
        while (i < n && p[i] == 0xFF)
            ++i;
        if (i >= n)
            return false;
        const uchar code = p[i++];
        if (code == 0xD9) {
            // Huffman coding spends at least one bit on every 8 × 8 block of
            // the full-resolution component (its DC difference). Data that
            // cannot hold that many bits does not match the header: a small
            // file claiming 65500 × 65500 pixels would be decoded at length
            // into a grey picture.
            if (haveFrame && huffman && width > 0 && height > 0) {
                const qint64 blocks = ((width + 7) / 8) * ((height + 7) / 8);
                if (scanBytes * 8 < blocks)
                    return false;
            }
            return true;
        }
        if (code == 0x00 || code == 0x01 || (code >= 0xD0 && code <= 0xD7))
            continue;
        if (i + 2 > n)
            return false;
        const int length = p[i] << 8 | p[i + 1];
        if (length < 2 || i + length > n)
            return false;
        if (isFrame(code) && !haveFrame && length >= 7) {
            haveFrame = true;
            huffman = isHuffmanFrame(code);
            height = p[i + 3] << 8 | p[i + 4];
            width = p[i + 5] << 8 | p[i + 6];
        }
        i += length;
        if (code != 0xDA)
            continue;
        const qint64 scanStart = i;
        // Scan data: 0xFF 0x00 is a stuffed byte, 0xFF 0xD0-0xD7 a restart.
        for (;;) {
            const void* mark = std::memchr(p + i, 0xFF, size_t(n - i));
            if (!mark)
                return false;
            i = static_cast<const uchar*>(mark) - p;
            if (i + 1 >= n)
                return false;
            const uchar next = p[i + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7))
                i += 2;
            else if (next == 0xFF)
                ++i;
            else
                break;
        }
        scanBytes += i - scanStart;
    }
}

bool JpegFileComplete(QFile& f) {
    const qint64 n = f.size();
    if (uchar* data = n > 0 ? f.map(0, n) : nullptr) {
        const bool complete = JpegComplete(data, n);
        f.unmap(data);
        return complete;
    }
    const qint64 at = f.pos();
    f.seek(0);
    const QByteArray bytes = f.readAll();
    f.seek(at);
    return JpegComplete(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size());
}
