// quillo print: its exit status and the pages it writes.

#include "app/commandline.h"
#include "editor/cardrenderer.h"
#include "logosheet.h"
#include "pdfcheck.h"
#include "print/pdfprinter.h"
#include "testcard.h"

#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

class TestPrintCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void exitStatus_data();
    void exitStatus();
    void linesPlacedAsInTheWindow();
    void pictureOnlyWhenPrinted_data();
    void pictureOnlyWhenPrinted();
    void verticalLinesOnEveryCard_data();
    void verticalLinesOnEveryCard();
    void logoOnEveryCard();

private:
    QTemporaryDir m_dir;
};

void TestPrintCommand::initTestCase() {
    // quillo convert uses the user's settings and data folders: these.
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toUtf8());
    const QString picture = m_dir.filePath(QStringLiteral("photo.png"));
    QVERIFY(WriteSolidPicture(picture, qRgb(255, 200, 0)));
    const Card card = PrintTestCard(picture);
    QCOMPARE(WriteCardFile(m_dir.filePath(QStringLiteral("card.qcd")), card), 0);
    Card noStyle = card;
    noStyle.PrintStyle.YsY = 0;
    QCOMPARE(WriteCardFile(m_dir.filePath(QStringLiteral("nostyle.qcd")), noStyle), 0);
    Card noPicture = card;
    noPicture.PicPath.clear();
    QCOMPARE(WriteCardFile(m_dir.filePath(QStringLiteral("nopicture.qcd")), noPicture), 0);
    // Pictures that cannot be used: gone, and a JPEG cut in half.
    Card missingPicture = card;
    missingPicture.PicPath = m_dir.filePath(QStringLiteral("gone.png"));
    QCOMPARE(WriteCardFile(m_dir.filePath(QStringLiteral("gone.qcd")), missingPicture), 0);
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(qRgb(20, 120, 200));
    const QString half = m_dir.filePath(QStringLiteral("half.jpg"));
    QVERIFY(photo.save(half, "jpg"));
    QFile cut(half);
    QVERIFY(cut.resize(cut.size() / 2));
    Card cutPicture = card;
    cutPicture.PicPath = half;
    QCOMPARE(WriteCardFile(m_dir.filePath(QStringLiteral("half.qcd")), cutPicture), 0);
    // Cards whose image at the asked quality would take gigabytes.
    for (int mm : {1000, 2000}) {
        Card huge = card;
        huge.PrintStyle.MsY = huge.PrintStyle.MsX = mm;
        QCOMPARE(WriteCardFile(m_dir.filePath(QStringLiteral("card%1mm.qcd").arg(mm)), huge), 0);
    }
}

