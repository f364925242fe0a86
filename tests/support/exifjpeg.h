#pragma once

// JPEGs as cameras write them, for the image browser's tests and benchmark.

#include <QByteArray>

#include <cstdlib>
#include <cstring>
#include <libexif/exif-data.h>

// picture (a JPEG) with an EXIF block after its start marker: an orientation
// tag unless orientation is 0, and thumbnail (a JPEG) unless it is empty.
inline QByteArray WithExifBlock(const QByteArray& picture, const QByteArray& thumbnail,
                                int orientation) {
    ExifData* exif = exif_data_new();
    exif_data_set_byte_order(exif, EXIF_BYTE_ORDER_INTEL);
    if (orientation != 0) {
        ExifEntry* entry = exif_entry_new();
        exif_content_add_entry(exif->ifd[EXIF_IFD_0], entry);
        exif_entry_initialize(entry, EXIF_TAG_ORIENTATION);
        exif_set_short(entry->data, EXIF_BYTE_ORDER_INTEL, ExifShort(orientation));
        exif_entry_unref(entry);
    }
    if (!thumbnail.isEmpty()) {
        exif->data = static_cast<unsigned char*>(std::malloc(size_t(thumbnail.size())));
        std::memcpy(exif->data, thumbnail.constData(), size_t(thumbnail.size()));
        exif->size = unsigned(thumbnail.size());
    }
    unsigned char* block = nullptr;
    unsigned length = 0;
    exif_data_save_data(exif, &block, &length);
    exif_data_unref(exif);
    QByteArray app1("\xFF\xE1", 2);
    app1 += char((length + 2) >> 8);
    app1 += char((length + 2) & 0xFF);
    app1 += QByteArray(reinterpret_cast<const char*>(block), int(length));
    std::free(block);
    return picture.left(2) + app1 + picture.mid(2);
}
