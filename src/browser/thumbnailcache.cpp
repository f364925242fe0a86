#include "thumbnailcache.h"

#include "base/safewrite.h"
#include "browserfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <cstring>

namespace {

const QString UriKey = QStringLiteral("Thumb::URI");
const QString MTimeKey = QStringLiteral("Thumb::MTime");
const QString SizeKey = QStringLiteral("Thumb::Size");
constexpr auto Private = QFile::ReadOwner | QFile::WriteOwner;
constexpr auto PrivateFolder = Private | QFile::ExeOwner;

// Bytes kept as they are in a file URI's path; all others become %XX.
bool keptInUri(uchar c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return std::strchr("-_.!~*'()/$&+,:=@", c) != nullptr && c != 0;
}

// Makes a folder of the cache (and the cache itself) readable by the user only.
bool makeFolder(const QString& root, const QString& sub) {
    QDir dir;
    if (!dir.exists(root)) {
        dir.mkpath(QFileInfo(root).absolutePath());
        if (!dir.mkdir(root, PrivateFolder) && !dir.exists(root))
            return false;
    }
    QString path = root;
    for (const QString& part : sub.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + part;
        if (!dir.exists(path) && !dir.mkdir(path, PrivateFolder) && !dir.exists(path))
            return false;
    }
    return true;
}

} // namespace

ThumbnailCache::Flavor ThumbnailCache::FlavorFor(QSize box) {
    return box.width() <= Edge(Normal) && box.height() <= Edge(Normal) ? Normal : Large;
}

QString ThumbnailCache::DefaultRoot() {
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    return QDir::cleanPath(base + QStringLiteral("/thumbnails"));
}

ThumbnailCache::ThumbnailCache(const QString& root) : m_root(QDir::cleanPath(root)) {}

QByteArray ThumbnailCache::FileUri(const QString& absolutePath) {
    const QByteArray path = QFile::encodeName(absolutePath);
    QByteArray uri = "file://";
    uri.reserve(path.size() * 3 + uri.size());
    static const char hex[] = "0123456789ABCDEF";
    for (const char ch : path) {
        const auto c = uchar(ch);
        if (keptInUri(c)) {
            uri += ch;
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

QString ThumbnailCache::thumbnailPath(const QByteArray& uri, Flavor flavor) const {
    const QByteArray md5 = QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex();
    return m_root + (flavor == Large ? QStringLiteral("/large/") : QStringLiteral("/normal/")) +
           QString::fromLatin1(md5) + QStringLiteral(".png");
}

QString ThumbnailCache::failurePath(const QByteArray& uri) const {
    const QByteArray md5 = QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex();
    return m_root + QLatin1Char('/') + QLatin1String(FailureFolder) + QLatin1Char('/') +
           QString::fromLatin1(md5) + QStringLiteral(".png");
}

bool ThumbnailCache::holds(const QString& absolutePath) const {
    const QString path = QDir::cleanPath(absolutePath);
    return path == m_root || path.startsWith(m_root + QLatin1Char('/'));
}

bool ThumbnailCache::matches(const QImage& image, const Source& source) {
    if (image.text(UriKey).toLatin1() != source.uri)
        return false;
    bool ok = false;
    const QString mtime = image.text(MTimeKey);
    qint64 seconds = mtime.toLongLong(&ok);
    if (!ok) // some programs write fractions of a second
        seconds = qint64(mtime.toDouble(&ok));
    if (!ok || seconds != source.mtime)
        return false;
    const QString size = image.text(SizeKey);
    return size.isEmpty() || size.toLongLong() == source.size;
}

namespace {

// A PNG of the cache, read only when it is a regular file of a thumbnail's
// size: anything else under that name is no thumbnail.
QImage readCachePng(const QString& path, int edge) {
    QFile file;
    if (!OpenRegularFile(path, file))
        return {};
    // Read as a PNG without loading every picture plugin to ask it first.
    QImageReader reader(&file, "png");
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > edge || size.height() > edge)
        return {};
    return reader.read();
}

} // namespace

QImage ThumbnailCache::find(const Source& source, Flavor flavor) const {
    QImage image = readCachePng(thumbnailPath(source.uri, flavor), Edge(flavor));
    if (image.isNull() || !matches(image, source))
        return {};
    return image;
}

bool ThumbnailCache::hasFailed(const Source& source) const {
    const QImage record = readCachePng(failurePath(source.uri), Edge(Large));
    return !record.isNull() && matches(record, source);
}

bool ThumbnailCache::store(const Source& source, const QImage& thumbnail, Flavor flavor) const {
    if (thumbnail.isNull())
        return false;
    const int edge = Edge(flavor);
    QImage image = thumbnail.width() > edge || thumbnail.height() > edge
                       ? thumbnail.scaled(edge, edge, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                       : thumbnail;
    if (!makeFolder(m_root, flavor == Large ? QStringLiteral("large") : QStringLiteral("normal")))
        return false;
    // Thumbnails are RGBA PNGs, whatever the picture was.
    return write(thumbnailPath(source.uri, flavor), image.convertToFormat(QImage::Format_ARGB32),
                 source);
}

bool ThumbnailCache::storeFailure(const Source& source) const {
    if (!makeFolder(m_root, QLatin1String(FailureFolder)))
        return false;
    QImage record(1, 1, QImage::Format_ARGB32);
    record.fill(Qt::transparent);
    return write(failurePath(source.uri), record, source);
}

bool ThumbnailCache::write(const QString& path, const QImage& image, const Source& source) const {
    // The keys go on the image: the writer's own text option cuts keys at
    // their first colon.
    QImage keyed = image;
    keyed.setText(UriKey, QString::fromLatin1(source.uri));
    keyed.setText(MTimeKey, QString::number(source.mtime));
    keyed.setText(SizeKey, QString::number(source.size));
    keyed.setText(QStringLiteral("Software"), QStringLiteral("Quillo 2.40"));
    const int error = WriteFileSafely(
        path, [&](QIODevice& device) { return QImageWriter(&device, "png").write(keyed); });
    if (error != 0)
        return false;
    QFile::setPermissions(path, Private);
    return true;
}
