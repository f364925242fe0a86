// Thumbnails through the desktop's shared thumbnail cache, and the thumbnail
// a camera keeps in a JPEG's EXIF block.

#include "browser/browserfiles.h"
#include "browser/thumbnailcache.h"
#include "exifjpeg.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QImageReader>
#include <QtTest>

#include <sys/stat.h>
#include <utime.h>

class TestThumbnailCache : public QObject {
    Q_OBJECT
private slots:
    void fileUri_data();
    void fileUri();
    void cachedThumbnail_data();
    void cachedThumbnail();
    void keptThumbnail_data();
    void keptThumbnail();
    void failureRecord();
    void exifThumbnail_data();
    void exifThumbnail();
};

namespace {

QByteArray encoded(QSize size, QColor color, const char* format = "jpg") {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void setMTime(const QString& path, qint64 seconds) {
    const utimbuf times{seconds, seconds};
    QCOMPARE(::utime(QFile::encodeName(path).constData(), &times), 0);
}

// A PNG as another desktop program leaves it in the cache.
void writeThumbnail(const QString& path, QColor color, const QString& uri, qint64 mtime) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(128, 96, QImage::Format_ARGB32);
    image.fill(color);
    image.setText("Thumb::URI", uri);
    image.setText("Thumb::MTime", QString::number(mtime));
    QVERIFY(image.save(path, "png"));
}

bool near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24 &&
           std::abs(a.blue() - b.blue()) < 24;
}

// A JPEG of a colour with an EXIF block: an orientation tag and, unless
// thumb is empty, a thumbnail of another colour.
QByteArray exifJpeg(QSize size, QSize thumb, int orientation) {
    return WithExifBlock(encoded(size, Qt::darkMagenta),
                         thumb.isEmpty() ? QByteArray() : encoded(thumb, Qt::green), orientation);
}

} // namespace

void TestThumbnailCache::fileUri_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("uri");
    QTest::addColumn<QString>("name");
    // The example of the thumbnail standard.
    QTest::newRow("plain") << "/home/jens/photos/me.png"
                           << QByteArray("file:///home/jens/photos/me.png")
                           << "c6ee772d9e49320e97ec29a7eb5b1697.png";
    QTest::newRow("blank, ; and #")
        << "/tmp/a b;c#1.jpg" << QByteArray("file:///tmp/a%20b%3Bc%231.jpg") << "";
    QTest::newRow("kept marks") << "/p/(1)_a-b.c~d!'*$&+,=@:.jpg"
                                << QByteArray("file:///p/(1)_a-b.c~d!'*$&+,=@:.jpg") << "";
    QTest::newRow("Japanese") << "/写真/1.jpg" << QByteArray("file:///%E5%86%99%E7%9C%9F/1.jpg")
                              << "";
}

void TestThumbnailCache::fileUri() {
    QFETCH(QString, path);
    QFETCH(QByteArray, uri);
    QFETCH(QString, name);
    QCOMPARE(ThumbnailCache::FileUri(path), uri);
    const ThumbnailCache cache("/c/thumbnails");
    const QString md5 = QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex();
    QCOMPARE(cache.thumbnailPath(uri, ThumbnailCache::Normal),
             "/c/thumbnails/normal/" + md5 + ".png");
    QCOMPARE(cache.thumbnailPath(uri, ThumbnailCache::Large),
             "/c/thumbnails/large/" + md5 + ".png");
    if (!name.isEmpty())
        QCOMPARE(md5 + ".png", name);
}

void TestThumbnailCache::cachedThumbnail_data() {
    QTest::addColumn<QString>("stored"); // what the cache holds beforehand
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QColor>("shown");
    QTest::addColumn<QString>("folder"); // where the thumbnail is afterwards
    QTest::newRow("none: decoded and stored")
        << "none" << QSize(128, 96) << QColor(Qt::darkMagenta) << "normal";
    QTest::newRow("another program's, taken")
        << "valid" << QSize(128, 96) << QColor(Qt::green) << "normal";
    QTest::newRow("stale, rewritten")
        << "stale" << QSize(128, 96) << QColor(Qt::darkMagenta) << "normal";
    QTest::newRow("another file's, rewritten")
        << "foreign" << QSize(128, 96) << QColor(Qt::darkMagenta) << "normal";
    QTest::newRow("broken, rewritten")
        << "broken" << QSize(128, 96) << QColor(Qt::darkMagenta) << "normal";
    QTest::newRow("large slot, large thumbnail")
        << "valid" << QSize(200, 150) << QColor(Qt::darkMagenta) << "large";
    QTest::newRow("folder in the way")
        << "folder" << QSize(128, 96) << QColor(Qt::darkMagenta) << "";
    QTest::newRow("cache not writable")
        << "read-only" << QSize(128, 96) << QColor(Qt::darkMagenta) << "";
}

