#include "startup.h"

#include <QBuffer>
#include <QImageReader>
#include <QThreadPool>

#include <malloc.h>

void KeepLargeBuffers() {
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
}

void LoadPictureReadersInBackground() {
    QThreadPool::globalInstance()->start([] {
        // Nothing to read: every plugin is loaded to be asked whether it
        // can read it.
        QBuffer nothing;
        nothing.open(QIODevice::ReadOnly);
        QImageReader(&nothing).canRead();
    });
}
