// The card picture: what LoadCardPicture shows and tells for each kind of
// file, the colour modes through the colour library, the scaled decoding of
// large pictures, and dropped files.

#include "base/runtimeerror.h"
#include "document/cardfile.h"
#include "exifjpeg.h"
#include "hostilepictures.h"
#include "picture/cardpicture.h"
#include "tavor.h"
#include "testcontext.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct LibraryCall {
    QString in, out; // empty for a picture recoloured in memory
    QSize size;      // of a picture recoloured in memory
    int mode, red, green, blue, result;
};
QList<LibraryCall> libraryCalls;

template <typename Entry> Entry libraryEntry(const char* name) {
    static void* lib = dlopen(TAVOR_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    void* entry = lib ? dlsym(lib, name) : nullptr;
    if (!entry)
        qFatal("the colour library %s cannot be loaded", TAVOR_LIBRARY);
    return reinterpret_cast<Entry>(entry);
}

} // namespace

// Stands between the program and the colour library: records every call and
// hands it on to the real library.
extern "C" int Monocro(const char* in, const char* out, int mode, int red, int green, int blue) {
    using Entry = int (*)(const char*, const char*, int, int, int, int);
    static const Entry real = libraryEntry<Entry>("Monocro");
    const int rc = real(in, out, mode, red, green, blue);
    libraryCalls.append(
        {QFile::decodeName(in), QFile::decodeName(out), {}, mode, red, green, blue, rc});
    return rc;
}

extern "C" int MonocroPixels(unsigned char* pixels, int width, int height, long long bytesPerLine,
                             int bytesPerPixel, int mode, int red, int green, int blue) {
    using Entry = int (*)(unsigned char*, int, int, long long, int, int, int, int, int);
    static const Entry real = libraryEntry<Entry>("MonocroPixels");
    const int rc = real(pixels, width, height, bytesPerLine, bytesPerPixel, mode, red, green, blue);
    libraryCalls.append({{}, {}, QSize(width, height), mode, red, green, blue, rc});
    return rc;
}

namespace {

const QString NotFound = QStringLiteral("画像ファイルが見つかりません");
const QString Truncated = QStringLiteral("画像ファイルが途中で切れています。");

int luma(QRgb c) {
    return (77 * qRed(c) + 150 * qGreen(c) + 29 * qBlue(c) + 128) >> 8;
}

// Every channel varies across the picture, with plenty of mid-tones, and no
// two rows or columns are alike: a flipped, mirrored or channel-swapped
// result shows.
QImage testPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb(30 + 190 * x / std::max(1, w - 1), 30 + 190 * y / std::max(1, h - 1),
                          220 - 190 * (x + y) / std::max(1, w + h - 2));
    }
    return img;
}

QByteArray encode(const QImage& img, const char* format, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(92);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(img))
        qFatal("cannot encode a test picture as %s", format);
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

quint32 crc32(const QByteArray& data) {
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : data) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void appendBe32(QByteArray& b, quint32 v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        b.append(char(v >> shift));
}

QByteArray pngChunk(const char* type, const QByteArray& body) {
    QByteArray typed = QByteArray(type) + body;
    QByteArray chunk;
    appendBe32(chunk, quint32(body.size()));
    chunk += typed;
    appendBe32(chunk, crc32(typed));
    return chunk;
}

// A valid PNG header for a picture of w × h pixels (RGB of 8 bits unless
// said otherwise) followed by a few bytes of compressed rows.
QByteArray hugePng(quint32 w, quint32 h, char bits = 8, char colourType = 2) {
    QByteArray ihdr;
    appendBe32(ihdr, w);
    appendBe32(ihdr, h);
    ihdr += bits;
    ihdr += colourType;
    ihdr += QByteArray("\x00\x00\x00", 3); // deflate, no filter, no interlace
    const QByteArray rows = qCompress(QByteArray(4096, '\0')).mid(4); // the zlib stream
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) + pngChunk("IDAT", rows) +
           pngChunk("IEND", {});
}

// Source files by kind; each test builds the ones it needs in its folder.
QString makeSource(const QString& dir, const QString& kind, QSize size = QSize(64, 48)) {
    const QImage picture = testPicture(size.width(), size.height());
    auto file = [&](const QString& name, const QByteArray& bytes) {
        const QString path = dir + QLatin1Char('/') + name;
        if (!writeFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    };
    if (kind == "jpg")
        return file("photo.jpg", encode(picture, "jpg"));
    if (kind == "jpg turned") // stored lying down, an EXIF tag turns it upright
        return file("turned.jpg", WithExifBlock(encode(picture, "jpg"), {}, 6));
    if (kind == "jpg progressive")
        return file("progressive.jpg", encode(picture, "jpg", true));
    if (kind == "jpg grey")
        return file("grey.jpg", encode(picture.convertToFormat(QImage::Format_Grayscale8), "jpg"));
    if (kind == "png")
        return file("photo.png", encode(picture, "png"));
    if (kind == "tif")
        return file("photo.tif", encode(picture, "tif"));
    if (kind == "bmp")
        return file("photo.bmp", encode(picture, "bmp"));
    if (kind == "BMP")
        return file("PHOTO.BMP", encode(picture, "bmp"));
    if (kind == "bmp8")
        return file("indexed.bmp", encode(picture.convertToFormat(QImage::Format_Indexed8), "bmp"));
    if (kind == "png alpha") {
        QImage a = picture.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width() / 2; ++x)
                a.setPixel(x, y, qRgba(0, 0, 0, 0));
        return file("cutout.png", encode(a, "png"));
    }
    if (kind == "text jpg")
        return file("notes.jpg", "These are notes, not a picture.\n");
    if (kind == "text png")
        return file("notes.png", "These are notes, not a picture.\n");
    if (kind == "empty bmp")
        return file("empty.bmp", {});
    if (kind == "noise gif") {
        QByteArray noise(2000, '\0');
        QRandomGenerator rng(7);
        for (char& c : noise)
            c = char(rng.bounded(256));
        return file("noise.gif", noise);
    }
    if (kind == "half jpg") {
        const QByteArray whole = encode(testPicture(400, 300), "jpg");
        return file("half.jpg", whole.left(whole.size() / 2));
    }
    if (kind == "half bmp") {
        const QByteArray whole = encode(testPicture(400, 300), "bmp");
        return file("half.bmp", whole.left(whole.size() / 2));
    }
    if (kind == "jpg claiming 65500") { // a small JPEG whose header claims 65500 × 65500
        QByteArray bytes = encode(picture, "jpg");
        const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
        if (sof < 0)
            qFatal("no baseline frame header");
        bytes.replace(sof + 5, 4, QByteArray("\xFF\xDC\xFF\xDC", 4));
        return file("claims.jpg", bytes);
    }
    if (kind == "jpg without its table") {
        // The first component's quantisation table is one the file never
        // defines: the headers read, the decoding fails at its start.
        QByteArray bytes = encode(testPicture(400, 300), "jpg");
        const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
        if (sof < 0)
            qFatal("no baseline frame header");
        bytes[sof + 12] = 3;
        return file("untabled.jpg", bytes);
    }
    if (kind == "bmp claiming 2^31-1") { // headers of a 24-bit BMP of 2^31-1 squared
        QByteArray bytes = encode(picture, "bmp");
        for (int at : {18, 22})
            bytes.replace(at, 4, QByteArray("\xFF\xFF\xFF\x7F", 4));
        return file("claims.bmp", bytes);
    }
    if (kind == "bmp top-down" || kind == "bmp8 top-down") {
        // The rows stored top first, as a negative height says.
        const bool indexed = kind == "bmp8 top-down";
        QByteArray bytes =
            encode(indexed ? picture.convertToFormat(QImage::Format_Indexed8) : picture, "bmp");
        const auto at = [&](int i) { return qFromLittleEndian<qint32>(bytes.constData() + i); };
        const int start = at(10), height = at(22),
                  bits = qFromLittleEndian<quint16>(bytes.constData() + 28);
        const int rowSize = (at(18) * bits + 31) / 32 * 4;
        QByteArray rows;
        for (int y = height - 1; y >= 0; --y)
            rows += bytes.mid(start + y * rowSize, rowSize);
        bytes.replace(start, rows.size(), rows);
        qToLittleEndian<qint32>(-height, bytes.data() + 22);
        return file(indexed ? "topdown8.bmp" : "topdown.bmp", bytes);
    }
    if (kind == "huge png")
        return file("huge.png", hugePng(30000, 30000));
    if (kind.startsWith(u"hostile ")) {
        const hostile::PictureFile made = hostile::picture(kind.mid(8));
        return file(QStringLiteral("hostile.") + made.ending, made.bytes);
    }
    if (kind == "folder") {
        const QString path = dir + QStringLiteral("/folder.jpg");
        QDir().mkpath(path);
        return path;
    }
    if (kind == "fifo") {
        const QString path = dir + QStringLiteral("/pipe.bmp");
        if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
            qFatal("mkfifo failed");
        return path;
    }
    qFatal("unknown source kind %s", qPrintable(kind));
}