void TestPrintCommand::exitStatus_data() {
    QTest::addColumn<QStringList>("args"); // "OUT" stands for the output file
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("pages"); // 0: no file is written

    QTest::newRow("three sheets with cut marks")
        << QStringList{"card.qcd", "--pdf", "OUT", "--sheets", "3", "--cut-marks"} << 0 << 3;
    QTest::newRow("text, bottom marks")
        << QStringList{"card.qcd", "--pdf", "OUT",         "--kind",        "text",
                       "--sheets", "2",     "--cut-marks", "--bottom-marks"}
        << 0 << 2;
    QTest::newRow("background, quality 2")
        << QStringList{"card.qcd", "--pdf", "OUT", "--kind", "background", "--quality", "2"} << 0
        << 1;
    QTest::newRow("positions") << QStringList{"card.qcd", "--positions", "--pdf", "OUT"} << 0 << 1;
    // Printed without the picture the card names: the distinct status.
    QTest::newRow("picture missing") << QStringList{"gone.qcd", "--pdf", "OUT"} << 3 << 1;
    // The text print never shows the picture (pictureOnlyWhenPrinted).
    QTest::newRow("picture cut short") << QStringList{"half.qcd", "--pdf", "OUT"} << 3 << 1;
    // Refusals of the printer and the job.
    QTest::newRow("no print style") << QStringList{"nostyle.qcd", "--pdf", "OUT"} << 1 << 0;
    QTest::newRow("background without a picture")
        << QStringList{"nopicture.qcd", "--pdf", "OUT", "--kind", "background"} << 1 << 0;
    QTest::newRow("missing card") << QStringList{"missing.qcd", "--pdf", "OUT"} << 1 << 0;
    QTest::newRow("output folder missing")
        << QStringList{"card.qcd", "--pdf", "missing/OUT"} << 1 << 0;
    // A card of a metre is drawn at a lower quality; one of two metres is
    // refused before anything is drawn.
    QTest::newRow("a card of 1000 mm")
        << QStringList{"card1000mm.qcd", "--pdf", "OUT", "--quality", "20"} << 0 << 1;
    QTest::newRow("a card of 2000 mm") << QStringList{"card2000mm.qcd", "--pdf", "OUT"} << 1 << 0;
    QTest::newRow("unknown printer")
        << QStringList{"card.qcd", "--printer", "無いプリンタ"} << 1 << 0;
    // The built-in printer's old name, where no queue has it: a file needs --pdf.
    QTest::newRow("printer PDF") << QStringList{"card.qcd", "--printer", "PDF"} << 2 << 0;
    // Arguments.
    QTest::newRow("no card") << QStringList{"--pdf", "OUT"} << 2 << 0;
    QTest::newRow("both outputs") << QStringList{"card.qcd", "--pdf", "OUT", "--printer", "X"} << 2
                                  << 0;
    QTest::newRow("1001 sheets") << QStringList{"card.qcd", "--pdf", "OUT", "--sheets", "1001"} << 2
                                 << 0;
    QTest::newRow("unknown kind") << QStringList{"card.qcd", "--pdf", "OUT", "--kind", "photo"} << 2
                                  << 0;
    QTest::newRow("positions with sheets")
        << QStringList{"card.qcd", "--positions", "--pdf", "OUT", "--sheets", "2"} << 2 << 0;
}

void TestPrintCommand::exitStatus() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(int, pages);
    const QString out = m_dir.filePath(QStringLiteral("out.pdf"));
    QFile::remove(out);
    for (QString& a : args) {
        if (a.endsWith(u"OUT"))
            a = m_dir.filePath(a.replace(QStringLiteral("OUT"), QStringLiteral("out.pdf")));
        else if (a.endsWith(u".qcd"))
            a = m_dir.filePath(a);
    }
    PdfOnlyPrinterHost printers;
    QCOMPARE(RunCommandLine(QStringList{QStringLiteral("print")} + args, printers), status);
    QCOMPARE(QFileInfo::exists(out), pages > 0);
    if (pages == 0 || !pdfcheck::available())
        return;
    QCOMPARE(pdfcheck::pageSizes(out).value_or(QList<QSizeF>{}).size(), pages);
}

// A line stored where the window would move it (its 3D copy, 1 mm above
// it, cut off at the card's top) is converted and printed where the window
// puts it: 1 mm of the card left above the copy, so the line at 2 mm.
void TestPrintCommand::linesPlacedAsInTheWindow() {
    Card card = PrintTestCard(QString());
    TextItem& name = card.TextItems[0];
    name.KageHoukou = 0; // up
    name.KageTakasa = 1;
    name.Top = -0.25;
    Card placed = card;
    placed.TextItems[0].Top = 2;
    const QString stored = m_dir.filePath(QStringLiteral("stored.qcd"));
    const QString asShown = m_dir.filePath(QStringLiteral("shown.qcd"));
    QCOMPARE(WriteCardFile(stored, card), 0);
    QCOMPARE(WriteCardFile(asShown, placed), 0);

    PdfOnlyPrinterHost printers;
    const QString converted = m_dir.filePath(QStringLiteral("converted.qcd"));
    QCOMPARE(RunCommandLine({QStringLiteral("convert"), stored, converted}, printers), 0);
    Card read;
    ReadCardFile(converted, read);
    QCOMPARE(read.TextItems[0].Top, 2.0);
    QCOMPARE(read.TextItems[0].Left, name.Left);

    if (!pdfcheck::available())
        return;
    QList<QImage> pages;
    for (const QString& in : {stored, asShown}) {
        const QString out = m_dir.filePath(QStringLiteral("placed.pdf"));
        QCOMPARE(RunCommandLine({QStringLiteral("print"), in, QStringLiteral("--pdf"), out,
                                 QStringLiteral("--kind"), QStringLiteral("text")},
                                printers),
                 0);
        pages.append(pdfcheck::renderPage(out, 1, 100));
    }
    QVERIFY(!pages[0].isNull());
    QCOMPARE(pages[0], pages[1]);
}

