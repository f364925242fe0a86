#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// The thumbnails the desktop's programs share: PNG files in
// $XDG_CACHE_HOME/thumbnails/normal (at most 128 × 128) and large (256 × 256),
// named by the MD5 of the picture's file URI and carrying that URI and the
// picture's modification time as the text keys "Thumb::URI" and
// "Thumb::MTime". A thumbnail whose keys do not match the picture is stale
// (or another file's) and is ignored, then written anew. A picture no
// thumbnail can be made of is recorded under fail/<program>-<version>/, so
// that it is not decoded again until it changes.
//
// Nothing here reports an error: a cache that cannot be read or written only
// costs the time to decode the picture again. Thumbnails are written through
// the safe-write routine, so a reader never sees half a file.
class ThumbnailCache {
public:
    enum Flavor { Normal, Large };
    // The largest width and height of a thumbnail of the flavor.
    static int Edge(Flavor flavor) { return flavor == Large ? 256 : 128; }
    // The smallest flavor whose thumbnails fill a box of this size.
    static Flavor FlavorFor(QSize box);

    // The folder of failure records of this program.
    static constexpr const char* FailureFolder = "fail/quillo-2.40";

    // $XDG_CACHE_HOME/thumbnails, or ~/.cache/thumbnails when it is not set.
    static QString DefaultRoot();
    explicit ThumbnailCache(const QString& root = DefaultRoot());
    const QString& root() const { return m_root; }

    // The URI of a file as the desktop's programs name it: "file://" and the
    // absolute path, UTF-8, every byte outside letters, digits and
    // -_.!~*'()/$&+,:=@ written as %XX.
    static QByteArray FileUri(const QString& absolutePath);
    // Where the thumbnail of that URI lies, and its failure record.
    QString thumbnailPath(const QByteArray& uri, Flavor flavor) const;
    QString failurePath(const QByteArray& uri) const;
    // Whether a file lies in the cache itself: such files get no thumbnails.
    bool holds(const QString& absolutePath) const;

    // The picture as the cache knows it: its URI, its modification time in
    // whole seconds and its size in bytes.
    struct Source {
        QByteArray uri;
        qint64 mtime = 0;
        qint64 size = 0;
    };
    // The stored thumbnail of the picture; null when there is none, it is
    // stale or another picture's, or the file is not a readable PNG.
    QImage find(const Source& source, Flavor flavor) const;
    // Stores a thumbnail (fitted to the flavor's edge first); false when it
    // could not be written.
    bool store(const Source& source, const QImage& thumbnail, Flavor flavor) const;
    // Whether this program failed on the picture as it is now.
    bool hasFailed(const Source& source) const;
    bool storeFailure(const Source& source) const;

private:
    bool write(const QString& path, const QImage& image, const Source& source) const;
    static bool matches(const QImage& image, const Source& source);

    QString m_root;
};
