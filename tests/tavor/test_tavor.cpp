// Tests of the colour library: the look of each mode, the BMP layouts it reads
// and writes, and that every bad input is refused without touching the output.

#include "tavor.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <functional>
#include <memory>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

struct BmpShape {
    bool topDown = false;
    int infoSize = 40;
    int gap = 0; // bytes between the headers and the first row
    int bits = 24;
};

void put32(QByteArray& b, int at, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (8 * i));
}
void put16(QByteArray& b, int at, quint16 v) {
    b[at] = char(v);
    b[at + 1] = char(v >> 8);
}
quint32 get32(const QByteArray& b, int at) {
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | quint8(b[at + i]);
    return v;
}
QByteArray patched32(QByteArray b, int at, quint32 v) {
    put32(b, at, v);
    return b;
}

// A BMP file built by hand, so that the tests control every header field.
// Padding bytes are filled with garbage that the library must not carry over.
QByteArray makeBmp(int w, int h, const std::function<QRgb(int, int)>& px, BmpShape s = {}) {
    const int bpp = s.bits / 8;
    const int rowSize = (w * bpp + 3) & ~3;
    const int offBits = 14 + s.infoSize + s.gap;
    QByteArray b(offBits + rowSize * h, char(0xCD));
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, quint32(b.size()));
    put32(b, 6, 0);
    put32(b, 10, quint32(offBits));
    b.replace(14, s.infoSize, QByteArray(s.infoSize, 0));
    put32(b, 14, quint32(s.infoSize));
    put32(b, 18, quint32(w));
    put32(b, 22, quint32(s.topDown ? -h : h));
    put16(b, 26, 1);
    put16(b, 28, quint16(s.bits));
    put32(b, 34, quint32(rowSize * h));
    for (int y = 0; y < h; ++y) {
        char* row = b.data() + offBits + rowSize * (s.topDown ? y : h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const QRgb c = px(x, y);
            row[x * bpp] = char(qBlue(c));
            row[x * bpp + 1] = char(qGreen(c));
            row[x * bpp + 2] = char(qRed(c));
        }
        for (int i = w * bpp; i < rowSize; ++i)
            row[i] = char(0xAB);
    }
    return b;
}

QRgb grey(int v) {
    return qRgb(v, v, v);
}
QRgb pattern(int x, int y) {
    return grey((x * 37 + y * 101) & 255);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
QStringList entries(const QString& dir) {
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

int run(const QString& in, const QString& out, int mode, int r = 0, int g = 0, int b = 0) {
    return Monocro(QFile::encodeName(in).constData(), QFile::encodeName(out).constData(), mode, r,
                   g, b);
}

// The colour each mode gives to every luma: a one-row grey ramp 0..255 converted.
QList<QRgb> ramp(const QString& dir, int mode, int r, int g, int b) {
    const QString in = dir + "/ramp.bmp", out = dir + "/ramp-out.bmp";
    if (!writeFile(in, makeBmp(256, 1, [](int x, int) { return grey(x); })) ||
        run(in, out, mode, r, g, b) != TAVOR_OK)
        return {};
    const QImage img(out);
    QList<QRgb> colours;
    for (int x = 0; x < img.width(); ++x)
        colours << img.pixel(x, 0);
    return colours;
}

int channel(QRgb c, char name) {
    return name == 'R' ? qRed(c) : name == 'G' ? qGreen(c) : qBlue(c);
}
int spread(QRgb c) {
    return qMax(qRed(c), qMax(qGreen(c), qBlue(c))) - qMin(qRed(c), qMin(qGreen(c), qBlue(c)));
}

} // namespace

class TestTavor : public QObject {
    Q_OBJECT

private slots:
    void keyColours_data();
    void keyColours();
    void init() {
        tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp->isValid());
    }

    void modeLook_data();
    void modeLook();
    void greyIsLuma_data();
    void greyIsLuma();
    void valueSetsStrength_data();
    void valueSetsStrength();
    void valuesOutsideTheModeIgnored_data();
    void valuesOutsideTheModeIgnored();
    void layouts_data();
    void layouts();
    void qtWrittenBmpAccepted();
    void inPlace();
    void failures_data();
    void failures();
    void mangledHeadersNeverCrash();
    void inMemorySameAsFile_data();
    void inMemorySameAsFile();
    void inMemoryBadLayoutsRefused_data();
    void inMemoryBadLayoutsRefused();

private:
    const QTemporaryDir& dir() const { return *tmp; }
    std::unique_ptr<QTemporaryDir> tmp; // a fresh folder for every test row
};

