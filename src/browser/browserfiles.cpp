#include "browserfiles.h"

#include "picture/jpegcheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QStorageInfo>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QStringList MountedDrives() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Containers bind-mount single files (/etc/hosts): not drives.
        const QString root = volume.rootPath();
        if (volume.isValid() && volume.isReady() && QFileInfo(root).isDir() &&
            !roots.contains(root))
            roots << root;
    }
    roots.removeAll(QStringLiteral("/"));
    roots.sort();
    roots.prepend(QStringLiteral("/"));
    return roots;
}

QString DriveOf(const QString& folder) {
    const QStorageInfo volume(folder);
    return volume.isValid() ? volume.rootPath() : QStringLiteral("/");
}

QStringList MatchingFiles(const QString& folder, const QString& patterns) {
    QStringList filters = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& f : filters) {
        f = f.trimmed();
        if (f == QLatin1String("*.*"))
            f = QStringLiteral("*");
    }
    const QDir dir(folder);
    return dir.entryList(filters, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
}

QString FolderFilePath(const QString& folder, const QString& name) {
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

namespace {

quint32 le32(const uchar* p) {
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

// The reader makes up the missing rows of an uncompressed BMP cut short; the
// file size tells. Run-length encoded BMPs end where their data says.
bool bmpComplete(QFile& f) {
    const QByteArray head = f.peek(54);
    const auto* h = reinterpret_cast<const uchar*>(head.constData());
    if (head.size() < 26)
        return false;
    const quint32 infoSize = le32(h + 14);
    qint64 width, rows, bits, compression = 0;
    if (infoSize == 12) { // the old OS/2 header
        width = h[18] | h[19] << 8;
        rows = h[20] | h[21] << 8;
        bits = h[24] | h[25] << 8;
    } else {
        if (head.size() < 54)
            return false;
        width = qint32(le32(h + 18));
        rows = std::abs(qint64(qint32(le32(h + 22))));
        bits = h[28] | h[29] << 8;
        compression = le32(h + 30);
    }
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (!uncompressed || width <= 0 || bits <= 0)
        return true;
    const qint64 rowSize = (width * bits + 31) / 32 * 4;
    return qint64(le32(h + 10)) + rowSize * rows <= f.size();
}

} // namespace

QImage ReadThumbnail(const QString& path, QSize box) {
    // Opened without waiting for a writer, then kept only if it is a regular
    // file: a FIFO named like a picture would otherwise block in open().
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {};
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    const QByteArray magic = file.peek(2);
    if (magic == QByteArray("\xFF\xD8", 2) && !JpegFileComplete(file))
        return {};
    if (magic == "BM" && !bmpComplete(file))
        return {};
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return {};
    if (size.width() > box.width() || size.height() > box.height())
        reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    // A picture turned upright by its orientation tag (a camera's TIFF or
    // JPEG held sideways) is scaled before it is turned: fit it once more.
    if (!image.isNull() && (image.width() > box.width() || image.height() > box.height()))
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}