void TestThumbnailCache::cachedThumbnail() {
    QFETCH(QString, stored);
    QFETCH(QSize, box);
    QFETCH(QColor, shown);
    QFETCH(QString, folder);
    QTemporaryDir dir;
    const QString picture = dir.filePath("pic 1.jpg");
    writeBytes(picture, encoded(QSize(800, 600), Qt::darkMagenta));
    setMTime(picture, 1700000000);
    const ThumbnailCache cache(dir.filePath("thumbnails"));
    const QByteArray uri = ThumbnailCache::FileUri(picture);
    const QString normal = cache.thumbnailPath(uri, ThumbnailCache::Normal);
    if (stored == "valid")
        writeThumbnail(normal, Qt::green, uri, 1700000000);
    else if (stored == "stale")
        writeThumbnail(normal, Qt::green, uri, 1600000000);
    else if (stored == "foreign")
        writeThumbnail(normal, Qt::green, "file:///other.jpg", 1700000000);
    else if (stored == "broken")
        writeThumbnail(normal, Qt::green, uri, 1700000000), QFile::resize(normal, 60);
    else if (stored == "folder")
        QDir().mkpath(normal);
    else if (stored == "read-only")
        writeBytes(dir.filePath("thumbnails"), "a file where the cache should be");

    const QImage image = CachedThumbnail(picture, box, cache);
    QCOMPARE(image.size(), QSize(box.width(), box.width() * 3 / 4));
    QVERIFY(near(image.pixelColor(10, 10), shown));
    if (folder.isEmpty())
        return;
    const QString path = dir.filePath("thumbnails/" + folder + "/") +
                         QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png";
    QImageReader reader(path, "png");
    const QImage written = reader.read();
    const int edge = folder == "large" ? 256 : 128;
    QCOMPARE(written.size(), QSize(edge, edge * 3 / 4));
    QCOMPARE(written.text("Thumb::URI"), QString(uri));
    QCOMPARE(written.text("Thumb::MTime"), QStringLiteral("1700000000"));
    QVERIFY(near(written.pixelColor(10, 10), folder == "large" ? QColor(Qt::darkMagenta) : shown));
    if (stored == "valid" && folder == "normal")
        return; // the other program's file, left as it was
    QCOMPARE(QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::ReadOther),
             QFile::Permissions());
}

// Only a valid stored thumbnail is taken; nothing is decoded or written.
void TestThumbnailCache::keptThumbnail_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<bool>("kept");
    QTest::newRow("none") << "none" << QSize(128, 96) << false;
    QTest::newRow("another program's") << "valid" << QSize(128, 96) << true;
    QTest::newRow("fitted to a smaller box") << "valid" << QSize(64, 64) << true;
    QTest::newRow("stale") << "stale" << QSize(128, 96) << false;
    QTest::newRow("another file's") << "foreign" << QSize(128, 96) << false;
    QTest::newRow("broken") << "broken" << QSize(128, 96) << false;
    QTest::newRow("large slot, only a normal one") << "valid" << QSize(200, 150) << false;
    QTest::newRow("a picture in the cache") << "inside" << QSize(128, 96) << false;
}

