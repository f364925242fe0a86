// The card's QR code as it leaves the program: decoded with a real reader
// (ZBar's zbarimg) from the card image and from every card of a printed sheet.

#include "app/cardsession.h"
#include "app/commandline.h"
#include "document/cardfile.h"
#include "document/cardlogo.h"
#include "document/qrcode.h"
#include "editor/cardimage.h"
#include "pdfcheck.h"
#include "print/pdfprinter.h"
#include "qrdecode.h"
#include "sessioncontext.h"
#include "testcard.h"

#include <QImageReader>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Card)

class TestQrCodePrint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cardImage_data();
    void cardImage();
    void pdfSheet_data();
    void pdfSheet();
    void refusedCodeIsNotPrinted();
    void imageFineEnoughForTheModules_data();
    void imageFineEnoughForTheModules();

private:
    void cards();
    QTemporaryDir m_dir;
};

static QString crlf(const QStringList& lines) {
    return lines.join(u"\r\n"_s) + u"\r\n"_s;
}

// A card with Japanese contact details and a code at its top right.
static Card qrCard(int content, int level, quint32 colour) {
    Card card = PrintTestCard(QString());
    const QStringList texts{u"山田 太郎"_s,
                            u"株式会社クイロ"_s,
                            u"営業部"_s,
                            u"部長"_s,
                            u"東京都千代田区丸の内1-2-3, 丸の内ビル5階"_s,
                            u"TEL 03-1234-5678"_s,
                            u"FAX 03-1234-5679"_s,
                            u"090-1111-2222"_s,
                            QString(),
                            u"taro@example.jp"_s,
                            u"https://example.jp/会社案内"_s,
                            QString()};
    for (int i = 0; i < LineCount; ++i)
        card.TextItems[i].Text = texts[i];
    card.TextItems[0].Left = 5;
    // 26 mm holds this vCard at Q (version 17: 85 modules and the quiet
    // zone at 0.28 mm).
    card.Qr = QrCode{
        true, std::int16_t(content), 10, 62, 3, 26, std::int16_t(level), std::int32_t(colour)};
    return card;
}

static const QString ExpectedVCard =
    crlf({u"BEGIN:VCARD"_s, u"VERSION:3.0"_s, u"N:山田;太郎;;;"_s, u"FN:山田 太郎"_s,
          u"ORG:株式会社クイロ;営業部"_s, u"TITLE:部長"_s,
          u"ADR;TYPE=WORK:;;東京都千代田区丸の内1-2-3\\, 丸の内ビル5階;;;;"_s,
          u"TEL;TYPE=WORK:03-1234-5678"_s, u"TEL;TYPE=FAX:03-1234-5679"_s,
          u"TEL;TYPE=CELL:090-1111-2222"_s, u"EMAIL:taro@example.jp"_s,
          u"URL:https://example.jp/会社案内"_s, u"END:VCARD"_s});

void TestQrCodePrint::initTestCase() {
    if (QStandardPaths::findExecutable(u"zbarimg"_s).isEmpty())
        QSKIP("zbarimg (zbar-tools) is not installed: scripts/install-deps installs it");
    QVERIFY(m_dir.isValid());
    // An A4 page at 600 dpi is 139 MB of pixels.
    QImageReader::setAllocationLimit(512);
}

void TestQrCodePrint::cards() {
    QTest::addColumn<Card>("card");
    QTest::addColumn<QString>("expected");
    QTest::newRow("vCard, M, black") << qrCard(0, 1, 0) << ExpectedVCard;
    QTest::newRow("vCard, Q, dark blue") << qrCard(0, 2, 0x802010) << ExpectedVCard;
    QTest::newRow("a line's address, H, dark red")
        << qrCard(1, 3, 0x000090) << u"https://example.jp/会社案内"_s;
}

void TestQrCodePrint::cardImage_data() {
    cards();
}

void TestQrCodePrint::cardImage() {
    QFETCH(Card, card);
    QFETCH(QString, expected);
    const QrResult code = MakeQrCode(card);
    QVERIFY2(code.drawable(), qPrintable(code.problem));
    SessionContext t;
    t.m->doc.card = card;
    t.m->app.ImgScale = 3;
    const QImage image = RenderOpenCard(*t.m, true, true);
    QVERIFY(!image.isNull());
    QCOMPARE(DecodeQrCode(image), expected);
}

void TestQrCodePrint::pdfSheet_data() {
    QTest::addColumn<Card>("card");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("quality");
    QTest::newRow("vCard, M, black") << qrCard(0, 1, 0) << ExpectedVCard << 4;
    QTest::newRow("a line's address, H, dark red")
        << qrCard(1, 3, 0x000090) << u"https://example.jp/会社案内"_s << 4;
    // At quality 1 the card image has about 107 pixels an inch: the print
    // makes it as fine as the code's modules need.
    QTest::newRow("vCard, M, black, quality 1") << qrCard(0, 1, 0) << ExpectedVCard << 1;
}