// Whether the data folder holds exactly the given files (no leftovers of an
// interrupted write).
QStringList dataFiles(const TestContext& t) {
    return QDir(DataFolderPath(t.app)).entryList(QDir::Files | QDir::System | QDir::Hidden);
}

QString workPath(const TestContext& t) {
    return DataFolderPath(t.app) + QStringLiteral("/Tavor.bmp");
}

QImage marker() {
    QImage img(3, 2, QImage::Format_RGB32);
    img.fill(qRgb(1, 2, 3));
    return img;
}

} // namespace

class TestCardPicture : public QObject {
    Q_OBJECT
private slots:
    void init() { libraryCalls.clear(); }

    void nothingToConvert_data();
    void nothingToConvert();
    void unreadablePicture_data();
    void unreadablePicture();
    void workBitmapNotWritable_data();
    void workBitmapNotWritable();
    void jpegCompleteness_data();
    void jpegCompleteness();
    void plainCopyWithoutLibrary_data();
    void plainCopyWithoutLibrary();
    void libraryRouting_data();
    void libraryRouting();
    void colourModes_data();
    void colourModes();
    void largePictureDecodedScaled_data();
    void largePictureDecodedScaled();
    void recolouredWhileDecoding_data();
    void recolouredWhileDecoding();
    void decodedAsTheReaderDecodes_data();
    void decodedAsTheReaderDecodes();
    void decodeMemoryLimit_data();
    void decodeMemoryLimit();
    void noWorkPath();
    void workBitmapBelongsToOneRun();
    void concurrentConvertsKeepTheirPictures();
    void dropAcceptance_data();
    void dropAcceptance();
    void dropTakesFirstPicture_data();
    void dropTakesFirstPicture();
    void dropSameFileAgain();
    void dropUnstorableName();
};

// The cases that end before any conversion: the canvas is laid out and
// cleared, nothing is written. With the background picture off Image1 keeps
// the card's picture (printing may still use it); a card without a picture, or
// whose picture is gone, leaves none behind.
void TestCardPicture::nothingToConvert_data() {
    QTest::addColumn<int>("haikei");
    QTest::addColumn<QString>("path"); // "@photo" = an existing picture
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("keepsPicture");
    QTest::newRow("background picture off") << 0 << "@photo" << QStringList{} << true;
    QTest::newRow("off, file missing") << 0 << "/nonexistent/photo.jpg" << QStringList{} << true;
    QTest::newRow("file missing") << 1 << "/nonexistent/photo.jpg" << QStringList{NotFound}
                                  << false;
    QTest::newRow("dangling link") << 1 << "@link" << QStringList{NotFound} << false;
    QTest::newRow("blank path") << 1 << "" << QStringList{} << false;
    QTest::newRow("blanks only") << 1 << "   " << QStringList{} << false;
}

void TestCardPicture::nothingToConvert() {
    QFETCH(int, haikei);
    QFETCH(QString, path);
    QFETCH(QStringList, messages);
    QFETCH(bool, keepsPicture);
    TestContext t;
    if (path == "@photo")
        path = makeSource(t.dir.path(), "jpg");
    if (path == "@link") {
        path = t.path("link.jpg");
        QVERIFY(QFile::link(t.path("gone.jpg"), path));
    }
    t.app.HaikeiFlg = haikei;
    t.doc.card.PicPath = path;
    t.doc.picture.set(t.doc.card, marker()); // the picture made for this card

    LoadCardPicture(t.doc, t.ui, t.app);

    QCOMPARE(t.ui.texts(), messages);
    for (const auto& msg : t.ui.messages)
        QCOMPARE(msg.buttons, UiServices::Ok);
    // The picture leaves the canvas's size to the print style.
    QCOMPARE(t.view.layoutCalls, 0);
    QCOMPARE(t.view.pictureClears, 1);
    QCOMPARE(t.view.pictureShows, 0);
    QCOMPARE(t.doc.pictureImage().isNull(), !keepsPicture);
    if (keepsPicture)
        QCOMPARE(t.doc.pictureImage(), marker());
    QVERIFY(libraryCalls.isEmpty());
    QCOMPARE(dataFiles(t), QStringList{});
}

