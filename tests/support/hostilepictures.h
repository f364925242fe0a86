#pragma once

// Picture files that claim more than they hold, for the picture loader's
// tests and the command line's.

#include "exifjpeg.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>

#include <algorithm>
#include <gif_lib.h>
#include <jpeglib.h>

namespace hostile {

// Noise does not compress: a JPEG of it has data enough for the sizes its
// header is made to claim.
inline QByteArray noise(QSize size, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator rng(size.width());
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, rng.bounded(0x1000000u));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

// The frame header made to claim another size than the data holds.
inline QByteArray claiming(QByteArray jpeg, QSize size) {
    for (const char* frame : {"\xFF\xC0", "\xFF\xCA"}) {
        const qsizetype at = jpeg.indexOf(QByteArray(frame, 2));
        const char claim[4] = {char(size.height() >> 8), char(size.height()),
                               char(size.width() >> 8), char(size.width())};
        if (at >= 0)
            return jpeg.replace(at + 5, 4, QByteArray(claim, 4));
    }
    return {};
}

// 16 × 16 grey pixels, progressive and arithmetic coded: a few hundred
// bytes, which need no bits for blocks that repeat the last.
inline QByteArray tinyMultiScanJpeg() {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = info.image_height = 16;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    info.arith_code = TRUE;
    jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    JSAMPLE row[16 * 3];
    std::fill(std::begin(row), std::end(row), JSAMPLE(128));
    for (JSAMPROW rows[1] = {row}; info.next_scanline < 16;)
        jpeg_write_scanlines(&info, rows, 1);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

// A GIF of noise in 256 colours.
inline QByteArray gif(QSize size) {
    QByteArray bytes;
    int error = 0;
    GifFileType* file = EGifOpen(
        &bytes,
        [](GifFileType* f, const GifByteType* data, int n) {
            static_cast<QByteArray*>(f->UserData)->append(reinterpret_cast<const char*>(data), n);
            return n;
        },
        &error);
    GifColorType colors[256];
    for (int i = 0; i < 256; ++i)
        colors[i] = {GifByteType(i), GifByteType(255 - i), GifByteType(i * 7)};
    ColorMapObject* map = GifMakeMapObject(256, colors);
    EGifPutScreenDesc(file, size.width(), size.height(), 8, 0, map);
    EGifPutImageDesc(file, 0, 0, size.width(), size.height(), false, nullptr);
    QRandomGenerator rng(5);
    QByteArray line(size.width(), '\0');
    for (int y = 0; y < size.height(); ++y) {
        for (char& c : line)
            c = char(rng.bounded(256));
        EGifPutLine(file, reinterpret_cast<GifPixelType*>(line.data()), size.width());
    }
    EGifCloseFile(file, &error);
    GifFreeMapObject(map);
    return bytes;
}

struct PictureFile {
    QString ending;
    QByteArray bytes;
};

// The files by the names the tests give them.
inline PictureFile picture(const QString& kind) {
    const QByteArray jpeg = noise(QSize(600, 400), "jpg");
    const QByteArray cutGif = gif(QSize(300, 200));
    const QList<std::pair<QString, PictureFile>> files{
        {"png 60000 x 1", {"png", noise(QSize(60000, 1), "png")}},
        {"gif cut to a third", {"gif", cutGif.left(cutGif.size() / 3)}},
        {"jpeg cut in half, end marker added", {"jpg", jpeg.left(jpeg.size() / 2) + "\xFF\xD9"}},
        {"jpeg claiming twice its rows", {"jpg", claiming(jpeg, QSize(600, 800))}},
        {"jpeg claiming 4097 columns", {"jpg", claiming(jpeg, QSize(4097, 400))}},
        {"jpeg claiming 8000 x 8000",
         {"jpg", claiming(noise(QSize(1000, 1000), "jpg"), QSize(8000, 8000))}},
        // Turned upright by its EXIF block: the general reader decodes it.
        {"jpeg turned upright, claiming twice its rows",
         {"jpg", WithExifBlock(claiming(jpeg, QSize(600, 800)), {}, 6)}},
        {"jpeg of a few hundred bytes claiming 13072 x 65292",
         {"jpg", claiming(tinyMultiScanJpeg(), QSize(13072, 65292))}}};
    for (const auto& [name, file] : files)
        if (name == kind)
            return file;
    qFatal("no picture of the kind %s", qPrintable(kind));
    return {};
}

} // namespace hostile