void TestQrCodePrint::pdfSheet() {
    QFETCH(Card, card);
    QFETCH(QString, expected);
    QFETCH(int, quality);
    if (!pdfcheck::available())
        QSKIP("poppler-utils is not installed");
    const QString cardPath = m_dir.filePath(u"qr.qcd"_s);
    const QString out = m_dir.filePath(u"sheet.pdf"_s);
    QCOMPARE(WriteCardFile(cardPath, card), 0);
    PdfOnlyPrinterHost printers;
    QCOMPARE(RunCommandLine(
                 {u"print"_s, cardPath, u"--pdf"_s, out, u"--quality"_s, QString::number(quality)},
                 printers),
             0);

    constexpr int Dpi = 600;
    const QImage page = pdfcheck::renderPage(out, 1, Dpi);
    QVERIFY(!page.isNull());
    const auto px = [](double mm) { return int(std::lround(mm / 25.4 * Dpi)); };
    // The default A4 sheet: 2 × 5 cards of 91 × 55 mm, margins 14 and 11 mm.
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 2; ++column) {
            const QRect slot(px(14 + column * 91), px(11 + row * 55), px(91), px(55));
            QCOMPARE(DecodeQrCode(page.copy(slot)), expected);
        }
    }
}

void TestQrCodePrint::refusedCodeIsNotPrinted() {
    Card card = qrCard(0, 3, 0);
    card.Qr.Side = 12; // the vCard at H needs far more than 12 mm
    const QString cardPath = m_dir.filePath(u"big.qcd"_s);
    const QString out = m_dir.filePath(u"big.pdf"_s);
    QFile::remove(out);
    QCOMPARE(WriteCardFile(cardPath, card), 0);
    PdfOnlyPrinterHost printers;
    QCOMPARE(RunCommandLine({u"print"_s, cardPath, u"--pdf"_s, out}, printers), 1);
    QVERIFY(!QFileInfo::exists(out));

    SessionContext t;
    t.m->doc.card = card;
    const QString image = t.path(u"big.png"_s);
    QVERIFY(!ExportOpenCard(*t.m, image));
    QVERIFY(!QFileInfo::exists(image));
    QCOMPARE(t.ui.messages.size(), 1);
    QVERIFY(t.ui.messages[0].text.contains(u"一辺 12.0 mm"_s));
}

void TestQrCodePrint::imageFineEnoughForTheModules_data() {
    QTest::addColumn<int>("quality");
    QTest::addColumn<int>("twipsPerPixel");
    QTest::addColumn<int>("width"); // of the card image; 0 refused
    // The vCard at M: 73 modules and the quiet zone in 26 mm, 0.32 mm each.
    // The image is (91 + 10) × 56.7 × s twips wide: at 15 twips a pixel 4.2
    // pixels a millimetre a scale step, 2.7 pixels a module at 2, 4.0 at 3.
    QTest::newRow("quality 1 raised to 3") << 1 << 15 << 1145;
    QTest::newRow("quality 2 raised to 3") << 2 << 15 << 1145;
    QTest::newRow("quality 4 as asked") << 4 << 15 << 1527;
    // At 24 dpi 1.05 pixels a millimetre a step: 3.0 a module at 9; at 10
    // dpi, 8.7 a millimetre at the finest scale, 20: refused.
    QTest::newRow("a coarse screen: raised to 9") << 4 << 60 << 859;
    QTest::newRow("too coarse a screen: refused") << 4 << 144 << 0;
}

// The card image gives each module of the code three pixels at least, and
// refuses with the reason where its size allows no such scale.
void TestQrCodePrint::imageFineEnoughForTheModules() {
    QFETCH(int, quality);
    QFETCH(int, twipsPerPixel);
    QFETCH(int, width);
    ScriptedUi ui;
    CardImageOptions options;
    options.scale = quality;
    options.twipsPerPixelX = options.twipsPerPixelY = twipsPerPixel;
    const QImage image = RenderCardImage(qrCard(0, 1, 0), QImage(), DecodedLogo(), options, ui);
    QCOMPARE(image.width(), width);
    QCOMPARE(ui.texts().join(u"").contains(u"3 ピクセル以上"_s), width == 0);
    if (width > 0)
        QCOMPARE(DecodeQrCode(image), ExpectedVCard);
}

QTEST_MAIN(TestQrCodePrint)
#include "test_qrcodeprint.moc"