// Relations that hold between the channels over the midtones (strict) and for
// every luma (loosely); every mode keeps black, white and the light and shade.
void TestTavor::modeLook_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    QTest::addColumn<QString>("relations");
    QTest::newRow("sepia 0") << 1 << 0 << 0 << 0 << "R>G G>B";
    QTest::newRow("sepia preset") << 1 << 63 << 0 << 0 << "R>G G>B";
    QTest::newRow("sepia 255") << 1 << 255 << 0 << 0 << "R>G G>B";
    QTest::newRow("green 0") << 2 << 0 << 0 << 0 << "G>R G>B";
    QTest::newRow("green 255") << 2 << 0 << 255 << 0 << "G>R G>B";
    QTest::newRow("blue 0") << 3 << 0 << 0 << 0 << "B>R B>G";
    QTest::newRow("blue 255") << 3 << 0 << 0 << 255 << "B>R B>G";
    QTest::newRow("black and white") << 5 << 200 << 10 << 90 << "R=G G=B";
    QTest::newRow("tint orange") << 6 << 200 << 120 << 50 << "R>G G>B";
    QTest::newRow("tint teal") << 6 << 40 << 200 << 160 << "G>B B>R";
    QTest::newRow("tint violet") << 6 << 120 << 60 << 220 << "B>R R>G";
    QTest::newRow("tint two equal") << 6 << 90 << 90 << 200 << "R=G B>R";
    QTest::newRow("tint black") << 6 << 0 << 0 << 0 << "R=G G=B";
    QTest::newRow("tint preset grey") << 6 << 127 << 127 << 127 << "R=G G=B";
    QTest::newRow("tint white") << 6 << 255 << 255 << 255 << "R=G G=B";
}

void TestTavor::modeLook() {
    QFETCH(int, mode);
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    QFETCH(QString, relations);
    const QList<QRgb> c = ramp(dir().path(), mode, r, g, b);
    QCOMPARE(c.size(), 256);
    QCOMPARE(c[0], qRgb(0, 0, 0));
    QCOMPARE(c[255], qRgb(255, 255, 255));
    for (int y = 0; y < 256; ++y) {
        const int l = (77 * qRed(c[y]) + 150 * qGreen(c[y]) + 29 * qBlue(c[y]) + 128) >> 8;
        QVERIFY2(qAbs(l - y) <= 2, qPrintable(QString("luma %1 became %2").arg(y).arg(l)));
        if (y > 0)
            for (char ch : {'R', 'G', 'B'})
                QVERIFY2(channel(c[y], ch) >= channel(c[y - 1], ch),
                         qPrintable(QString("luma %1").arg(y)));
        for (const QString& rel : relations.split(' ')) {
            const int a = channel(c[y], rel[0].toLatin1()), z = channel(c[y], rel[2].toLatin1());
            const bool mid = y >= 40 && y <= 215;
            const bool ok = rel[1] == '=' ? a == z : mid ? a > z : a >= z;
            QVERIFY2(ok, qPrintable(
                             QString("%1 fails at luma %2: %3 %4").arg(rel).arg(y).arg(a).arg(z)));
        }
    }
}