// Files that cannot become the card picture: one message, the description,
// one blank and the number, with the file beneath; promptly, with nothing
// written. The picture shown before is not kept for the new settings: the
// card is shown and printed without a picture.
void TestCardPicture::unreadablePicture_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    const QString invalid = RuntimeError::describe(RuntimeError::InvalidPicture);
    const QString access = RuntimeError::describe(RuntimeError::PathFileAccess);
    const QString tooLarge =
        QStringLiteral("画像が大きすぎて読み込めません（30000 × 30000 ピクセル）。");
    QTest::newRow("text named .jpg") << "text jpg" << 0 << 481 << invalid;
    QTest::newRow("text named .png, sepia") << "text png" << 1 << 481 << invalid;
    QTest::newRow("empty .bmp") << "empty bmp" << 0 << 481 << invalid;
    QTest::newRow("empty .bmp, green") << "empty bmp" << 2 << 481 << invalid;
    QTest::newRow("random bytes .gif") << "noise gif" << 0 << 481 << invalid;
    QTest::newRow("half a JPEG") << "half jpg" << 0 << 481 << Truncated;
    QTest::newRow("half a JPEG, sepia") << "half jpg" << 1 << 481 << Truncated;
    QTest::newRow("half a BMP") << "half bmp" << 0 << 481 << Truncated;
    QTest::newRow("half a BMP, sepia") << "half bmp" << 1 << 481 << Truncated;
    QTest::newRow("JPEG claiming 65500 x 65500") << "jpg claiming 65500" << 0 << 481 << Truncated;
    QTest::newRow("JPEG claiming 65500 x 65500, sepia")
        << "jpg claiming 65500" << 1 << 481 << Truncated;
    QTest::newRow("JPEG without its quantisation table")
        << "jpg without its table" << 0 << 481 << invalid;
    QTest::newRow("JPEG without its quantisation table, sepia")
        << "jpg without its table" << 1 << 481 << invalid;
    QTest::newRow("BMP claiming 2^31-1 squared") << "bmp claiming 2^31-1" << 0 << 481 << invalid;
    QTest::newRow("BMP claiming 2^31-1 squared, black and white")
        << "bmp claiming 2^31-1" << 5 << 481 << invalid;
    // Pictures that claim more than they hold.
    QTest::newRow("PNG of 60000 x 1")
        << "hostile png 60000 x 1" << 0 << 481
        << QStringLiteral("画像の縦横の比が極端すぎて使えません（60000 × 1 ピクセル）。");
    for (const char* cut :
         {"gif cut to a third", "jpeg cut in half, end marker added",
          "jpeg claiming twice its rows", "jpeg claiming 8000 x 8000", "jpeg claiming 4097 columns",
          "jpeg turned upright, claiming twice its rows"})
        QTest::addRow("%s", cut) << QStringLiteral("hostile ") + QLatin1String(cut) << 0 << 481
                                 << Truncated;
    QTest::newRow("jpeg claiming twice its rows, sepia")
        << "hostile jpeg claiming twice its rows" << 1 << 481 << Truncated;
    QTest::newRow("jpeg of a few hundred bytes claiming gigabytes")
        << "hostile jpeg of a few hundred bytes claiming 13072 x 65292" << 0 << 481
        << QStringLiteral("画像が大きすぎて読み込めません（13072 × 65292 ピクセル）。");
    QTest::newRow("PNG of 30000 x 30000") << "huge png" << 0 << 481 << tooLarge;
    QTest::newRow("PNG of 30000 x 30000, blue") << "huge png" << 3 << 481 << tooLarge;
    QTest::newRow("folder") << "folder" << 0 << 75 << access;
    QTest::newRow("folder, sepia") << "folder" << 1 << 75 << access;
    QTest::newRow("FIFO") << "fifo" << 0 << 75 << access;
    QTest::newRow("FIFO, black and white") << "fifo" << 5 << 75 << access;
    QTest::newRow("colour mode 4")
        << "jpg" << 4 << 5 << RuntimeError::describe(RuntimeError::InvalidCall);
    QTest::newRow("colour mode 9, BMP")
        << "bmp" << 9 << 5 << RuntimeError::describe(RuntimeError::InvalidCall);
}

void TestCardPicture::unreadablePicture() {
    QFETCH(QString, kind);
    QFETCH(int, mode);
    QFETCH(int, number);
    QFETCH(QString, description);
    TestContext t;
    t.doc.card.PicPath = makeSource(t.dir.path(), kind);
    t.doc.card.PicColorMode = mode;
    t.doc.picture.set(t.doc.card, marker());
    const QByteArray before =
        QFileInfo(t.doc.card.PicPath).isFile() ? readFile(t.doc.card.PicPath) : QByteArray();

    QElapsedTimer clock;
    clock.start();
    LoadCardPicture(t.doc, t.ui, t.app);
    QVERIFY2(clock.elapsed() < 10000, "took too long");

    QCOMPARE(t.ui.texts(), QStringList{description + u' ' + QString::number(number)});
    QCOMPARE(t.ui.messages[0].buttons, UiServices::Ok);
    QVERIFY(t.ui.messages[0].detail.contains(t.doc.card.PicPath));
    QCOMPARE(t.view.pictureClears, 1);
    QCOMPARE(t.view.pictureShows, 0);
    QVERIFY(t.doc.pictureImage().isNull());
    QCOMPARE(dataFiles(t), QStringList{});
    for (const LibraryCall& call : libraryCalls)
        QVERIFY(call.result != TAVOR_OK);
    if (QFileInfo(t.doc.card.PicPath).isFile())
        QCOMPARE(readFile(t.doc.card.PicPath), before);
}

// The working bitmap cannot be written (its folder is a file): the failure is
// reported the same way and the card is left without a picture.
void TestCardPicture::workBitmapNotWritable_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("number");
    // The data folder's path leads through a file: path not found.
    QTest::newRow("JPEG, mode 0") << "jpg" << 0 << 76;
    QTest::newRow("JPEG, sepia") << "jpg" << 1 << 76;
    QTest::newRow("24-bit BMP, sepia") << "bmp" << 1 << 76;
}

