#include "browserfiles.h"

#include "picture/jpegcheck.h"
#include "thumbnailcache.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QStorageInfo>
#include <QThreadPool>
#include <QTransform>

#include <libexif/exif-data.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
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

namespace {

// Natural order in the desktop's language. The C locale's collation
// compares code points only, numbers too.
QCollator fileNameCollator() {
    const QLocale locale =
        QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

} // namespace

void LoadFileOrderInBackground() {
    QThreadPool::globalInstance()->start(
        [] { fileNameCollator().compare(QStringLiteral("a1"), QStringLiteral("a2")); });
}

QStringList MatchingFiles(const QString& folder, const QString& patterns) {
    QStringList filters = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& f : filters) {
        f = f.trimmed();
        if (f == QLatin1String("*.*"))
            f = QStringLiteral("*");
    }
    const QDir dir(folder);
    QStringList names = dir.entryList(filters, QDir::Files | QDir::Readable, QDir::Unsorted);
    const QCollator collator = fileNameCollator();
    // Names the collation holds equal (photo_01, photo_1) keep one order.
    std::sort(names.begin(), names.end(), [&collator](const QString& a, const QString& b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
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

// The picture turned as its EXIF orientation says, the way the decoder
// turns the picture itself: mirrored or flipped first, then a quarter turn.
QImage oriented(const QImage& image, int orientation) {
    switch (orientation) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.mirrored(true, true);
    case 4:
        return image.mirrored(false, true);
    case 5:
        return image.mirrored(false, true).transformed(QTransform().rotate(90));
    case 6:
        return image.transformed(QTransform().rotate(90));
    case 7:
        return image.mirrored(true, false).transformed(QTransform().rotate(90));
    case 8:
        return image.transformed(QTransform().rotate(270));
    default:
        return image;
    }
}

// The thumbnail a camera put into the EXIF block of a JPEG whose start is
// head, turned upright, when it has the shape of the picture (stored is the
// picture's size before turning) and is at least as large as the picture
// fitted into box. Null otherwise.
QImage exifThumbnail(const QByteArray& head, QSize stored, QSize box) {
    ExifData* exif = exif_data_new();
    if (!exif)
        return {};
    exif_data_load_data(exif, reinterpret_cast<const uchar*>(head.constData()),
                        unsigned(head.size()));
    QImage thumbnail;
    int orientation = 1;
    if (exif->data && exif->size > 0) {
        thumbnail = QImage::fromData(
            QByteArray::fromRawData(reinterpret_cast<const char*>(exif->data), int(exif->size)),
            "jpeg");
        if (ExifEntry* e = exif_content_get_entry(exif->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
            e && e->format == EXIF_FORMAT_SHORT && e->components == 1)
            orientation = exif_get_short(e->data, exif_data_get_byte_order(exif));
    }
    exif_data_unref(exif);
    if (thumbnail.isNull() || stored.isEmpty())
        return {};
    // The same shape: the widths over the heights differ by less than 2 %.
    const double picture = double(stored.width()) / stored.height();
    const double own = double(thumbnail.width()) / thumbnail.height();
    if (std::abs(own - picture) > 0.02 * picture)
        return {};
    thumbnail = oriented(thumbnail, orientation);
    QSize upright = orientation >= 5 && orientation <= 8 ? stored.transposed() : stored;
    const QSize fitted = upright.scaled(box, Qt::KeepAspectRatio).boundedTo(upright);
    if (thumbnail.width() < fitted.width() || thumbnail.height() < fitted.height())
        return {};
    return thumbnail.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// A picture fitted into box; smaller ones keep their size.
QImage fittedInto(const QImage& image, QSize box) {
    if (image.width() <= box.width() && image.height() <= box.height())
        return image;
    return image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

bool OpenRegularFile(const QString& path, QFile& file) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

QImage ReadThumbnail(const QString& path, QSize box) {
    QFile file;
    if (!OpenRegularFile(path, file))
        return {};
    const QByteArray magic = file.peek(2);
    const bool jpeg = magic == QByteArray("\xFF\xD8", 2);
    if (jpeg && !JpegFileComplete(file))
        return {};
    if (magic == "BM" && !bmpComplete(file))
        return {};
    // The EXIF block lies in the first segment, at most 64 KB long.
    const QByteArray head = jpeg ? file.peek(70 * 1024) : QByteArray();
    // A JPEG is read as one without asking every picture plugin first (with
    // the format named, Qt still loads each plugin to ask it about it).
    QImageReader reader(&file, jpeg ? QByteArrayLiteral("jpeg") : QByteArray());
    reader.setAutoDetectImageFormat(!jpeg);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return {};
    if (jpeg) {
        const QImage own = exifThumbnail(head, size, box);
        if (!own.isNull())
            return own;
    }
    reader.setAutoTransform(true);
    // The decoder scales before it turns the picture upright.
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize target = turned ? box.transposed() : box;
    if (size.width() > target.width() || size.height() > target.height())
        reader.setScaledSize(size.scaled(target, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return fittedInto(reader.read(), box);
}

namespace {

// The picture as the cache knows it. Nothing for anything but a regular
// file, which has no thumbnail to keep, and for the cache's own pictures,
// which are shown without making thumbnails of thumbnails.
std::optional<ThumbnailCache::Source> cacheSource(const QString& path,
                                                  const ThumbnailCache& cache) {
    struct stat st {};
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (::stat(QFile::encodeName(absolute).constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        cache.holds(absolute))
        return std::nullopt;
    return ThumbnailCache::Source{ThumbnailCache::FileUri(absolute), qint64(st.st_mtime),
                                  qint64(st.st_size)};
}

} // namespace

QImage KeptThumbnail(const QString& path, QSize box, const ThumbnailCache& cache) {
    const auto source = cacheSource(path, cache);
    if (!source)
        return {};
    const QImage thumbnail = cache.find(*source, ThumbnailCache::FlavorFor(box));
    return thumbnail.isNull() ? QImage() : fittedInto(thumbnail, box);
}

QImage CachedThumbnail(const QString& path, QSize box, const ThumbnailCache& cache) {
    const auto known = cacheSource(path, cache);
    if (!known)
        return ReadThumbnail(path, box);
    const ThumbnailCache::Source& source = *known;
    const ThumbnailCache::Flavor flavor = ThumbnailCache::FlavorFor(box);
    QImage thumbnail = cache.find(source, flavor);
    if (thumbnail.isNull()) {
        if (cache.hasFailed(source))
            return {};
        const int edge = ThumbnailCache::Edge(flavor);
        thumbnail = ReadThumbnail(path, QSize(edge, edge));
        if (thumbnail.isNull()) {
            cache.storeFailure(source);
            return {};
        }
        cache.store(source, thumbnail, flavor);
    }
    return fittedInto(thumbnail, box);
}