void TestThumbnailCache::keptThumbnail() {
    QFETCH(QString, stored);
    QFETCH(QSize, box);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    const ThumbnailCache cache(dir.filePath("thumbnails"));
    QString picture = dir.filePath("pic 1.jpg");
    if (stored == "inside") {
        QDir().mkpath(dir.filePath("thumbnails/normal"));
        picture = dir.filePath("thumbnails/normal/pic.jpg");
    }
    writeBytes(picture, encoded(QSize(800, 600), Qt::darkMagenta));
    setMTime(picture, 1700000000);
    const QByteArray uri = ThumbnailCache::FileUri(picture);
    const QString normal = cache.thumbnailPath(uri, ThumbnailCache::Normal);
    if (stored == "valid" || stored == "inside")
        writeThumbnail(normal, Qt::green, uri, 1700000000);
    else if (stored == "stale")
        writeThumbnail(normal, Qt::green, uri, 1600000000);
    else if (stored == "foreign")
        writeThumbnail(normal, Qt::green, "file:///other.jpg", 1700000000);
    else if (stored == "broken")
        writeThumbnail(normal, Qt::green, uri, 1700000000), QFile::resize(normal, 60);
    const auto before = QFileInfo(normal).lastModified();

    const QImage image = KeptThumbnail(picture, box, cache);
    QCOMPARE(!image.isNull(), kept);
    if (kept) {
        QCOMPARE(image.size(), QSize(128, 96).scaled(box, Qt::KeepAspectRatio));
        QVERIFY(near(image.pixelColor(5, 5), Qt::green));
    }
    // Nothing stored, rewritten or recorded as failed.
    QCOMPARE(QFileInfo(normal).lastModified(), before);
    QVERIFY(!QFileInfo::exists(cache.thumbnailPath(uri, ThumbnailCache::Large)));
    QVERIFY(!QFileInfo::exists(cache.failurePath(uri)));
}

// A file no thumbnail can be made of is recorded under fail/, and not tried
// again until it changes.
void TestThumbnailCache::failureRecord() {
    QTemporaryDir dir;
    const QString file = dir.filePath("notes.jpg");
    writeBytes(file, "not a picture\n");
    setMTime(file, 1700000000);
    const ThumbnailCache cache(dir.filePath("thumbnails"));
    QVERIFY(CachedThumbnail(file, QSize(128, 96), cache).isNull());
    const QByteArray uri = ThumbnailCache::FileUri(file);
    const QString record = dir.filePath("thumbnails/fail/quillo-2.40/") +
                           QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png";
    const QImage failure(record, "png");
    QCOMPARE(failure.text("Thumb::URI"), QString(uri));
    QCOMPARE(failure.text("Thumb::MTime"), QStringLiteral("1700000000"));

    // A picture with a record of its own state: not tried; changed: tried.
    const QString picture = dir.filePath("good.jpg");
    writeBytes(picture, encoded(QSize(400, 300), Qt::darkMagenta));
    setMTime(picture, 1700000000);
    QImage own(1, 1, QImage::Format_ARGB32);
    own.setText("Thumb::URI", ThumbnailCache::FileUri(picture));
    own.setText("Thumb::MTime", "1700000000");
    QVERIFY(own.save(cache.failurePath(ThumbnailCache::FileUri(picture)), "png"));
    QVERIFY(CachedThumbnail(picture, QSize(128, 96), cache).isNull());
    setMTime(picture, 1700000100);
    QCOMPARE(CachedThumbnail(picture, QSize(128, 96), cache).size(), QSize(128, 96));
}

void TestThumbnailCache::exifThumbnail_data() {
    QTest::addColumn<QSize>("thumb"); // empty: none
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QColor>("shown");
    QTest::newRow("large enough, taken")
        << QSize(160, 120) << 1 << QSize(128, 96) << QSize(128, 96) << QColor(Qt::green);
    QTest::newRow("too small for the box")
        << QSize(160, 120) << 1 << QSize(256, 192) << QSize(256, 192) << QColor(Qt::darkMagenta);
    QTest::newRow("another shape")
        << QSize(160, 90) << 1 << QSize(128, 96) << QSize(128, 96) << QColor(Qt::darkMagenta);
    QTest::newRow("turned upright")
        << QSize(160, 120) << 6 << QSize(128, 96) << QSize(72, 96) << QColor(Qt::green);
    QTest::newRow("none, turned upright")
        << QSize() << 8 << QSize(128, 96) << QSize(72, 96) << QColor(Qt::darkMagenta);
}

void TestThumbnailCache::exifThumbnail() {
    QFETCH(QSize, thumb);
    QFETCH(int, orientation);
    QFETCH(QSize, box);
    QFETCH(QSize, size);
    QFETCH(QColor, shown);
    QTemporaryDir dir;
    const QString path = dir.filePath("camera.jpg");
    writeBytes(path, exifJpeg(QSize(1600, 1200), thumb, orientation));
    const QImage image = ReadThumbnail(path, box);
    QCOMPARE(image.size(), size);
    QVERIFY(near(image.pixelColor(image.width() / 2, image.height() / 2), shown));
}

QTEST_MAIN(TestThumbnailCache)
#include "test_thumbnailcache.moc"