// A card whose picture file is gone: only the kinds that print the picture
// look for it (and say that it is missing).
void TestPrintCommand::pictureOnlyWhenPrinted_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("looked");
    QTest::newRow("text") << "text" << 0 << false;
    QTest::newRow("positions") << "" << 0 << false;
    QTest::newRow("standard") << "standard" << 3 << true;
    QTest::newRow("background") << "background" << 1 << true;
}

void TestPrintCommand::pictureOnlyWhenPrinted() {
    QFETCH(QString, kind);
    QFETCH(int, status);
    QFETCH(bool, looked);
    QStringList args{m_dir.filePath("gone.qcd"), "--pdf", m_dir.filePath("gone.pdf")};
    args << (kind.isEmpty() ? QStringList{"--positions"} : QStringList{"--kind", kind});
    // What the command says goes to the standard error: into a file here.
    QFile said(m_dir.filePath("stderr.txt"));
    QVERIFY(said.open(QIODevice::ReadWrite | QIODevice::Truncate));
    std::fflush(stderr);
    const int saved = dup(2);
    dup2(said.handle(), 2);
    PdfOnlyPrinterHost printers;
    const int result = RunCommandLine(QStringList{QStringLiteral("print")} + args, printers);
    std::fflush(stderr);
    dup2(saved, 2);
    ::close(saved);
    QCOMPARE(result, status);
    said.seek(0);
    QCOMPARE(QString::fromLocal8Bit(said.readAll()).contains("画像ファイルが見つかりません"),
             looked);
}

void TestPrintCommand::verticalLinesOnEveryCard_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("text") << "text";
    QTest::newRow("standard") << "standard";
    // quillo convert's card image, one card.
    QTest::newRow("convert") << "convert";
}

