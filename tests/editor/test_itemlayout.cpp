#include "document/card.h"
#include "editor/cardimage.h"
#include "editor/itemlayout.h"
#include "editor/lineedits.h"
#include "testcontext.h"

#include <QFontMetricsF>
#include <QScreen>
#include <QtTest>

// Keeping lines on the card, the entry rules of the line fields, and the
// card image.
class TestItemLayout : public QObject {
    Q_OBJECT
private slots:
    void keepOnCard_data();
    void keepOnCard();
    void placedOnTheCardAsDrawn_data();
    void placedOnTheCardAsDrawn();
    void measuredSize();
    void cardFit_data();
    void cardFit();
    void formatPosition_data();
    void formatPosition();
    void typedFontSize_data();
    void typedFontSize();
    void fontSizeStep_data();
    void fontSizeStep();
    void truncateToTenth_data();
    void truncateToTenth();
    void takasaStep_data();
    void takasaStep();
    void cleanLineText();
    void imageGeometry_data();
    void imageGeometry();
    void renderRaisesScale();
    void renderShadowLiesInItsDirection_data();
    void renderShadowLiesInItsDirection();
    void renderTextHasCanvasSize();
    void renderFlags();
};

void TestItemLayout::keepOnCard_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("direction");
    QTest::addColumn<double>("height3d");
    QTest::addColumn<double>("expectedX");
    QTest::addColumn<double>("expectedY");
    // A 30 mm wide, 4 mm high item on a 91 × 55 mm card.
    QTest::newRow("right edge, shadow right") << 70.0 << 20.0 << 30.0 << 2 << 1.0 << 58.0 << 20.0;
    QTest::newRow("right edge, shadow left") << 70.0 << 20.0 << 30.0 << 6 << 1.0 << 59.0 << 20.0;
    QTest::newRow("left edge, shadow left") << 0.5 << 20.0 << 30.0 << 6 << 2.0 << 3.0 << 20.0;
    QTest::newRow("left edge, shadow right") << 0.5 << 20.0 << 30.0 << 2 << 2.0 << 1.0 << 20.0;
    QTest::newRow("inside stays") << 10.0 << 20.0 << 30.0 << 3 << 0.5 << 10.0 << 20.0;
    QTest::newRow("exactly at the right limit") << 58.0 << 20.0 << 30.0 << 2 << 1.0 << 58.0 << 20.0;
    QTest::newRow("bottom, shadow down") << 10.0 << 52.0 << 30.0 << 4 << 1.0 << 10.0 << 48.0;
    QTest::newRow("bottom, shadow up") << 10.0 << 52.0 << 30.0 << 0 << 1.0 << 10.0 << 49.0;
    QTest::newRow("top, shadow up") << 10.0 << 0.0 << 30.0 << 0 << 1.5 << 10.0 << 2.5;
    QTest::newRow("wider than card, right") << 5.0 << 20.0 << 120.0 << 2 << 1.0 << 1.0 << 20.0;
    QTest::newRow("wider than card, down") << 5.0 << 20.0 << 120.0 << 4 << 1.0 << 1.0 << 20.0;
    QTest::newRow("wider than card, left") << 5.0 << 20.0 << 120.0 << 6 << 1.5 << 2.5 << 20.0;
    QTest::newRow("shadow off still reserves") << 70.0 << 20.0 << 30.0 << 3 << 1.0 << 58.0 << 20.0;
}

void TestItemLayout::keepOnCard() {
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, width);
    QFETCH(int, direction);
    QFETCH(double, height3d);
    QFETCH(double, expectedX);
    QFETCH(double, expectedY);
    TextItem t;
    t.Left = x;
    t.Top = y;
    t.Width = width;
    t.Height = 4;
    t.KageOn = false;
    t.KageHoukou = std::int16_t(direction);
    t.KageTakasa = height3d;
    KeepItemOnCard(t, 91, 55);
    QCOMPARE(t.Left, expectedX);
    QCOMPARE(t.Top, expectedY);
}

void TestItemLayout::placedOnTheCardAsDrawn_data() {
    QTest::addColumn<bool>("upright");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QPointF>("at");
    QTest::newRow("landscape, past the bottom") << false << 0 << QPointF(60, 80);
    QTest::newRow("upright, past the right and bottom") << true << 0 << QPointF(60, 88);
    QTest::newRow("upright, fitted to the card") << true << int(FitToCard) << QPointF(20, 30);
}