// Black and white is the Rec. 601 luma; pixels of equal luma come out alike in every mode.
void TestTavor::greyIsLuma_data() {
    QTest::addColumn<QRgb>("colour");
    QTest::addColumn<int>("luma");
    QTest::newRow("red") << qRgb(255, 0, 0) << 77;
    QTest::newRow("green") << qRgb(0, 255, 0) << 149;
    QTest::newRow("blue") << qRgb(0, 0, 255) << 29;
    QTest::newRow("dark mix") << qRgb(10, 20, 30) << 18;
    QTest::newRow("yellow") << qRgb(255, 255, 0) << 226;
    QTest::newRow("white") << qRgb(255, 255, 255) << 255;
}

void TestTavor::greyIsLuma() {
    QFETCH(QRgb, colour);
    QFETCH(int, luma);
    const QString in = dir().path() + "/in.bmp", out = dir().path() + "/out.bmp";
    QVERIFY(writeFile(in, makeBmp(2, 1, [&](int x, int) { return x == 0 ? colour : grey(luma); })));
    QCOMPARE(run(in, out, TAVOR_MODE_GRAY), int(TAVOR_OK));
    QCOMPARE(QImage(out).pixel(0, 0), grey(luma));
    for (int mode : {1, 2, 3, 6}) {
        QCOMPARE(run(in, out, mode, 120, 80, 200), int(TAVOR_OK));
        const QImage img(out);
        QCOMPARE(img.pixel(0, 0), img.pixel(1, 0));
    }
}

// The mode's value sets how strongly the midtones are coloured; 0 still colours.
// Values outside 0–255 count as the nearest end.
void TestTavor::valueSetsStrength_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("channel");
    QTest::newRow("sepia") << 1 << 0;
    QTest::newRow("green") << 2 << 1;
    QTest::newRow("blue") << 3 << 2;
}

void TestTavor::valueSetsStrength() {
    QFETCH(int, mode);
    QFETCH(int, channel);
    const auto midtone = [&](int v) {
        int values[3] = {0, 0, 0};
        values[channel] = v;
        const QList<QRgb> c = ramp(dir().path(), mode, values[0], values[1], values[2]);
        return c.isEmpty() ? QRgb(0) : c[128];
    };
    const QRgb at0 = midtone(0), at128 = midtone(128), at255 = midtone(255);
    QVERIFY2(spread(at0) >= 20, "value 0 must still give a visible tone");
    QVERIFY(spread(at0) < spread(at128));
    QVERIFY(spread(at128) < spread(at255));
    QCOMPARE(midtone(-40), at0);
    QCOMPARE(midtone(300), at255);
}

void TestTavor::valuesOutsideTheModeIgnored_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QList<int>>("otherValues");
    QTest::newRow("sepia") << 1 << QList<int>{70, 0, 0} << QList<int>{70, 255, 30};
    QTest::newRow("green") << 2 << QList<int>{0, 70, 0} << QList<int>{200, 70, 255};
    QTest::newRow("blue") << 3 << QList<int>{0, 0, 70} << QList<int>{255, 9, 70};
    QTest::newRow("black and white") << 5 << QList<int>{0, 0, 0} << QList<int>{255, 128, 3};
}

void TestTavor::valuesOutsideTheModeIgnored() {
    QFETCH(int, mode);
    QFETCH(QList<int>, values);
    QFETCH(QList<int>, otherValues);
    const QString in = dir().path() + "/in.bmp";
    QVERIFY(writeFile(
        in, makeBmp(9, 4, [](int x, int y) { return qRgb(x * 28, y * 60, 255 - x * 20); })));
    QCOMPARE(run(in, dir().path() + "/a.bmp", mode, values[0], values[1], values[2]),
             int(TAVOR_OK));
    QCOMPARE(run(in, dir().path() + "/b.bmp", mode, otherValues[0], otherValues[1], otherValues[2]),
             int(TAVOR_OK));
    QCOMPARE(readFile(dir().path() + "/a.bmp"), readFile(dir().path() + "/b.bmp"));
}