void TestCardPicture::workBitmapNotWritable() {
    QFETCH(QString, kind);
    QFETCH(int, mode);
    QFETCH(int, number);
    TestContext t;
    QVERIFY(writeFile(t.path("plain-file"), "not a folder\n"));
    t.app.DataFolder = t.path("plain-file");
    t.doc.card.PicPath = makeSource(t.dir.path(), kind);
    t.doc.card.PicColorMode = mode;
    t.doc.picture.set(t.doc.card, marker());

    LoadCardPicture(t.doc, t.ui, t.app);

    QCOMPARE(t.ui.texts(), QStringList{RuntimeError(number).message()});
    QCOMPARE(t.view.pictureShows, 0);
    QVERIFY(t.doc.pictureImage().isNull());
    QCOMPARE(readFile(t.path("plain-file")), QByteArray("not a folder\n"));
}

// A JPEG is taken only when it runs to the end of its picture; bytes after
// the end and end markers inside earlier segments do not mislead.
void TestCardPicture::jpegCompleteness_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("description"); // when refused; empty: any
    const QImage picture = testPicture(200, 150);
    const QByteArray baseline = encode(picture, "jpg");
    const QByteArray progressive = encode(picture, "jpg", true);
    QVERIFY(baseline.endsWith("\xFF\xD9") && progressive.endsWith("\xFF\xD9"));
    // An application segment carrying a small embedded JPEG, end marker included.
    QByteArray body = QByteArray("thumb\0", 6) + QByteArray("\xFF\xD8\xFF\xD9", 4);
    QByteArray segment("\xFF\xE9", 2);
    segment.append(char((body.size() + 2) >> 8)).append(char((body.size() + 2) & 0xFF)) += body;
    const QByteArray withThumb = baseline.left(2) + segment + baseline.mid(2);

    QTest::newRow("baseline") << baseline << true << "";
    QTest::newRow("progressive") << progressive << true << "";
    QTest::newRow("bytes after the end") << baseline + QByteArray(300, 'x') << true << "";
    QTest::newRow("embedded thumbnail") << withThumb << true << "";
    QTest::newRow("cut in the middle") << baseline.left(baseline.size() / 2) << false << Truncated;
    QTest::newRow("end marker missing") << baseline.chopped(2) << false << Truncated;
    QTest::newRow("progressive, cut after the first scans")
        << progressive.left(progressive.size() * 2 / 3) << false << Truncated;
    QTest::newRow("embedded thumbnail, picture cut")
        << withThumb.left(withThumb.size() / 2) << false << Truncated;
    QTest::newRow("cut in the headers") << baseline.left(100) << false << "";
}

void TestCardPicture::jpegCompleteness() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, accepted);
    QFETCH(QString, description);
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpg");
    QVERIFY(writeFile(path, bytes));
    try {
        const QImage image = ReadPicture(path);
        QVERIFY2(accepted, "a JPEG cut short was taken");
        QCOMPARE(image.size(), QSize(200, 150));
    } catch (const RuntimeError& e) {
        QVERIFY2(!accepted, qPrintable(e.message()));
        QCOMPARE(e.number(), int(RuntimeError::InvalidPicture));
        if (!description.isEmpty())
            QCOMPARE(e.description(), description);
    }
}

// Colour mode 0: the picture's own colours; the library is not called and
// the working bitmap is a 24-bit copy of the decoded picture.
void TestCardPicture::plainCopyWithoutLibrary_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("lossless");
    QTest::newRow("PNG") << "png" << true;
    QTest::newRow("24-bit BMP") << "bmp" << true;
    QTest::newRow("24-bit BMP, top-down") << "bmp top-down" << true;
    QTest::newRow("8-bit BMP, top-down") << "bmp8 top-down" << false;
    QTest::newRow("TIFF") << "tif" << true;
    QTest::newRow("8-bit BMP") << "bmp8" << false;
    QTest::newRow("JPEG") << "jpg" << false;
    QTest::newRow("PNG with transparent parts") << "png alpha" << false;
}

void TestCardPicture::plainCopyWithoutLibrary() {
    QFETCH(QString, kind);
    QFETCH(bool, lossless);
    TestContext t;
    t.doc.card.PicPath = makeSource(t.dir.path(), kind);
    t.doc.card.PicColorMode = 0;
    t.doc.card.PicTint = {63, 0, 0};

    LoadCardPicture(t.doc, t.ui, t.app);

    QCOMPARE(t.ui.texts(), QStringList{});
    QCOMPARE(t.view.pictureShows, 1);
    QVERIFY(libraryCalls.isEmpty());
    QCOMPARE(dataFiles(t), QStringList{"Tavor.bmp"});
    const QByteArray bmp = readFile(workPath(t));
    QVERIFY(bmp.startsWith("BM"));
    QCOMPARE(int(bmp[28]), 24);

    QImage expected = QImage(t.doc.card.PicPath);
    if (kind == "png alpha") {
        QCOMPARE(expected.pixel(0, 0), qRgba(0, 0, 0, 0));
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                if (qAlpha(expected.pixel(x, y)) == 0)
                    expected.setPixel(x, y, qRgb(255, 255, 255));
    }
    expected = expected.convertToFormat(QImage::Format_RGB32);
    if (lossless)
        QCOMPARE(expected, testPicture(64, 48));
    QCOMPARE(t.doc.pictureImage(), expected);
    QCOMPARE(QImage(workPath(t), "bmp").convertToFormat(QImage::Format_RGB32), expected);
}

// The colour library recolours the decoded picture in memory, whatever its
// format: no file goes to it, and the working bitmap is written once, after.
void TestCardPicture::libraryRouting_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("mode");
    const QSize small(64, 48);
    QTest::newRow("JPEG, mode 0") << "jpg" << small << 0;
    QTest::newRow("BMP, mode 0") << "bmp" << small << 0;
    QTest::newRow("24-bit BMP, sepia") << "bmp" << small << 1;
    QTest::newRow("24-bit .BMP, tint") << "BMP" << small << 6;
    QTest::newRow("24-bit BMP, black and white") << "bmp" << small << 5;
    QTest::newRow("8-bit BMP, sepia") << "bmp8" << small << 1;
    QTest::newRow("BMP wider than the card needs") << "bmp" << QSize(5000, 8) << 2;
    QTest::newRow("JPEG, blue") << "jpg" << small << 3;
    QTest::newRow("PNG, black and white") << "png" << small << 5;
    QTest::newRow("TIFF, tint") << "tif" << small << 6;
}