// A line of an upright card is fitted and kept on the card as the user sees
// it, 55 × 91 mm: moved only as far as it must to end 2 mm and its 3D room
// (0.5 mm to the lower right) before the right and bottom edges.
void TestItemLayout::placedOnTheCardAsDrawn() {
    QFETCH(bool, upright);
    QFETCH(int, scale);
    QFETCH(QPointF, at);
    const QSizeF card = upright ? QSizeF(55, 91) : QSizeF(91, 55);
    Card c;
    ResetLines(c, QStringLiteral("IPAGothic"));
    c.Upright = upright;
    TextItem& t = c.TextItems[1];
    t.Text = QStringLiteral("株式会社クイロ営業部"); // 42 mm at 12 points
    t.WidthScale = std::int16_t(scale);
    t.Left = at.x();
    t.Top = at.y();
    PlaceCardLines(c);
    QCOMPARE(t.Condense < 1, scale == FitToCard);
    QCOMPARE(t.Left, std::min(at.x(), card.width() - t.Width - 2.5));
    QCOMPARE(t.Top, std::min(at.y(), card.height() - t.Height - 2.5));
}

void TestItemLayout::cardFit_data() {
    QTest::addColumn<QSizeF>("card");
    QTest::addColumn<QRectF>("line"); // mm; an empty size is measured from the text
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<int>("direction"); // of the 3D copy, 1.5 mm away, shown
    QTest::addColumn<QRectF>("qr");     // empty: no QR code
    QTest::addColumn<bool>("past");
    QTest::addColumn<bool>("under");
    const QSizeF wide(91, 55), upright(55, 91);
    const QString yamada = QStringLiteral("山田");
    const QString address = QStringLiteral("東京都千代田区丸の内一丁目二番三号丸の内ビル");
    const auto row = [](const char* name, QSizeF card, QRectF line, const QString& text,
                        bool vertical, int direction, QRectF qr, bool past, bool under) {
        QTest::newRow(name) << card << line << text << vertical << direction << qr << past << under;
    };
    row("inside", wide, {10, 10, 30, 5}, yamada, false, -1, {}, false, false);
    row("a hair past the right edge", wide, {61.02, 10, 30, 5}, yamada, false, -1, {}, true, false);
    row("past the bottom, upright card", upright, {10, 80, 30, 12}, yamada, false, -1, {}, true,
        false);
    row("3D copy past the right edge", wide, {60, 10, 30, 5}, yamada, false, 2, {}, true, false);
    row("3D copy past the top", wide, {10, 1, 30, 5}, yamada, false, 0, {}, true, false);
    row("no text never counts", wide, {80, 50, 30, 5}, {}, false, -1, {70, 40, 20, 20}, false,
        false);
    row("QR code over the line", wide, {10, 10, 30, 5}, yamada, false, -1, {35, 3, 20, 20}, false,
        true);
    row("QR code beside the line", wide, {10, 10, 30, 5}, yamada, false, -1, {40, 3, 20, 20}, false,
        false);
    // A 10 pt address of 22 characters (78 mm) down a 55 mm card, as placed.
    row("vertical address, measured", wide, {80, 3, 0, 0}, address, true, -1, {}, true, false);
    row("vertical address, upright card", upright, {40, 3, 0, 0}, address, true, -1, {}, false,
        false);
    row("vertical line under the QR code", upright, {30, 3, 0, 0}, address, true, -1,
        {25, 60, 20, 20}, false, true);
}

// Lines past the card's edge (with their 3D copy) and under the QR code are
// found where the placement left them.
void TestItemLayout::cardFit() {
    QFETCH(QSizeF, card);
    QFETCH(QRectF, line);
    QFETCH(QString, text);
    QFETCH(bool, vertical);
    QFETCH(int, direction);
    QFETCH(QRectF, qr);
    QFETCH(bool, past);
    QFETCH(bool, under);
    Card c;
    ResetLines(c, QStringLiteral("IPAGothic"));
    for (TextItem& t : c.TextItems)
        t.Text.clear();
    // A taller than wide card is the upright card of a landscape style.
    c.Upright = card.width() < card.height();
    c.PrintStyle.MsX = std::max(card.width(), card.height());
    c.PrintStyle.MsY = std::min(card.width(), card.height());
    TextItem& t = c.TextItems[4];
    t.Text = text;
    t.FontSize = 10;
    t.Tategaki = vertical;
    t.Left = line.x();
    t.Top = line.y();
    t.KageOn = direction >= 0;
    t.KageHoukou = std::int16_t(std::max(direction, 0));
    t.KageTakasa = 1.5;
    if (line.size().isEmpty()) {
        PlaceCardLines(c);
    } else {
        t.Width = line.width();
        t.Height = line.height();
    }
    c.Qr.On = !qr.isEmpty();
    c.Qr.Left = qr.x();
    c.Qr.Top = qr.y();
    c.Qr.Side = qr.width();
    const CardFit fit = CheckCardFit(c);
    QCOMPARE(fit.pastTheEdge, past ? QList<int>{4} : QList<int>{});
    QCOMPARE(fit.underQrCode, under ? QList<int>{4} : QList<int>{});
    QCOMPARE(DescribeCardFit(fit).size(), int(past) + int(under));
    QCOMPARE(fit.fits(), !past && !under);
}