// Grey input passes black and white unchanged, so every pixel must land where it was.
void TestTavor::layouts_data() {
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<bool>("topDown");
    QTest::addColumn<int>("infoSize");
    QTest::addColumn<int>("gap");
    for (int w : {1, 2, 3, 4, 5, 7})
        for (int h : {1, 2, 3})
            for (bool top : {false, true})
                QTest::addRow("%dx%d %s", w, h, top ? "top-down" : "bottom-up")
                    << w << h << top << 40 << 0;
    QTest::newRow("V5 header") << 6 << 5 << false << 124 << 0;
    QTest::newRow("V4 header, top-down") << 6 << 4 << true << 108 << 0;
    QTest::newRow("colour table before rows") << 3 << 3 << false << 40 << 16;
}

void TestTavor::layouts() {
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(bool, topDown);
    QFETCH(int, infoSize);
    QFETCH(int, gap);
    const QString in = dir().path() + "/in.bmp", out = dir().path() + "/out.bmp";
    QVERIFY(writeFile(in, makeBmp(w, h, pattern, {topDown, infoSize, gap})));
    QCOMPARE(run(in, out, TAVOR_MODE_GRAY), int(TAVOR_OK));

    const QByteArray o = readFile(out);
    const int rowSize = (w * 3 + 3) & ~3;
    QCOMPARE(o.size(), 54 + rowSize * h);
    QCOMPARE(o.left(2), QByteArray("BM"));
    QCOMPARE(get32(o, 2), quint32(o.size()));
    QCOMPARE(get32(o, 10), 54u);
    QCOMPARE(get32(o, 14), 40u);
    QCOMPARE(get32(o, 18), quint32(w));
    QCOMPARE(get32(o, 22), quint32(h));
    QCOMPARE(get32(o, 26), 24u << 16 | 1u);
    QCOMPARE(get32(o, 30), 0u);
    QCOMPARE(get32(o, 38), 2835u);
    QCOMPARE(get32(o, 42), 2835u);
    for (int row = 0; row < h; ++row)
        for (int i = w * 3; i < rowSize; ++i)
            QCOMPARE(int(o[54 + row * rowSize + i]), 0);

    const QImage img(out);
    QCOMPARE(img.size(), QSize(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            QCOMPARE(img.pixel(x, y), pattern(x, y));
}

// The program hands over bitmaps that Qt wrote; they read like the hand-made ones.
void TestTavor::qtWrittenBmpAccepted() {
    const auto colour = [](int x, int y) {
        return qRgb(x * 19 % 256, y * 31 % 256, (x + y) * 7 % 256);
    };
    QImage img(21, 13, QImage::Format_RGB888);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, colour(x, y));
    const QString byQt = dir().path() + "/qt.bmp", byHand = dir().path() + "/hand.bmp";
    QVERIFY(img.save(byQt, "BMP"));
    QVERIFY(writeFile(byHand, makeBmp(21, 13, colour)));
    QCOMPARE(run(byQt, dir().path() + "/a.bmp", TAVOR_MODE_SEPIA, 90), int(TAVOR_OK));
    QCOMPARE(run(byHand, dir().path() + "/b.bmp", TAVOR_MODE_SEPIA, 90), int(TAVOR_OK));
    QCOMPARE(readFile(dir().path() + "/a.bmp"), readFile(dir().path() + "/b.bmp"));
}

void TestTavor::inPlace() {
    const QString file = dir().path() + "/work.bmp", copy = dir().path() + "/copy.bmp";
    const QByteArray input =
        makeBmp(33, 17, [](int x, int y) { return qRgb(x * 7, y * 15, 128); }, {true});
    QVERIFY(writeFile(file, input));
    QVERIFY(writeFile(copy, input));
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0640), 0);
    QCOMPARE(run(copy, dir().path() + "/expected.bmp", TAVOR_MODE_TINT, 30, 140, 90),
             int(TAVOR_OK));
    QCOMPARE(run(file, file, TAVOR_MODE_TINT, 30, 140, 90), int(TAVOR_OK));
    QCOMPARE(readFile(file), readFile(dir().path() + "/expected.bmp"));
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, 0640u);
    QCOMPARE(entries(dir().path()), QStringList({"copy.bmp", "expected.bmp", "work.bmp"}));
}

