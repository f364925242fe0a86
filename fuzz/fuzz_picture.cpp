// The picture loader: the bytes as a picture file of each kind its name can
// say, decoded as the card picture is, then recoloured; and the JPEG
// completeness check on the bytes themselves.

#include "base/runtimeerror.h"
#include "fuzzfile.h"
#include "picture/cardpicture.h"
#include "picture/jpegcheck.h"
#include "tavor.h"

#include <QCoreApplication>
#include <QImage>

#include <new>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv); // the picture format plugins
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    JpegComplete(data, qint64(size));
    // The ending picks the decoder the name suggests; the content decides
    // for the others.
    static const char* names[] = {"picture.jpg", "picture.bmp", "picture.png",
                                  "picture.gif", "picture.tif", "picture"};
    const char* name = names[size > 0 ? data[0] % 6 : 0];
    try {
        QImage image = ReadPicture(FuzzFile(name, data, size));
        MonocroPixels(image.bits(), image.width(), image.height(), image.bytesPerLine(), 4,
                      TAVOR_MODE_SEPIA, 63, 0, 0);
    } catch (const RuntimeError&) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}