void TestItemLayout::measuredSize() {
    TextItem upright;
    upright.FontSize = 16;
    StoreMeasuredSize(upright, 20.25, 5.5);
    TextItem italic = upright;
    italic.Italic = true;
    StoreMeasuredSize(italic, 20.25, 5.5);
    QCOMPARE(italic.Width - upright.Width, 1.0);
    QCOMPARE(italic.Height, upright.Height);
}

void TestItemLayout::formatPosition_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 7.0 << "7.0";
    QTest::newRow("tiny") << 0.04 << "0.0";
    QTest::newRow("half up") << 12.25 << "12.3";
    QTest::newRow("below half") << 12.24 << "12.2";
    QTest::newRow("negative") << -0.1 << "-0.1";
    QTest::newRow("negative half") << -0.05 << "-0.1";
    QTest::newRow("thousands") << 1234.56 << "1234.6";
    QTest::newRow("float noise") << 0.30000000000000004 << "0.3";
}

void TestItemLayout::formatPosition() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(FormatPosition(value), text);
}

void TestItemLayout::typedFontSize_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("size"); // 0: refused
    QTest::newRow("12.25") << "12.25" << 12.3;
    QTest::newRow("12.24") << "12.24" << 12.2;
    QTest::newRow("one") << "1" << 1.0;
    QTest::newRow("256") << "256" << 256.0;
    QTest::newRow("256.04") << "256.04" << 256.0;
    QTest::newRow("300") << "300" << 0.0;
    QTest::newRow("0.94") << "0.94" << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("leading number") << " 14pt" << 14.0;
}

void TestItemLayout::typedFontSize() {
    QFETCH(QString, typed);
    QFETCH(double, size);
    const auto result = TypedFontSize(typed);
    if (size == 0) {
        QVERIFY(!result.has_value());
    } else {
        QVERIFY(result.has_value());
        QCOMPARE(*result, float(size));
    }
}

void TestItemLayout::fontSizeStep_data() {
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("up");
    QTest::addColumn<double>("result");
    QTest::addColumn<bool>("limited");
    QTest::newRow("10.3 up") << 10.3 << true << 10.5 << false;
    QTest::newRow("10.5 up") << 10.5 << true << 11.0 << false;
    QTest::newRow("10.3 down") << 10.3 << false << 10.0 << false;
    QTest::newRow("10.5 down") << 10.5 << false << 10.0 << false;
    QTest::newRow("10.0 down") << 10.0 << false << 9.5 << false;
    QTest::newRow("10.04 down") << 10.04 << false << 9.5 << false;
    QTest::newRow("256 up") << 256.0 << true << 256.0 << true;
    QTest::newRow("255.8 up") << 255.8 << true << 256.0 << false;
    QTest::newRow("1 down") << 1.0 << false << 1.0 << true;
    QTest::newRow("1.5 down") << 1.5 << false << 1.0 << false;
}

void TestItemLayout::fontSizeStep() {
    QFETCH(double, size);
    QFETCH(bool, up);
    QFETCH(double, result);
    QFETCH(bool, limited);
    bool wasLimited = !limited;
    QCOMPARE(FontSizeStep(float(size), up, &wasLimited), float(result));
    QCOMPARE(wasLimited, limited);
}

void TestItemLayout::truncateToTenth_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("value");
    QTest::newRow("12.39") << "12.39" << 12.3;
    QTest::newRow("-0.05") << "-0.05" << -0.1;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("2.57") << "2.57" << 2.5;
    QTest::newRow("25") << "25" << 25.0;
    QTest::newRow("trailing text") << "7.25mm" << 7.2;
}

void TestItemLayout::truncateToTenth() {
    QFETCH(QString, typed);
    QFETCH(double, value);
    QCOMPARE(TruncateToTenth(typed), value);
}