void TestCardPicture::libraryRouting() {
    QFETCH(QString, kind);
    QFETCH(QSize, size);
    QFETCH(int, mode);
    TestContext t;
    const QString src = makeSource(t.dir.path(), kind, size);
    const QByteArray before = readFile(src);
    t.doc.card.PicPath = src;
    t.doc.card.PicColorMode = mode;
    t.doc.card.PicTint = {11, 22, 33};

    LoadCardPicture(t.doc, t.ui, t.app);

    QCOMPARE(t.ui.texts(), QStringList{});
    QCOMPARE(t.view.pictureShows, 1);
    QCOMPARE(readFile(src), before);
    QCOMPARE(dataFiles(t), QStringList{"Tavor.bmp"});
    const QSize shown = size.width() > 4096 ? size.scaled(4096, 4096, Qt::KeepAspectRatio) : size;
    QCOMPARE(t.doc.pictureImage().size(), shown);
    QCOMPARE(QImage(workPath(t), "bmp").convertToFormat(QImage::Format_RGB32),
             t.doc.pictureImage());
    if (mode == 0) {
        QVERIFY(libraryCalls.isEmpty());
        return;
    }
    QCOMPARE(libraryCalls.size(), 1);
    const LibraryCall& call = libraryCalls.first();
    QCOMPARE(call.in, QString());
    QCOMPARE(call.size, shown);
    QCOMPARE(call.mode, mode);
    QCOMPARE(call.red, 11);
    QCOMPARE(call.green, 22);
    QCOMPARE(call.blue, 33);
    QCOMPARE(call.result, int(TAVOR_OK));
}

// Each mode through LoadCardPicture: Image1 is the working bitmap, keeps the
// picture's light and shade, and has the mode's colour.
void TestCardPicture::colourModes_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("tint");
    QTest::addColumn<QString>("look");
    QTest::newRow("sepia, JPEG") << "jpg" << 1 << QList<int>{63, 0, 0} << "sepia";
    QTest::newRow("sepia, BMP") << "bmp" << 1 << QList<int>{63, 0, 0} << "sepia";
    QTest::newRow("sepia at its lightest") << "png" << 1 << QList<int>{0, 0, 0} << "sepia";
    QTest::newRow("green, JPEG") << "jpg" << 2 << QList<int>{0, 255, 0} << "green";
    QTest::newRow("green at its lightest, BMP") << "bmp" << 2 << QList<int>{0, 0, 0} << "green";
    QTest::newRow("blue, JPEG") << "jpg" << 3 << QList<int>{0, 0, 255} << "blue";
    QTest::newRow("blue at its lightest, BMP") << "bmp" << 3 << QList<int>{0, 0, 0} << "blue";
    QTest::newRow("black and white, JPEG") << "jpg" << 5 << QList<int>{200, 10, 10} << "grey";
    QTest::newRow("black and white, BMP") << "bmp" << 5 << QList<int>{0, 0, 0} << "grey";
    QTest::newRow("sepia, top-down BMP") << "bmp top-down" << 1 << QList<int>{63, 0, 0} << "sepia";
    QTest::newRow("red tint, JPEG") << "jpg" << 6 << QList<int>{200, 60, 60} << "red";
    QTest::newRow("blue tint, BMP") << "bmp" << 6 << QList<int>{60, 60, 200} << "blue";
    QTest::newRow("grey tint") << "png" << 6 << QList<int>{127, 127, 127} << "grey";
}

void TestCardPicture::colourModes() {
    QFETCH(QString, kind);
    QFETCH(int, mode);
    QFETCH(QList<int>, tint);
    QFETCH(QString, look);
    TestContext t;
    t.doc.card.PicPath = makeSource(t.dir.path(), kind);
    t.doc.card.PicColorMode = mode;
    t.doc.card.PicTint = {tint[0], tint[1], tint[2]};

    LoadCardPicture(t.doc, t.ui, t.app);

    QCOMPARE(t.ui.texts(), QStringList{});
    QCOMPARE(t.view.pictureShows, 1);
    const QImage& shown = t.doc.pictureImage();
    QCOMPARE(shown.format(), QImage::Format_RGB32);
    QCOMPARE(shown, QImage(workPath(t), "bmp").convertToFormat(QImage::Format_RGB32));
    const QImage source = QImage(t.doc.card.PicPath).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), source.size());

    int checked = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb c = shown.pixel(x, y);
            const int r = qRed(c), g = qGreen(c), b = qBlue(c);
            QVERIFY2(std::abs(luma(c) - luma(source.pixel(x, y))) <= 3,
                     qPrintable(QStringLiteral("light and shade lost at %1,%2").arg(x).arg(y)));
            if (look == "grey")
                QVERIFY(r == g && g == b);
            if (luma(c) < 32 || luma(c) > 223)
                continue; // the ramps meet black and white at the ends
            ++checked;
            bool ok = true;
            if (look == "sepia")
                ok = r > g && g > b;
            else if (look == "green")
                ok = g > r && g > b;
            else if (look == "blue")
                ok = b > r && b > g;
            else if (look == "red")
                ok = r > g && r > b && g == b;
            QVERIFY2(ok, qPrintable(QStringLiteral("%1 at %2,%3: %4 %5 %6")
                                        .arg(look)
                                        .arg(x)
                                        .arg(y)
                                        .arg(r)
                                        .arg(g)
                                        .arg(b)));
        }
    }
    QVERIFY(checked > shown.width() * shown.height() / 2);
}

// Pictures larger than the card can use are decoded scaled to at most 4096
// pixels on the long side, their shape kept; JPEGs by the decoder's own
// 1/8 steps.
void TestCardPicture::largePictureDecodedScaled_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QSize>("decoded");
    QTest::newRow("JPEG 5000 x 2500") << "jpg" << QSize(5000, 2500) << 0 << QSize(3750, 1875);
    QTest::newRow("JPEG 5000 x 2500, sepia")
        << "jpg" << QSize(5000, 2500) << 1 << QSize(3750, 1875);
    QTest::newRow("JPEG 5000 x 2500 turned upright")
        << "jpg turned" << QSize(5000, 2500) << 0 << QSize(1875, 3750);
    QTest::newRow("JPEG 4100 x 1000") << "jpg" << QSize(4100, 1000) << 0 << QSize(3587, 875);
    QTest::newRow("JPEG 4096 x 3000, kept") << "jpg" << QSize(4096, 3000) << 0 << QSize(4096, 3000);
    QTest::newRow("PNG 3000 x 6000") << "png" << QSize(3000, 6000) << 0 << QSize(2048, 4096);
    QTest::newRow("BMP 5000 x 2000, black and white")
        << "bmp" << QSize(5000, 2000) << 5 << QSize(4096, 1638);
}