// Each failure returns its code, leaves the old output and leaves no stray files.
void TestTavor::failures_data() {
    QTest::addColumn<QString>(
        "input"); // "missing", "folder", "fifo", or "file" with the bytes below
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>(
        "output"); // "old" (an existing file), "disk full", "folder", "no folder"
    QTest::addColumn<int>("expected");

    const QByteArray good = makeBmp(5, 3, pattern);
    const auto file = [&](const char* name, const QByteArray& b, int code) {
        QTest::newRow(name) << "file" << b << 1 << "old" << code;
    };
    QTest::newRow("missing") << "missing" << QByteArray() << 1 << "old" << int(TAVOR_E_OPEN);
    QTest::newRow("folder") << "folder" << QByteArray() << 1 << "old" << int(TAVOR_E_OPEN);
    QTest::newRow("fifo") << "fifo" << QByteArray() << 1 << "old" << int(TAVOR_E_OPEN);
    file("empty", QByteArray(), TAVOR_E_FORMAT);
    file("magic only", "BM", TAVOR_E_TRUNCATED);
    file("header cut", good.left(30), TAVOR_E_TRUNCATED);
    file("last row short", good.chopped(1), TAVOR_E_TRUNCATED);
    file("wrong magic", QByteArray(good).replace(0, 2, "MB"), TAVOR_E_FORMAT);
    file("32-bit", makeBmp(5, 3, pattern, {false, 40, 0, 32}), TAVOR_E_FORMAT);
    file("8-bit", makeBmp(5, 3, pattern, {false, 40, 1024, 8}), TAVOR_E_FORMAT);
    file("RLE", patched32(good, 30, 1), TAVOR_E_FORMAT);
    file("bit fields", patched32(good, 30, 3), TAVOR_E_FORMAT);
    file("two planes", patched32(good, 26, 24u << 16 | 2), TAVOR_E_FORMAT);
    file("core header", patched32(good, 14, 12), TAVOR_E_FORMAT);
    file("width 0", patched32(good, 18, 0), TAVOR_E_FORMAT);
    file("negative width", patched32(good, 18, quint32(-5)), TAVOR_E_FORMAT);
    file("height 0", patched32(good, 22, 0), TAVOR_E_FORMAT);
    file("rows inside the header", patched32(good, 10, 20), TAVOR_E_FORMAT);
    file("rows past the end", patched32(good, 10, 4000), TAVOR_E_TRUNCATED);
    file("largest size, no rows", patched32(patched32(good, 18, 10000), 22, 10000),
         TAVOR_E_TRUNCATED);
    file("over 100 megapixels", patched32(patched32(good, 18, 10001), 22, 10000), TAVOR_E_SIZE);
    file("size overflow", patched32(patched32(good, 18, INT_MAX), 22, quint32(-INT_MAX)),
         TAVOR_E_SIZE);
    file("lowest height", patched32(good, 22, quint32(INT_MIN)), TAVOR_E_SIZE);
    for (int mode : {0, 4, 7, -1})
        QTest::addRow("mode %d", mode) << "file" << good << mode << "old" << int(TAVOR_E_MODE);
    QTest::newRow("output in a missing folder")
        << "file" << good << 1 << "no folder" << int(TAVOR_E_WRITE);
    QTest::newRow("output is a folder") << "file" << good << 1 << "folder" << int(TAVOR_E_WRITE);
    QTest::newRow("disk full while writing")
        << "file" << makeBmp(40, 30, pattern) << 1 << "disk full" << int(TAVOR_E_WRITE);
}

