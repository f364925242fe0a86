// The PDF printer's own behaviour: where its file goes, what lands on the
// page and where, and that a picture painted many times is stored once.

#include "base/runtimeerror.h"
#include "pdfcheck.h"
#include "print/pdfprinter.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/mount.h>
#include <sys/stat.h>

namespace {

constexpr int RenderDpi = 100;

QPoint pixelAt(double xMm, double yMm) {
    return QPoint(int(xMm / 25.4 * RenderDpi), int(yMm / 25.4 * RenderDpi));
}

// Incompressible pixels, so that every stored copy shows in the file size.
QImage noise(int seed) {
    QImage image(160, 160, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    return image;
}

} // namespace

class TestPdfPrinter : public QObject {
    Q_OBJECT

private slots:
    void init();
    void outputFileProblems_data();
    void outputFileProblems();
    void replacesAnOlderFileOnEndDoc();
    void fullDiskFailsAndKeepsTheOlderFile();
    void drawsWhereAndHowAsked();
    void samePictureIsStoredOnce();
    void sameTextInAnotherFont_data();
    void sameTextInAnotherFont();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPdfPrinter::init() {
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestPdfPrinter::outputFileProblems_data() {
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<int>("error");
    QTest::newRow("no file named") << QString() << int(RuntimeError::BadFileName);
    QTest::newRow("missing folder")
        << QStringLiteral("missing/out.pdf") << int(RuntimeError::PathNotFound);
    QTest::newRow("a folder") << QStringLiteral("folder") << int(RuntimeError::PathFileAccess);
    QTest::newRow("a FIFO") << QStringLiteral("fifo") << int(RuntimeError::PathFileAccess);
    QTest::newRow("a symlink loop") << QStringLiteral("loop") << int(RuntimeError::PathFileAccess);
}

void TestPdfPrinter::outputFileProblems() {
    QFETCH(QString, relativePath);
    QFETCH(int, error);
    QDir(m_dir->path()).mkdir(QStringLiteral("folder"));
    QVERIFY(::mkfifo(QFile::encodeName(m_dir->filePath(QStringLiteral("fifo"))).constData(),
                     0600) == 0);
    QVERIFY(QFile::link(QStringLiteral("loop"), m_dir->filePath(QStringLiteral("loop"))));
    PdfPrinter p;
    if (!relativePath.isEmpty())
        p.setOutputFile(m_dir->filePath(relativePath));
    try {
        p.Print(QStringLiteral("x"));
        QFAIL("the job started without a file to write");
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), error);
    }
    QVERIFY(!p.jobOpen());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
    // The FIFO is still a FIFO: nothing replaced it with a plain file.
    QVERIFY(!QFileInfo(m_dir->filePath(QStringLiteral("fifo"))).isFile());