// A sheet of a card with its name and company written top to bottom: on
// every card of the page the two columns' ink lies where the card renderer
// puts it on the screen, within 0.2 mm.
void TestPrintCommand::verticalLinesOnEveryCard() {
    QFETCH(QString, kind);
    if (!pdfcheck::available())
        QSKIP("poppler-utils are not installed");
    Card card = PrintTestCard(QString());
    TextItem& name = card.TextItems[0];
    name.FontName = QStringLiteral("IPAMincho");
    name.FontSize = 24;
    name.KageOn = false;
    name.Tategaki = true;
    name.Left = 70;
    name.Top = 6;
    TextItem& company = card.TextItems[1];
    company.Text = QStringLiteral("株式会社クイロ");
    company.FontName = QStringLiteral("IPA明朝");
    company.Tategaki = true;
    company.Left = 60;
    company.Top = 6;
    const QString path = m_dir.filePath(QStringLiteral("vertical.qcd"));
    QCOMPARE(WriteCardFile(path, card), 0);
    constexpr int PxPerMm = 10;
    const PrintStyle& s = card.PrintStyle;
    PdfOnlyPrinterHost printers;
    QImage page;
    if (kind == u"convert") {
        const QString out = m_dir.filePath(QStringLiteral("vertical.png"));
        QCOMPARE(RunCommandLine({QStringLiteral("convert"), path, out, QStringLiteral("--quality"),
                                 QStringLiteral("8")},
                                printers),
                 0);
        // The image stands for the whole card.
        page = QImage(out).scaled(int(s.MsX * PxPerMm), int(s.MsY * PxPerMm), Qt::IgnoreAspectRatio,
                                  Qt::SmoothTransformation);
    } else {
        const QString out = m_dir.filePath(QStringLiteral("vertical.pdf"));
        QCOMPARE(RunCommandLine({QStringLiteral("print"), path, QStringLiteral("--pdf"), out,
                                 QStringLiteral("--kind"), kind, QStringLiteral("--quality"),
                                 QStringLiteral("8")},
                                printers),
                 0);
        page = pdfcheck::renderPage(out, 1, int(PxPerMm * 25.4));
    }
    QVERIFY(!page.isNull());
    const bool sheet = kind != u"convert";

    // The card as the canvas draws it, at the same scale.
    QImage screen(int(s.MsX * PxPerMm), int(s.MsY * PxPerMm), QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QPainter p(&screen);
        p.scale(PxPerMm, PxPerMm);
        CardRenderer(card).paint(p, QImage(), CardLayers{false, true});
    }
    // The ink's box in the columns [x0, x1) of an image, in millimetres.
    const auto inkBox = [](const QImage& image, QRectF mm) {
        QRectF box;
        for (int y = int(mm.top() * PxPerMm); y < int(mm.bottom() * PxPerMm); ++y)
            for (int x = int(mm.left() * PxPerMm); x < int(mm.right() * PxPerMm); ++x)
                if (x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
                    qGray(image.pixel(x, y)) < 128)
                    box |= QRectF(double(x) / PxPerMm, double(y) / PxPerMm, 1.0 / PxPerMm,
                                  1.0 / PxPerMm);
        return box;
    };
    for (const TextItem* t : {&name, &company}) {
        const QSizeF size = CardRenderer::measureText(*t);
        QVERIFY(size.height() > 2 * size.width()); // a column
        const QRectF column(t->Left - 1, t->Top - 1, size.width() + 2, size.height() + 2);
        const QRectF shown = inkBox(screen, column);
        QVERIFY(shown.height() > 0.8 * size.height());
        for (int row = 0; row < (sheet ? s.MaisuY : 1); ++row) {
            for (int col = 0; col < (sheet ? s.MaisuX : 1); ++col) {
                const QPointF cardAt = sheet ? QPointF(s.YhkLeft + col * (s.MsX + s.KkLeft),
                                                       s.Yhktop + row * (s.MsY + s.Kktop))
                                             : QPointF(0, 0);
                const QRectF printed = inkBox(page, column.translated(cardAt)).translated(-cardAt);
                const QString where = QStringLiteral("card %1,%2: printed %3,%4 %5x%6, shown "
                                                     "%7,%8 %9x%10")
                                          .arg(row)
                                          .arg(col)
                                          .arg(printed.x())
                                          .arg(printed.y())
                                          .arg(printed.width())
                                          .arg(printed.height())
                                          .arg(shown.x())
                                          .arg(shown.y())
                                          .arg(shown.width())
                                          .arg(shown.height());
                for (double d :
                     {printed.left() - shown.left(), printed.top() - shown.top(),
                      printed.right() - shown.right(), printed.bottom() - shown.bottom()})
                    QVERIFY2(std::abs(d) <= 0.2, qPrintable(where));
            }
        }
    }
}

// A transparent PNG logo 20 mm wide in the card's top right corner, printed
// from the command line: within 0.1 mm of its place at all ten positions,
// the picture showing through it. (The print kinds are measured in the print
// tests; this is the command's way to them.)
void TestPrintCommand::logoOnEveryCard() {
    if (!pdfcheck::available())
        QSKIP("poppler-utils are not installed");
    const QRgb orange = qRgb(255, 200, 0);
    const QString logo = m_dir.filePath(QStringLiteral("logo.png"));
    const QString card = m_dir.filePath(QStringLiteral("logo.qcd"));
    QVERIFY(WriteFramedLogoPng(logo));
    // The orange picture the test case wrote.
    const Card withLogo = LogoTestCard(m_dir.filePath(QStringLiteral("photo.png")), logo);
    QCOMPARE(WriteCardFile(card, withLogo), 0);
    const QString out = m_dir.filePath(QStringLiteral("logo.pdf"));
    PdfOnlyPrinterHost printers;
    QCOMPARE(RunCommandLine({"print", card, "--pdf", out, "--quality", "4"}, printers), 0);
    constexpr int dpi = 400;
    const QString wrong =
        CheckLogoOnSheet(pdfcheck::renderPage(out, 1, dpi), dpi, withLogo, orange);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

QTEST_MAIN(TestPrintCommand)
#include "test_printcommand.moc"