void TestTavor::failures() {
    QFETCH(QString, input);
    QFETCH(QByteArray, bytes);
    QFETCH(int, mode);
    QFETCH(QString, output);
    QFETCH(int, expected);
    const QString in = dir().path() + "/in.bmp";
    QString out = dir().path() + "/out.bmp";
    if (input == "file")
        QVERIFY(writeFile(in, bytes));
    else if (input == "folder")
        QVERIFY(QDir().mkdir(in));
    else if (input == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(in).constData(), 0600), 0);
    if (output == "old" || output == "disk full")
        QVERIFY(writeFile(out, "old picture"));
    else if (output == "folder")
        QVERIFY(QDir().mkdir(out));
    else
        out = dir().path() + "/none/out.bmp";
    const QStringList before = entries(dir().path());

    // A file size limit makes the write fail part way, as a full disk would.
    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    if (output == "disk full") {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 1000;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    const int rc = run(in, out, mode, 100, 100, 100);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    QCOMPARE(rc, expected);
    QCOMPARE(entries(dir().path()), before);
    if (output != "folder" && output != "no folder")
        QCOMPARE(readFile(out), QByteArray("old picture"));
    if (input == "file")
        QCOMPARE(readFile(in), bytes);
}

void TestTavor::mangledHeadersNeverCrash() {
    const QByteArray good = makeBmp(5, 3, pattern, {true});
    const QString in = dir().path() + "/in.bmp", out = dir().path() + "/out.bmp";
    const QList<int> codes{TAVOR_OK, TAVOR_E_FORMAT, TAVOR_E_TRUNCATED, TAVOR_E_SIZE};
    QRandomGenerator rng(20240611);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray b = good;
        for (int n = rng.bounded(1, 4); n > 0; --n)
            b[rng.bounded(54)] = char(rng.bounded(256));
        if (rng.bounded(4) == 0)
            b.truncate(rng.bounded(b.size()));
        QVERIFY(writeFile(in, b));
        QVERIFY(writeFile(out, "old picture"));
        const int rc = run(in, out, 1 + rng.bounded(3), 50, 50, 50);
        QVERIFY2(codes.contains(rc),
                 qPrintable(QString("round %1 returned %2").arg(round).arg(rc)));
        if (rc == TAVOR_OK) {
            ++accepted;
            const QByteArray o = readFile(out);
            QVERIFY(!QImage::fromData(o, "BMP").isNull());
            QCOMPARE(get32(o, 2), quint32(o.size()));
        } else {
            QCOMPARE(readFile(out), QByteArray("old picture"));
        }
    }
    QVERIFY(accepted > 0);
    QVERIFY(accepted < 3000);
}

// A picture recoloured in memory, as BMP rows or as 32-bit pixels, gets the
// colours the file conversion gives it; the fourth byte of a 32-bit pixel
// and the bytes past a row's end stay as they were.
void TestTavor::inMemorySameAsFile_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("bytesPerPixel");
    for (int mode : {1, 2, 3, 5, 6})
        for (int bpp : {3, 4})
            QTest::addRow("mode %d, %d bytes", mode, bpp) << mode << bpp;
}

void TestTavor::inMemorySameAsFile() {
    QFETCH(int, mode);
    QFETCH(int, bytesPerPixel);
    const int w = 37, h = 5;
    auto colour = [](int x, int y) { return qRgb(x * 7 & 255, y * 53 & 255, (x * y * 11) & 255); };
    const QString in = dir().filePath("in.bmp"), out = dir().filePath("out.bmp");
    QVERIFY(writeFile(in, makeBmp(w, h, colour)));
    QCOMPARE(run(in, out, mode, 40, 150, 220), int(TAVOR_OK));
    const QImage expected = QImage(out).convertToFormat(QImage::Format_RGB32);

    const int stride = w * bytesPerPixel + 9;
    QByteArray pixels(stride * h, char(0x5A));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            char* p = pixels.data() + y * stride + x * bytesPerPixel;
            p[0] = char(qBlue(colour(x, y)));
            p[1] = char(qGreen(colour(x, y)));
            p[2] = char(qRed(colour(x, y)));
            if (bytesPerPixel == 4)
                p[3] = char(x);
        }
    QCOMPARE(MonocroPixels(reinterpret_cast<unsigned char*>(pixels.data()), w, h, stride,
                           bytesPerPixel, mode, 40, 150, 220),
             int(TAVOR_OK));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const auto* p =
                reinterpret_cast<const uchar*>(pixels.constData() + y * stride + x * bytesPerPixel);
            QCOMPARE(qRgb(p[2], p[1], p[0]), expected.pixel(x, y));
            if (bytesPerPixel == 4)
                QCOMPARE(int(p[3]), x);
        }
        QCOMPARE(pixels.mid(y * stride + w * bytesPerPixel, 9), QByteArray(9, char(0x5A)));
    }
}