    // A good file name afterwards works.
    p.setOutputFile(m_dir->filePath(QStringLiteral("good.pdf")));
    p.Print(QStringLiteral("x"));
    p.EndDoc();
    QVERIFY(QFileInfo(m_dir->filePath(QStringLiteral("good.pdf"))).size() > 0);
}

void TestPdfPrinter::replacesAnOlderFileOnEndDoc() {
    const QString path = m_dir->filePath(QStringLiteral("out.pdf"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();

    PdfPrinter p;
    p.setOutputFile(path);
    p.Print(QStringLiteral("x"));
    {
        // While the job runs the old file is still there.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old"));
    }
    p.EndDoc();
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().startsWith("%PDF-"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("out.pdf")});
}

// A disk with room for the old file but not the new one: the job fails with
// the disk-full error and the old file stays as it was.
void TestPdfPrinter::fullDiskFailsAndKeepsTheOlderFile() {
    const QString disk = m_dir->filePath(QStringLiteral("disk"));
    QDir().mkpath(disk);
    const QByteArray where = QFile::encodeName(disk);
    if (::mount("tmpfs", where.constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("a small disk can only be mounted by root");
    const auto unmount = qScopeGuard([&] { ::umount2(where.constData(), MNT_DETACH); });
    const QString path = disk + QStringLiteral("/out.pdf");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    QCOMPARE(old.write("old"), qint64(3));
    old.close();

    PdfPrinter p;
    p.setOutputFile(path);
    p.setScaleMode(Printer::ScaleMillimetres);
    for (int i = 0; i < 8; ++i) // about 600 KB of pixels that do not compress
        p.PaintPicture(noise(i), 0, i * 10, 50, 10);
    try {
        p.EndDoc();
        QFAIL("a PDF that did not fit on the disk was reported as written");
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), int(RuntimeError::DiskFull));
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("old"));
    QCOMPARE(QDir(disk).entryList(QDir::Files), QStringList{QStringLiteral("out.pdf")});
}

void TestPdfPrinter::drawsWhereAndHowAsked() {
    if (!pdfcheck::available())
        QSKIP("poppler-utils are not installed");
    const QString path = m_dir->filePath(QStringLiteral("page.pdf"));
    PdfPrinter p;
    p.setOutputFile(path);
    p.setWidth(Printer::PageTwips(100));
    p.setHeight(Printer::PageTwips(80));
    p.setScaleMode(Printer::ScaleMillimetres);

    p.ForeColor = 0x0000FF; // red: red is the low byte
    p.Line(10, 20, 50, 20);
    p.ForeColor = 0xFF0000; // blue
    p.Line(70, 10, 70, 50);
    QImage green(4, 4, QImage::Format_RGB32);
    green.fill(QColor(0, 255, 0));
    p.PaintPicture(green, 60, 55, 20, 10); // stretched to 20 × 10 mm
    p.ForeColor = 0;
    p.Font.Name = QStringLiteral("IPAGothic");
    p.Font.Size = 14;
    p.CurrentX = 10;
    p.CurrentY = 40;
    p.Print(QStringLiteral("名刺印刷"));
    p.EndDoc();

    const QImage page = pdfcheck::renderPage(path, 1, RenderDpi);
    QVERIFY(!page.isNull());
    QVERIFY(qAbs(page.width() - 100 / 25.4 * RenderDpi) <= 2);
    QVERIFY(qAbs(page.height() - 80 / 25.4 * RenderDpi) <= 2);
    // A one-pixel line lands within a pixel of where it was asked.
    auto near = [&](QPoint at, QRgb colour) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (page.pixel(at + QPoint(dx, dy)) == colour)
                    return true;
        return false;
    };
    QVERIFY(near(pixelAt(30, 20), qRgb(255, 0, 0)));
    QVERIFY(!near(pixelAt(30, 22), qRgb(255, 0, 0)));
    QVERIFY(!near(pixelAt(55, 20), qRgb(255, 0, 0)));
    QVERIFY(near(pixelAt(70, 30), qRgb(0, 0, 255)));
    QVERIFY(!near(pixelAt(70, 53), qRgb(0, 0, 255)));
    QCOMPARE(page.pixel(pixelAt(62, 57)), qRgb(0, 255, 0));
    QCOMPARE(page.pixel(pixelAt(78, 63)), qRgb(0, 255, 0));
    QCOMPARE(page.pixel(pixelAt(82, 60)), qRgb(255, 255, 255));
    QCOMPARE(page.pixel(pixelAt(70, 67)), qRgb(255, 255, 255));

    // The text starts at its top-left corner: ink just below 40 mm, none above.
    int inkTop = -1;
    for (int y = pixelAt(0, 35).y(); y < pixelAt(0, 50).y() && inkTop < 0; ++y)
        for (int x = pixelAt(10, 0).x(); x < pixelAt(40, 0).x(); ++x)
            if (qGray(page.pixel(x, y)) < 128) {
                inkTop = y;
                break;
            }
    QVERIFY(inkTop >= pixelAt(0, 40).y());
    QVERIFY(inkTop <= pixelAt(0, 42).y());
    QVERIFY(pdfcheck::text(path).contains(QStringLiteral("名刺印刷")));
}

// The same text printed again in a larger or underlined font is drawn in
// that font, not as it was shaped the first time.
void TestPdfPrinter::sameTextInAnotherFont_data() {
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<double>("heightRatio"); // second ink height over the first
    QTest::newRow("same font") << 14.0 << false << 1.0;
    QTest::newRow("twice the size") << 28.0 << false << 2.0;
    QTest::newRow("underlined") << 14.0 << true << 1.15;
}

void TestPdfPrinter::sameTextInAnotherFont() {
    QFETCH(double, size);
    QFETCH(bool, underline);
    QFETCH(double, heightRatio);
    if (!pdfcheck::available())
        QSKIP("poppler-utils are not installed");
    const QString path = m_dir->filePath(QStringLiteral("fonts.pdf"));
    PdfPrinter p;
    p.setOutputFile(path);
    p.setWidth(Printer::PageTwips(100));
    p.setHeight(Printer::PageTwips(80));
    p.setScaleMode(Printer::ScaleMillimetres);
    p.Font.Name = QStringLiteral("IPAGothic");
    p.Font.Size = 14;
    p.CurrentX = 10;
    p.CurrentY = 5;
    p.Print(QStringLiteral("一二三"));
    p.Font.Size = size;
    p.Font.Underline = underline;
    p.CurrentX = 10;
    p.CurrentY = 40;
    p.Print(QStringLiteral("一二三"));
    p.EndDoc();
    const QImage page = pdfcheck::renderPage(path, 1, RenderDpi);
    // The rows with ink between two heights (in mm).
    auto inkHeight = [&](double top, double bottom) {
        int first = -1, last = -1;
        for (int y = pixelAt(0, top).y(); y < pixelAt(0, bottom).y(); ++y)
            for (int x = pixelAt(5, 0).x(); x < pixelAt(95, 0).x(); ++x)
                if (qGray(page.pixel(x, y)) < 128) {
                    first = first < 0 ? y : first;
                    last = y;
                    break;
                }
        return double(last - first + 1);
    };
    const double ratio = inkHeight(40, 75) / inkHeight(5, 35);
    QVERIFY2(ratio >= heightRatio * 0.9 && ratio <= heightRatio * 1.6 * (underline ? 1 : 0.75),
             qPrintable(QString::number(ratio)));
    QCOMPARE(pdfcheck::text(path).count(QStringLiteral("一二三")), 2);
}

void TestPdfPrinter::samePictureIsStoredOnce() {
    const QImage picture = noise(1);
    const QImage other = noise(2);
    auto printJob = [&](const QString& name, int copies, bool alternate) {
        const QString path = m_dir->filePath(name);
        PdfPrinter p;
        p.setOutputFile(path);
        p.setScaleMode(Printer::ScaleMillimetres);
        for (int i = 0; i < copies; ++i) {
            if (i == copies / 2)
                p.NewPage();
            const QImage& image = alternate && i % 2 ? other : picture;
            p.PaintPicture(image, (i % 2) * 91, (i / 2 % 5) * 55, 91, 55);
        }
        p.EndDoc();
        return QFileInfo(path).size();
    };
    const qint64 once = printJob(QStringLiteral("once.pdf"), 1, false);
    const qint64 twenty = printJob(QStringLiteral("twenty.pdf"), 20, false);
    const qint64 twoPictures = printJob(QStringLiteral("two.pdf"), 20, true);
    const qint64 pictureBytes = 160 * 160 * 3;
    QVERIFY2(twenty - once < pictureBytes / 4,
             qPrintable(QStringLiteral("%1 / %2 bytes").arg(once).arg(twenty)));
    // The size does tell: a second picture adds about its own bytes.
    QVERIFY2(twoPictures - once > pictureBytes / 2,
             qPrintable(QStringLiteral("%1 / %2 bytes").arg(once).arg(twoPictures)));
}

QTEST_MAIN(TestPdfPrinter)
#include "test_pdfprinter.moc"
