#include "workbitmap.h"

#include "base/runtimeerror.h"
#include "base/safewrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QImage>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThreadPool>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int BmpHeaders = 14 + 40;

// The folders this run writes working bitmaps in, and the files it made
// for itself, removed when the program ends. Only the GUI thread loads
// pictures.
struct WorkBitmaps {
    std::map<QString, QString> pathByFolder;
    ~WorkBitmaps() {
        for (const auto& [folder, path] : pathByFolder) {
            if (!path.endsWith(QLatin1String("/Tavor.bmp")))
                QFile::remove(path);
        }
    }
};

WorkBitmaps& workBitmaps() {
    static WorkBitmaps bitmaps;
    return bitmaps;
}

// A run that held a folder's lock takes away the bitmaps of runs that ended
// without removing theirs (killed, crashed).
void removeLeftovers(const QString& folder) {
    static const QRegularExpression name(QStringLiteral("^Tavor-(\\d+)\\.bmp$"));
    const QStringList files = QDir(folder).entryList({QStringLiteral("Tavor-*.bmp")}, QDir::Files);
    for (const QString& file : files) {
        const QRegularExpressionMatch match = name.match(file);
        if (!match.hasMatch())
            continue;
        const qint64 pid = match.captured(1).toLongLong();
        if (pid > 0 && pid <= INT_MAX && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            QFile::remove(folder + QLatin1Char('/') + file);
    }
}

} // namespace

QString WorkBitmapPath(const QString& folder) {
    WorkBitmaps& bitmaps = workBitmaps();
    if (const auto known = bitmaps.pathByFolder.find(folder); known != bitmaps.pathByFolder.end())
        return known->second;
    // The lock lasts as long as the run: the descriptor stays open.
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QString path;
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        path = folder + QStringLiteral("/Tavor.bmp");
        removeLeftovers(folder);
    } else {
        if (fd >= 0)
            ::close(fd);
        // The folder cannot be locked (it is missing, or another run holds
        // it): a file of this run's own.
        path = folder + QStringLiteral("/Tavor-%1.bmp").arg(QCoreApplication::applicationPid());
    }
    bitmaps.pathByFolder.emplace(folder, path);
    return path;
}

int WriteWorkBitmap(const QImage& image, const QString& path,
                    const std::function<bool(int first, int end)>& prepareRows) {
    Q_ASSERT(image.format() == QImage::Format_RGB32);
    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 rowSize = (width * 3 + 3) & ~qint64(3);
    const qint64 pixelBytes = rowSize * height;
    if (BmpHeaders + pixelBytes > qint64(UINT32_MAX))
        return RuntimeError::Overflow;

    // The bitmap being replaced is let go on another thread. When the last
    // name of a file of tens of MB goes, the kernel frees its pages there and
    // then, which would hold this thread about as long as writing the new one;
    // held open here, the file is freed when that thread closes it.
    const int replaced =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    const auto letGo = qScopeGuard([replaced] {
        if (replaced >= 0)
            QThreadPool::globalInstance()->start([replaced] { ::close(replaced); });
    });
    SafeFile file(path, SafeFile::Kind::Scratch);
    if (const int error = file.open())
        return error;
    uchar header[BmpHeaders] = {};
    const auto put32 = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = uchar(v >> (8 * i));
    };
    header[0] = 'B';
    header[1] = 'M';
    put32(2, quint32(BmpHeaders + pixelBytes));
    put32(10, BmpHeaders);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    header[26] = 1;  // planes
    header[28] = 24; // bits per pixel
    put32(34, quint32(pixelBytes));
    put32(38, 2835); // 72 dpi, as the colour library writes
    put32(42, 2835);
    QIODevice& out = file.device();
    errno = 0;
    if (out.write(reinterpret_cast<const char*>(header), BmpHeaders) != BmpHeaders)
        return file.fail();
    // Bands of about a megabyte from the top of the picture; a band's rows
    // lie in the file bottom-up, blue, green, red, just before those of the
    // band above.
    const qint64 rowsPerBlock = std::max<qint64>(1, (qint64(1) << 20) / rowSize);
    QByteArray block(rowsPerBlock * rowSize, '\0'); // the padding bytes stay zero
    for (qint64 first = 0; first < height; first += rowsPerBlock) {
        const qint64 end = std::min(height, first + rowsPerBlock);
        if (prepareRows && !prepareRows(int(first), int(end))) {
            file.cancel();
            return RuntimeError::DeviceIo;
        }
        uchar* d = reinterpret_cast<uchar*>(block.data());
        for (qint64 y = end - 1; y >= first; --y, d += rowSize) {
            const auto* s = reinterpret_cast<const QRgb*>(image.constScanLine(int(y)));
            // Each pixel is stored as four bytes, blue, green, red and a
            // fourth that the next pixel overwrites: one store a pixel.
            qint64 x = 0;
            for (; x + 1 < width; ++x) {
                const quint32 bgrx = qToLittleEndian(quint32(s[x]));
                std::memcpy(d + 3 * x, &bgrx, 4);
            }
            d[3 * x] = uchar(s[x]);
            d[3 * x + 1] = uchar(s[x] >> 8);
            d[3 * x + 2] = uchar(s[x] >> 16);
        }
        const qint64 bytes = (end - first) * rowSize;
        errno = 0;
        if (!file.seek(BmpHeaders + (height - end) * rowSize) ||
            out.write(block.constData(), bytes) != bytes)
            return file.fail();
    }
    return file.commit();
}