void TestCardPicture::largePictureDecodedScaled() {
    QFETCH(QString, kind);
    QFETCH(QSize, size);
    QFETCH(int, mode);
    QFETCH(QSize, decoded);
    TestContext t;
    t.doc.card.PicPath = makeSource(t.dir.path(), kind, size);
    t.doc.card.PicColorMode = mode;

    LoadCardPicture(t.doc, t.ui, t.app);

    QCOMPARE(t.ui.texts(), QStringList{});
    QCOMPARE(t.doc.pictureImage().size(), decoded);
    QCOMPARE(QImageReader(workPath(t)).size(), decoded);
    // The whole picture, in place: the same colours at the same relative spots.
    QImage reference = testPicture(size.width(), size.height());
    if (kind == "jpg turned") {
        reference = reference.transformed(QTransform().rotate(90));
        size.transpose();
    }
    for (double fy : {0.05, 0.5, 0.95}) {
        for (double fx : {0.05, 0.5, 0.95}) {
            const QRgb got =
                t.doc.pictureImage().pixel(int(fx * decoded.width()), int(fy * decoded.height()));
            const QRgb want = reference.pixel(int(fx * size.width()), int(fy * size.height()));
            const int tolerance = 12;
            if (mode == 0) {
                QVERIFY(std::abs(qRed(got) - qRed(want)) <= tolerance);
                QVERIFY(std::abs(qGreen(got) - qGreen(want)) <= tolerance);
                QVERIFY(std::abs(qBlue(got) - qBlue(want)) <= tolerance);
            } else {
                QVERIFY(std::abs(luma(got) - luma(want)) <= tolerance);
            }
        }
    }
}

// A JPEG within the size limit is the decoder's own picture, pixel for
// pixel and upright, however large it is and wherever its pixels are kept.
// A camera-sized JPEG is recoloured and written a band at a time while it is
// decoded: every row is recoloured exactly once, and Image1 and the working
// bitmap are what recolouring the whole decoded picture gives.
void TestCardPicture::recolouredWhileDecoding_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("mode");
    QTest::newRow("sepia") << QSize(1600, 1200) << 1;
    QTest::newRow("tint, odd size") << QSize(1201, 997) << 6;
    QTest::newRow("black and white, tall") << QSize(300, 2500) << 5;
    QTest::newRow("no colour mode") << QSize(1600, 1200) << 0;
}

void TestCardPicture::recolouredWhileDecoding() {
    QFETCH(QSize, size);
    QFETCH(int, mode);
    TestContext t;
    const QString src = makeSource(t.dir.path(), "jpg", size);
    QImage expected = QImage(src).convertToFormat(QImage::Format_RGB32);
    if (mode != 0)
        QCOMPARE(MonocroPixels(expected.bits(), expected.width(), expected.height(),
                               expected.bytesPerLine(), 4, mode, 11, 22, 33),
                 int(TAVOR_OK));
    libraryCalls.clear();
    t.doc.card.PicPath = src;
    t.doc.card.PicColorMode = mode;
    t.doc.card.PicTint = {11, 22, 33};

    LoadCardPicture(t.doc, t.ui, t.app);

    QCOMPARE(t.ui.texts(), QStringList{});
    QVERIFY(t.doc.pictureImage() == expected);
    QVERIFY(QImage(workPath(t), "bmp").convertToFormat(QImage::Format_RGB32) == expected);
    const qint64 rowSize = (size.width() * 3 + 3) / 4 * 4;
    QCOMPARE(QFileInfo(workPath(t)).size(), 54 + rowSize * size.height());
    int rows = 0;
    for (const LibraryCall& call : libraryCalls) {
        QCOMPARE(call.size.width(), size.width());
        QCOMPARE(call.mode, mode);
        rows += call.size.height();
    }
    QCOMPARE(rows, mode == 0 ? 0 : size.height());
    if (mode != 0)
        QVERIFY2(libraryCalls.size() > 1, "recoloured whole, not a band at a time");
}

void TestCardPicture::decodedAsTheReaderDecodes_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("decoded");
    QTest::newRow("small") << "jpg" << QSize(300, 200) << QSize(300, 200);
    QTest::newRow("camera-sized") << "jpg" << QSize(1600, 1200) << QSize(1600, 1200);
    QTest::newRow("odd width") << "jpg" << QSize(1201, 997) << QSize(1201, 997);
    QTest::newRow("turned upright") << "jpg turned" << QSize(1600, 1200) << QSize(1200, 1600);
    QTest::newRow("grey") << "jpg grey" << QSize(1600, 1200) << QSize(1600, 1200);
    QTest::newRow("progressive") << "jpg progressive" << QSize(1201, 997) << QSize(1201, 997);
    QTest::newRow("scaled by 6/8") << "jpg" << QSize(5000, 2504) << QSize(3750, 1878);
    QTest::newRow("scaled by 7/8, a pixel resampled")
        << "jpg" << QSize(4100, 1000) << QSize(3587, 875);
    QTest::newRow("scaled, progressive")
        << "jpg progressive" << QSize(4800, 800) << QSize(3600, 600);
}

void TestCardPicture::decodedAsTheReaderDecodes() {
    QFETCH(QString, kind);
    QFETCH(QSize, size);
    QFETCH(QSize, decoded);
    QTemporaryDir dir;
    const QString path = makeSource(dir.path(), kind, size);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (decoded != size && kind != "jpg turned")
        reader.setScaledSize(decoded);
    const QImage expected = reader.read().convertToFormat(QImage::Format_RGB32);
    QVERIFY(!expected.isNull());
    const QImage image = ReadPicture(path);
    QCOMPARE(image.format(), QImage::Format_RGB32);
    QCOMPARE(image.size(), decoded);
    QVERIFY(image == expected);
    // A copy painted on is the copy's own: the picture read stays as it was.
    QImage copy = image;
    copy.fill(Qt::red);
    QVERIFY(image == expected);
}

