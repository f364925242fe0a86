// The colour library's BMP reader: the bytes as a BMP file, converted in
// the mode the last byte picks, onto a file of its own.

#include "fuzzfile.h"
#include "tavor.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int modes[] = {TAVOR_MODE_SEPIA, TAVOR_MODE_GREEN, TAVOR_MODE_BLUE,
                                TAVOR_MODE_GRAY, TAVOR_MODE_TINT};
    const int mode = size > 0 ? modes[data[size - 1] % 5] : TAVOR_MODE_SEPIA;
    const QByteArray in = QFile::encodeName(FuzzFile("in.bmp", data, size));
    const QByteArray out = QFile::encodeName(FuzzFile("out.bmp", nullptr, 0));
    Monocro(in.constData(), out.constData(), mode, 200, 100, 50);
    return 0;
}