void TestTavor::inMemoryBadLayoutsRefused_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("stride");
    QTest::addColumn<int>("bytesPerPixel");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("result");
    QTest::newRow("mode 0") << 4 << 4 << 16 << 4 << 0 << int(TAVOR_E_MODE);
    QTest::newRow("mode 4") << 4 << 4 << 16 << 4 << 4 << int(TAVOR_E_MODE);
    QTest::newRow("no width") << 0 << 4 << 16 << 4 << 1 << int(TAVOR_E_ARG);
    QTest::newRow("negative height") << 4 << -4 << 16 << 4 << 1 << int(TAVOR_E_ARG);
    QTest::newRow("rows too short") << 4 << 4 << 15 << 4 << 1 << int(TAVOR_E_ARG);
    QTest::newRow("negative stride") << 4 << 4 << -16 << 4 << 1 << int(TAVOR_E_ARG);
    QTest::newRow("2 bytes a pixel") << 4 << 4 << 16 << 2 << 1 << int(TAVOR_E_ARG);
    QTest::newRow("width past memory") << INT_MAX << 4 << 16 << 4 << 1 << int(TAVOR_E_ARG);
}

void TestTavor::inMemoryBadLayoutsRefused() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, stride);
    QFETCH(int, bytesPerPixel);
    QFETCH(int, mode);
    QFETCH(int, result);
    QByteArray pixels(64, char(0x77));
    QCOMPARE(MonocroPixels(reinterpret_cast<unsigned char*>(pixels.data()), width, height, stride,
                           bytesPerPixel, mode, 0, 0, 0),
             result);
    QCOMPARE(pixels, QByteArray(64, char(0x77)));
    QCOMPARE(MonocroPixels(nullptr, 4, 4, 16, 4, 1, 0, 0, 0), int(TAVOR_E_ARG));
}

// The key colour of each mode sits on the ramp at its own luma, so a grey of
// that luma becomes exactly the key: the values the library documents.
void TestTavor::keyColours_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<int>("luma");
    QTest::addColumn<QList<int>>("key");
    QTest::newRow("sepia preset 63")
        << 1 << QList<int>{63, 0, 0} << 150 << QList<int>{185, 141, 102};
    QTest::newRow("sepia full") << 1 << QList<int>{255, 0, 0} << 150 << QList<int>{230, 130, 40};
    QTest::newRow("green full") << 2 << QList<int>{0, 255, 0} << 127 << QList<int>{30, 190, 60};
    QTest::newRow("blue full") << 3 << QList<int>{0, 0, 255} << 81 << QList<int>{30, 80, 220};
    QTest::newRow("tint") << 6 << QList<int>{200, 120, 50} << 136 << QList<int>{200, 120, 50};
}

void TestTavor::keyColours() {
    QFETCH(int, mode);
    QFETCH(QList<int>, values);
    QFETCH(int, luma);
    QFETCH(QList<int>, key);
    const QList<QRgb> c = ramp(dir().path(), mode, values[0], values[1], values[2]);
    QCOMPARE(c.size(), 256);
    QCOMPARE(QList<int>({qRed(c[luma]), qGreen(c[luma]), qBlue(c[luma])}), key);
}

QTEST_GUILESS_MAIN(TestTavor)
#include "test_tavor.moc"