// A picture decoded whole may take up to 256 MB at four bytes a pixel:
// 8192 × 8192 pixels, whatever its shape. Headers claim sizes around that
// bound: past it the picture is refused before anything is decoded; within
// it the BMP goes on to be read and its missing rows are found.
void TestCardPicture::decodeMemoryLimit_data() {
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("refused");
    QTest::newRow("BMP 8192 x 8191") << QByteArray("bmp") << QSize(8192, 8191) << false;
    QTest::newRow("BMP 8192 x 8192") << QByteArray("bmp") << QSize(8192, 8192) << false;
    QTest::newRow("BMP 4096 x 16384") << QByteArray("bmp") << QSize(4096, 16384) << false;
    QTest::newRow("BMP 8192 x 8193") << QByteArray("bmp") << QSize(8192, 8193) << true;
    QTest::newRow("BMP 16385 x 4096") << QByteArray("bmp") << QSize(16385, 4096) << true;
    QTest::newRow("PNG 8193 x 8192") << QByteArray("png") << QSize(8193, 8192) << true;
    // Eight bytes a pixel, and as much again for the copy scaling makes of
    // a picture with an alpha channel.
    QTest::newRow("16-bit PNG 8000 x 4000") << QByteArray("png16") << QSize(8000, 4000) << false;
    QTest::newRow("16-bit PNG 8000 x 4000 with alpha")
        << QByteArray("png16 alpha") << QSize(8000, 4000) << true;
    QTest::newRow("16-bit PNG 5800 x 5800") << QByteArray("png16") << QSize(5800, 5800) << true;
    QTest::newRow("PNG 8000 x 4000 with alpha")
        << QByteArray("png alpha") << QSize(8000, 4000) << false;
    QTest::newRow("PNG 8000 x 4500 with alpha")
        << QByteArray("png alpha") << QSize(8000, 4500) << true;
}

void TestCardPicture::decodeMemoryLimit() {
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QFETCH(bool, refused);
    QTemporaryDir dir;
    const bool png = format.startsWith("png");
    const QString path =
        dir.filePath(png ? QStringLiteral("claims.png") : QStringLiteral("claims.bmp"));
    QByteArray bytes;
    if (png) {
        const bool alpha = format.endsWith("alpha");
        bytes = hugePng(quint32(size.width()), quint32(size.height()),
                        format.startsWith("png16") ? 16 : 8, alpha ? 6 : 2);
    } else { // a small 24-bit BMP whose headers claim the size
        bytes = encode(testPicture(64, 48), "bmp");
        qToLittleEndian<qint32>(size.width(), bytes.data() + 18);
        qToLittleEndian<qint32>(size.height(), bytes.data() + 22);
    }
    QVERIFY(writeFile(path, bytes));
    try {
        ReadPicture(path);
        QFAIL("the picture was read");
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), 481);
        // Within the bound the BMP's missing rows are found, the PNG's
        // missing data.
        QCOMPARE(e.description(),
                 refused ? QStringLiteral("画像が大きすぎて読み込めません（%1 × %2 ピクセル）。")
                               .arg(size.width())
                               .arg(size.height())
                 : png ? RuntimeError::describe(481)
                       : Truncated);
    }
}

void TestCardPicture::noWorkPath() {
    TestContext t;
    QCOMPARE(WorkPicturePath(t.app, t.path("photo.jpg")), workPath(t));
    QCOMPARE(WorkPicturePath(t.app, t.dir.path() + "/"), QString());
    const QString src = makeSource(t.dir.path(), "jpg");
    t.doc.picture.set(t.doc.card, marker());
    QVERIFY(!ConvertPicture(t.ui, src, QString(), 1, 63, 0, 0));
    QCOMPARE(t.ui.texts(), QStringList{});
    QVERIFY(libraryCalls.isEmpty());
    QCOMPARE(dataFiles(t), QStringList{});
    QCOMPARE(t.doc.pictureImage(), marker());
}

// Another run holds the data folder (its lock is taken here on a descriptor of
// its own): this run writes a working bitmap of its own, leaves the other
// run's Tavor.bmp alone, and keeps to its file for every later load.
void TestCardPicture::workBitmapBelongsToOneRun() {
    TestContext t;
    const QString folder = DataFolderPath(t.app);
    const int other = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    QVERIFY(other >= 0);
    QVERIFY(::flock(other, LOCK_EX | LOCK_NB) == 0);
    QVERIFY(writeFile(workPath(t), "the other run's picture"));

    const QString own =
        folder + QStringLiteral("/Tavor-%1.bmp").arg(QCoreApplication::applicationPid());
    QCOMPARE(WorkPicturePath(t.app, t.path("photo.jpg")), own);
    t.doc.card.PicPath = makeSource(t.dir.path(), "png");
    t.doc.card.PicColorMode = 1;
    LoadCardPicture(t.doc, t.ui, t.app);
    ::close(other); // the other run ends; this one keeps its own file
    t.doc.card.PicColorMode = 0;
    LoadCardPicture(t.doc, t.ui, t.app);

    QCOMPARE(t.ui.texts(), QStringList{});
    QCOMPARE(readFile(workPath(t)), QByteArray("the other run's picture"));
    QCOMPARE(dataFiles(t), (QStringList{QFileInfo(own).fileName(), "Tavor.bmp"}));
    QCOMPARE(QImage(own, "bmp").convertToFormat(QImage::Format_RGB32), testPicture(64, 48));
}

// Two `quillo convert` runs at once in one home, again and again: each card
// is exported with its own picture.
void TestCardPicture::concurrentConvertsKeepTheirPictures() {
    QTemporaryDir dir;
    const QList<QRgb> colours{qRgb(220, 30, 30), qRgb(30, 30, 220)};
    QStringList cards;
    for (int i = 0; i < colours.size(); ++i) {
        QImage picture(400, 300, QImage::Format_RGB32);
        picture.fill(colours[i]);
        const QString path = dir.filePath(QStringLiteral("photo%1.jpg").arg(i));
        QVERIFY(picture.save(path, "jpg"));
        Card card;
        card.PicPath = path;
        card.PicColorMode = 0;
        cards << dir.filePath(QStringLiteral("card%1.qcd").arg(i));
        QCOMPARE(WriteCardFile(cards.last(), card), 0);
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", dir.filePath("data"));
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    for (int round = 0; round < 4; ++round) {
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int i = 0; i < cards.size(); ++i) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->setProcessEnvironment(env);
            runs.back()->start(
                QUILLO_EXECUTABLE,
                {"convert", cards[i], dir.filePath(QStringLiteral("out%1.bmp").arg(i))});
        }
        for (int i = 0; i < cards.size(); ++i) {
            QVERIFY(runs[i]->waitForFinished(30000));
            QCOMPARE(runs[i]->exitCode(), 0);
            const QImage out(dir.filePath(QStringLiteral("out%1.bmp").arg(i)));
            const QRgb middle = out.pixel(out.width() / 2, out.height() / 2);
            QVERIFY2(std::abs(qRed(middle) - qRed(colours[i])) < 24 &&
                         std::abs(qBlue(middle) - qBlue(colours[i])) < 24,
                     qPrintable(QStringLiteral("round %1, card %2").arg(round).arg(i)));
        }
    }
}