void TestItemLayout::takasaStep_data() {
    QTest::addColumn<double>("height");
    QTest::addColumn<bool>("up");
    QTest::addColumn<double>("result");
    QTest::addColumn<bool>("limited");
    QTest::newRow("up") << 0.5 << true << 0.6 << false;
    QTest::newRow("down") << 0.5 << false << 0.4 << false;
    QTest::newRow("at 10 up") << 10.0 << true << 10.0 << true;
    QTest::newRow("at 0 down") << 0.0 << false << 0.0 << true;
    QTest::newRow("typed 25 down") << 25.0 << false << 24.9 << false;
}

void TestItemLayout::takasaStep() {
    QFETCH(double, height);
    QFETCH(bool, up);
    QFETCH(double, result);
    QFETCH(bool, limited);
    bool wasLimited = !limited;
    QVERIFY(qFuzzyCompare(TakasaStep(height, up, &wasLimited), result));
    QCOMPARE(wasLimited, limited);
}

void TestItemLayout::cleanLineText() {
    QCOMPARE(CleanLineText(QStringLiteral("a\"b\r\nc")), QStringLiteral("abc"));
    QCOMPARE(CleanLineText(QStringLiteral("㈱～")), QStringLiteral("㈱～"));
}

void TestItemLayout::imageGeometry_data() {
    QTest::addColumn<int>("scale");
    QTest::addColumn<double>("widthTwips");
    QTest::addColumn<double>("heightTwips");
    QTest::addColumn<double>("scaleWidth");
    QTest::addColumn<double>("scaleHeight");
    QTest::addColumn<int>("widthPixels");
    QTest::newRow("s = 1") << 1 << 5726.7 << 3685.5 << 91.0 << 55.0 << 382;
    QTest::newRow("s = 2") << 2 << 11453.4 << 7371.0 << 182.0 << 110.0 << 764;
    QTest::newRow("s = 0 is 1") << 0 << 5726.7 << 3685.5 << 91.0 << 55.0 << 382;
}

void TestItemLayout::imageGeometry() {
    QFETCH(int, scale);
    QFETCH(double, widthTwips);
    QFETCH(double, heightTwips);
    QFETCH(double, scaleWidth);
    QFETCH(double, scaleHeight);
    QFETCH(int, widthPixels);
    const CardImageGeometry g = CardImageGeometryFor(91, 55, scale, 15, 15);
    QVERIFY(qFuzzyCompare(g.widthTwips, widthTwips));
    QVERIFY(qFuzzyCompare(g.heightTwips, heightTwips));
    QCOMPARE(g.scaleWidth, scaleWidth);
    QCOMPARE(g.scaleHeight, scaleHeight);
    QCOMPARE(g.widthPixels, widthPixels);
}

void TestItemLayout::renderRaisesScale() {
    TestContext t;
    t.app.ImgScale = 0;
    const QImage image = t.renderCard(true, true);
    QCOMPARE(t.app.ImgScale, 1);
    QCOMPARE(image.size(), QSize(382, 246));
}

