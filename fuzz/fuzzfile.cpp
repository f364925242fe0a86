#include "fuzzfile.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// Made once and never freed: the exit handler that removes the folder runs
// after the static objects are gone.
const QString& folder() {
    static const QString* dir = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        auto* path = new QString(base + QStringLiteral("/quillo-fuzz-%1").arg(::getpid()));
        QDir().mkpath(*path);
        std::atexit([] { QDir(folder()).removeRecursively(); });
        return path;
    }();
    return *dir;
}

} // namespace

QString FuzzFile(const char* name, const std::uint8_t* data, std::size_t size) {
    const QString path = folder() + QLatin1Char('/') + QLatin1String(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}