void TestCardPicture::dropAcceptance_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow(".JPEG") << "/home/u/Photo.JPEG" << true;
    QTest::newRow(".jpeg") << "/home/u/photo.jpeg" << true;
    QTest::newRow(".jpg") << "/home/u/photo.jpg" << true;
    QTest::newRow(".Bmp") << "/home/u/scan.Bmp" << true;
    QTest::newRow(".dib") << "/home/u/scan.dib" << true;
    QTest::newRow(".tif") << "/home/u/scan.tif" << true;
    QTest::newRow(".TIF") << "/home/u/SCAN.TIF" << true;
    QTest::newRow("x.gif") << "x.gif" << true;
    QTest::newRow(".png") << "/home/u/logo.png" << false;
    QTest::newRow(".tiff") << "/home/u/scan.tiff" << false;
    QTest::newRow(".gif.gz") << "/home/u/anim.gif.gz" << false;
    QTest::newRow("no extension") << "/home/u/README" << false;
    QTest::newRow("three characters") << "gif" << false;
    QTest::newRow("two characters") << "pg" << false;
    QTest::newRow("empty") << "" << false;
}

void TestCardPicture::dropAcceptance() {
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    QCOMPARE(IsDroppablePicture(name), accepted);
    // Among other files it is found, or not, the same way.
    const QStringList files{"/home/u/notes.txt", name, "/home/u/logo.png"};
    QCOMPARE(FirstDroppedPicture(files), accepted ? std::optional<QString>(name) : std::nullopt);
}

void TestCardPicture::dropTakesFirstPicture_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("taken"); // index into files; -1 = none
    QTest::newRow("one picture") << QStringList{"a.jpg"} << 0;
    QTest::newRow("picture after other files")
        << QStringList{"notes.txt", "logo.png", "b.jpg", "c.bmp"} << 2;
    QTest::newRow("first of several pictures") << QStringList{"c.bmp", "b.jpg", "a.jpg"} << 0;
    QTest::newRow("no picture") << QStringList{"logo.png", "notes.txt"} << -1;
    QTest::newRow("nothing") << QStringList{} << -1;
}

void TestCardPicture::dropTakesFirstPicture() {
    QFETCH(QStringList, files);
    QFETCH(int, taken);
    TestContext t;
    // Pictures of different sizes, so Image1 tells which was loaded.
    const QMap<QString, QSize> sizes{
        {"a.jpg", {30, 20}}, {"b.jpg", {40, 30}}, {"c.bmp", {50, 40}}, {"logo.png", {60, 50}}};
    QStringList paths;
    for (const QString& name : files) {
        const QString path = t.path(name);
        const QByteArray bytes =
            sizes.contains(name) ? encode(testPicture(sizes[name].width(), sizes[name].height()),
                                          QFileInfo(name).suffix().toLatin1().constData())
                                 : QByteArray("notes\n");
        QVERIFY(writeFile(path, bytes));
        paths << path;
    }
    t.doc.card.PicPath = QString();
    t.doc.card.PicColorMode = 3;
    t.doc.card.PicTint = {10, 20, 30};

    const bool dropped = DropPictureFiles(t.doc, t.ui, t.app, paths);

    QCOMPARE(dropped, taken >= 0);
    QCOMPARE(t.doc.card.PicTint, (std::array<int, 3>{10, 20, 30}));
    QCOMPARE(t.ui.texts(), QStringList{});
    if (taken < 0) {
        QCOMPARE(t.doc.card.PicPath, QString());
        QCOMPARE(t.doc.card.PicColorMode, 3);
        QCOMPARE(t.doc.ChangedFlg, 0);
        QCOMPARE(t.view.layoutCalls, 0);
        QVERIFY(t.doc.pictureImage().isNull());
        return;
    }
    QCOMPARE(t.doc.card.PicPath, paths[taken]);
    QCOMPARE(t.doc.card.PicColorMode, 0);
    QCOMPARE(t.doc.ChangedFlg, 1);
    QCOMPARE(t.view.pictureShows, 1);
    QVERIFY(libraryCalls.isEmpty());
    QCOMPARE(t.doc.pictureImage().size(), sizes[files[taken]]);
}

void TestCardPicture::dropSameFileAgain() {
    TestContext t;
    const QString src = makeSource(t.dir.path(), "jpg");
    t.doc.card.PicPath = src;
    t.doc.card.PicColorMode = 5;
    t.doc.card.PicTint = {63, 0, 0};
    LoadCardPicture(t.doc, t.ui, t.app);
    QCOMPARE(libraryCalls.size(), 1);
    const QRgb grey = t.doc.pictureImage().pixel(10, 10);
    QVERIFY(qRed(grey) == qGreen(grey) && qGreen(grey) == qBlue(grey));
    t.doc.history().reset(); // this card as it was opened

    QVERIFY(DropPictureFiles(t.doc, t.ui, t.app, {src}));

    QCOMPARE(t.doc.card.PicPath, src);
    QCOMPARE(t.doc.card.PicColorMode, 0);
    QCOMPARE(t.doc.card.PicTint, (std::array<int, 3>{63, 0, 0}));
    // The colour mode went back to 0: the card differs from the one opened.
    QCOMPARE(t.doc.ChangedFlg, 1);
    QCOMPARE(t.view.pictureClears, 2);
    QCOMPARE(t.view.pictureShows, 2);
    QCOMPARE(libraryCalls.size(), 1); // the reload in mode 0 did not call it
    QCOMPARE(t.doc.pictureImage(), QImage(src).convertToFormat(QImage::Format_RGB32));
    QCOMPARE(t.ui.texts(), QStringList{});
}

// A picture whose name a card file cannot hold is refused at the drop, so
// the card never holds what it cannot save.
void TestCardPicture::dropUnstorableName() {
    TestContext t;
    const QString src = makeSource(t.dir.path(), "jpg");
    const QString odd = t.path(QStringLiteral("写真😀.jpg"));
    QVERIFY(QFile::copy(src, odd));
    t.doc.card.PicPath = src;
    t.doc.ChangedFlg = 0;
    QVERIFY(DropPictureFiles(t.doc, t.ui, t.app, {odd}));
    QCOMPARE(t.doc.card.PicPath, src);
    QCOMPARE(t.doc.ChangedFlg, 0);
    QCOMPARE(t.ui.messages.size(), 1);
    QVERIFY(t.ui.messages.first().text.contains(QStringLiteral("😀")));
    QVERIFY(libraryCalls.isEmpty());
}

QTEST_MAIN(TestCardPicture)
#include "test_cardpicture.moc"