namespace {

// The bounding box of pixels darker than the threshold in the colour's
// channel pattern: a pure red or pure blue ink.
QRect inkOf(const QImage& image, bool (*match)(QRgb)) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (match(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

bool isRed(QRgb c) {
    return qRed(c) > 180 && qGreen(c) < 90 && qBlue(c) < 90;
}
bool isBlue(QRgb c) {
    return qBlue(c) > 180 && qRed(c) < 90 && qGreen(c) < 90;
}

} // namespace

void TestItemLayout::renderShadowLiesInItsDirection_data() {
    // The eight 3D directions as the direction list names them, with the
    // unit steps (x right, y down) of each.
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::newRow("up") << 0 << " 上 " << 0 << -1;
    QTest::newRow("up right") << 1 << "右上" << 1 << -1;
    QTest::newRow("right") << 2 << " 右 " << 1 << 0;
    QTest::newRow("down right") << 3 << "右下" << 1 << 1;
    QTest::newRow("down") << 4 << " 下 " << 0 << 1;
    QTest::newRow("down left") << 5 << "左下" << -1 << 1;
    QTest::newRow("left") << 6 << " 左 " << -1 << 0;
    QTest::newRow("up left") << 7 << "左上" << -1 << -1;
}

void TestItemLayout::renderShadowLiesInItsDirection() {
    QFETCH(int, direction);
    QFETCH(QString, name);
    QFETCH(int, dx);
    QFETCH(int, dy);
    QCOMPARE(HoukouName[direction], name);
    TestContext t;
    t.app.ImgScale = 4;
    TextItem& line = t.doc.card.TextItems[0];
    line.Text = QStringLiteral("■");
    line.FontName = QStringLiteral("IPAGothic");
    line.FontSize = 24;
    line.Left = 40;
    line.Top = 20;
    line.ForeColor = 0x0000FF; // red
    line.KageOn = true;
    line.KageColor = 0xFF0000; // blue
    line.KageTakasa = 2;
    line.KageHoukou = std::int16_t(direction);
    const QImage image = t.renderCard(true, true);
    const QRect text = inkOf(image, isRed);
    const QRect shadow = inkOf(image, isBlue);
    QVERIFY(!text.isEmpty());
    QVERIFY(!shadow.isEmpty());
    const QPoint shift = shadow.center() - text.center();
    QCOMPARE(shift.x() > 3 ? 1 : shift.x() < -3 ? -1 : 0, dx);
    QCOMPARE(shift.y() > 3 ? 1 : shift.y() < -3 ? -1 : 0, dy);
    // The shadow is beneath: the text covers the overlap.
    const QRect overlap = text & shadow;
    if (!overlap.isEmpty())
        QVERIFY(!isBlue(image.pixel(overlap.center())));
}

void TestItemLayout::renderTextHasCanvasSize() {
    // A line on the finished card (the image stretched over W × H mm) must be
    // as wide and as tall as the canvas measures it.
    TestContext t;
    t.app.ImgScale = 4;
    TextItem& line = t.doc.card.TextItems[0];
    line.Text = QStringLiteral("■■■■■■■■");
    line.FontName = QStringLiteral("IPAGothic");
    line.FontSize = 14;
    line.Left = 10;
    line.Top = 20;
    line.ForeColor = 0x0000FF;
    const QImage image = t.renderCard(false, true);
    const QRect ink = inkOf(image, isRed);
    QVERIFY(!ink.isEmpty());
    const double mmPerPixelX = 91.0 / image.width();
    const double mmPerPixelY = 55.0 / image.height();
    QFont font(line.FontName);
    font.setPointSizeF(line.FontSize);
    const QRectF glyphs = QFontMetricsF(font).tightBoundingRect(line.Text); // screen pixels
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    const double expectedWidth = glyphs.width() * 25.4 / dpi;
    const double expectedHeight = glyphs.height() * 25.4 / dpi;
    QVERIFY2(
        qAbs(ink.width() * mmPerPixelX - expectedWidth) < 0.05 * expectedWidth,
        qPrintable(QStringLiteral("%1 vs %2").arg(ink.width() * mmPerPixelX).arg(expectedWidth)));
    QVERIFY2(
        qAbs(ink.height() * mmPerPixelY - expectedHeight) < 0.1 * expectedHeight,
        qPrintable(QStringLiteral("%1 vs %2").arg(ink.height() * mmPerPixelY).arg(expectedHeight)));
    // The top-left of the text box is at the line's position.
    QVERIFY(qAbs(ink.left() * mmPerPixelX - 10.0) < 1.0);
    QVERIFY(ink.top() * mmPerPixelY > 20.0);
    QVERIFY(ink.top() * mmPerPixelY < 20.0 + expectedHeight);
}

void TestItemLayout::renderFlags() {
    TestContext t;
    QImage filled(10, 10, QImage::Format_RGB32);
    filled.fill(QColor(0, 200, 0));
    t.doc.picture.set(t.doc.card, filled);
    TextItem& line = t.doc.card.TextItems[0];
    line.Text = QStringLiteral("■■■");
    line.FontName = QStringLiteral("IPAGothic");
    line.FontSize = 30;
    line.Left = 5;
    line.Top = 5;
    line.ForeColor = 0x0000FF;
    const QImage both = t.renderCard(true, true);
    const QImage pictureOnly = t.renderCard(true, false);
    const QImage textOnly = t.renderCard(false, true);
    QCOMPARE(QColor(pictureOnly.pixel(pictureOnly.width() - 2, pictureOnly.height() - 2)),
             QColor(0, 200, 0));
    QVERIFY(inkOf(pictureOnly, isRed).isEmpty());
    QCOMPARE(QColor(textOnly.pixel(textOnly.width() - 2, textOnly.height() - 2)),
             QColor(Qt::white));
    QVERIFY(!inkOf(textOnly, isRed).isEmpty());
    QCOMPARE(inkOf(both, isRed), inkOf(textOnly, isRed));
    // An empty text draws nothing, its shadow neither.
    line.Text.clear();
    line.KageOn = true;
    line.KageColor = 0xFF0000;
    QVERIFY(inkOf(t.renderCard(false, true), isBlue).isEmpty());
}

QTEST_MAIN(TestItemLayout)
#include "test_itemlayout.moc"
