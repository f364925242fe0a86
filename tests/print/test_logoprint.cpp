// The logo on paper: measured at every position of a printed A4 sheet, in
// each print kind, from the print routines and from the print window, and
// what the PDF keeps of it.

#include "editor/cardimage.h"
#include "logosheet.h"
#include "pdfcheck.h"
#include "picture/cardpicture.h"
#include "print/pdfprinter.h"
#include "print/printdialog.h"
#include "print/recordingprinter.h"
#include "testcard.h"
#include "testcontext.h"

#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSlider>
#include <QtTest>

namespace {

constexpr QRgb Background = 0xffffc800; // the card's picture: orange
constexpr int Dpi = 400;

} // namespace

class TestLogoPrint : public QObject {
    Q_OBJECT
private slots:
    void onEveryCardOfTheSheet_data();
    void onEveryCardOfTheSheet();
    void underOrOverTheLines_data();
    void underOrOverTheLines();
};

// The standard print stores the card image once, the logo drawn into it;
// the text print the logo's picture once for all twenty cards, an SVG logo
// as vectors; the background print the picture alone. Upright cards lie
// turned in the same positions, each picture still stored once.
void TestLogoPrint::onEveryCardOfTheSheet_data() {
    QTest::addColumn<QString>("logo"); // png or svg
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("fromWindow");
    QTest::addColumn<int>("pictures"); // the pictures the PDF stores, smasks apart
    QTest::addColumn<bool>("upright");
    const int standard = int(PrintKind::Standard), text = int(PrintKind::Text);
    const int background = int(PrintKind::Background);
    QTest::newRow("PNG, standard print") << "png" << standard << false << 1 << false;
    QTest::newRow("PNG, text print") << "png" << text << false << 1 << false;
    QTest::newRow("SVG, text print") << "svg" << text << false << 0 << false;
    QTest::newRow("SVG, standard print") << "svg" << standard << false << 1 << false;
    QTest::newRow("PNG, standard print from the window") << "png" << standard << true << 1 << false;
    QTest::newRow("PNG, background print") << "png" << background << false << 1 << false;
    QTest::newRow("upright, PNG, standard print") << "png" << standard << false << 1 << true;
    QTest::newRow("upright, SVG, text print from the window") << "svg" << text << true << 0 << true;
    QTest::newRow("upright, background print") << "png" << background << false << 1 << true;
}

void TestLogoPrint::onEveryCardOfTheSheet() {
    if (!pdfcheck::available())
        QSKIP("poppler-utils are not installed");
    QFETCH(QString, logo);
    QFETCH(int, kind);
    QFETCH(bool, fromWindow);
    QFETCH(int, pictures);
    QFETCH(bool, upright);
    TestContext t;
    const QString picture = t.path("back.png"), logoFile = t.path("logo." + logo);
    QVERIFY(WriteSolidPicture(picture, Background));
    QVERIFY(logo == u"png" ? WriteFramedLogoPng(logoFile) : WriteFramedLogoSvg(logoFile));
    t.doc.card = LogoTestCard(picture, logoFile);
    if (upright) {
        t.doc.card.Upright = true;
        t.doc.card.Logo.Left = 30;
        t.doc.card.Logo.Top = 70;
    }
    QVERIFY(LoadCardPicture(t.doc, t.ui, t.app)); // as the open command does
    t.app.ImgScale = 4;
    const QString out = t.path("sheet.pdf");
    if (fromWindow) {
        t.printers->setPrinter(std::make_unique<PdfPrinter>());
        IsForm2 form(t.doc, t.ui, *t.settings, *t.printers, t.app);
        t.ui.saveNames.enqueue(out);
        form.optPKBN[size_t(kind)]->click();
        form.Mais = 2;
        form.sldScreen->setValue(4);
        form.Command2->click();
    } else {
        auto pdf = std::make_unique<PdfPrinter>();
        pdf->setOutputFile(out);
        t.printers->setPrinter(std::move(pdf));
        QVERIFY(t.preparePrinter());
        QCOMPARE(t.print(PrintKind(kind), 2, false), PrintOutcome::Printed);
    }
    QVERIFY2(t.ui.messages.isEmpty(), qPrintable(t.ui.texts().join(u'\n')));

    const QImage page = pdfcheck::renderPage(out, 2, Dpi);
    QVERIFY(!page.isNull());
    if (PrintKind(kind) == PrintKind::Background) {
        // No logo; the picture fills the positions, turned or not, and no more.
        QVERIFY(FindLogoFrame(page, Dpi, QRectF(14 + 68, 11 + 3, 20, 10)).isEmpty());
        for (const QPointF mm : {QPointF(14.2, 11.2), QPointF(195.8, 285.8), QPointF(196.2, 286.2)})
            QCOMPARE(page.pixel((mm * Dpi / 25.4).toPoint()),
                     mm.x() < 196 ? Background : 0xffffffffu);
    } else {
        // The text print has no picture: the paper shows through.
        const QString wrong = CheckLogoOnSheet(
            page, Dpi, t.doc.card, PrintKind(kind) == PrintKind::Text ? 0xffffffff : Background);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }
    QSet<int> stored;
    for (const pdfcheck::Image& image : pdfcheck::images(out))
        if (image.type == u"image")
            stored.insert(image.object);
    QCOMPARE(stored.size(), pictures);
}

void TestLogoPrint::underOrOverTheLines_data() {
    QTest::addColumn<int>("layer");
    QTest::addColumn<QRgb>("where");
    QTest::newRow("under the lines") << int(LogoLayer::UnderLines) << qRgb(0, 0, 0);
    QTest::newRow("over the lines") << int(LogoLayer::OverLines) << LogoFrameColour;
}

// A black square of a line over the logo's frame: the card image shows
// the one that lies over the other.
void TestLogoPrint::underOrOverTheLines() {
    QFETCH(int, layer);
    QFETCH(QRgb, where);
    TestContext t;
    const QString logoFile = t.path("logo.png");
    QVERIFY(WriteFramedLogoPng(logoFile));
    t.doc.card = LogoTestCard(QString(), logoFile);
    t.doc.card.Logo.Layer = LogoLayer(layer);
    TextItem& square = t.doc.card.TextItems[0];
    square.Text = QStringLiteral("■");
    square.FontSize = 40;
    square.Left = 66;
    square.Top = 1;
    t.app.ImgScale = 2;
    const QImage card = t.renderCard(false, true);
    const double perMm = card.width() / 91.0;
    // 0.5 mm into the frame's left edge, 2 mm below its top.
    QCOMPARE(card.pixel(QPointF(68.5 * perMm, 5 * perMm).toPoint()), where);
}

QTEST_MAIN(TestLogoPrint)
#include "test_logoprint.moc"
