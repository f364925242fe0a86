// The card renderer through the card image: bold a font has no face for,
// and text of every size the editor takes at every render scale.

#include "editor/cardimage.h"
#include "editor/cardrenderer.h"
#include "editor/itemlayout.h"
#include "testcontext.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QtTest>

#include <limits>

namespace {

// Pixels darker than mid-grey in the rows [top, bottom) of an image.
int inkIn(const QImage& image, int top, int bottom) {
    int n = 0;
    for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            n += qGray(line[x]) < 128;
    }
    return n;
}

// The rows holding pixels darker than mid-grey: first and one past the last.
std::pair<int, int> inkRows(const QImage& image) {
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(line[x]) < 128) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
        }
    }
    return {first, last + 1};
}

} // namespace

class TestCardRenderer : public QObject {
    Q_OBJECT
private slots:
    void boldIsHeavier_data();
    void boldIsHeavier();
    void largeTextAtEveryScale_data();
    void largeTextAtEveryScale();
    void pastWhatIsDrawn_data();
    void pastWhatIsDrawn();
};

void TestCardRenderer::boldIsHeavier_data() {
    QTest::addColumn<QString>("font");
    // IPA fonts have no bold face: their bold is made by emboldening.
    QTest::newRow("IPAGothic") << "IPAGothic";
    QTest::newRow("IPAMincho") << "IPAMincho";
    QTest::newRow("IPAPGothic italic") << "IPAPGothic";
}

// The same line regular above and bold below: the bold one has clearly more
// ink, as the canvas shows it.
void TestCardRenderer::boldIsHeavier() {
    QFETCH(QString, font);
    TestContext t;
    t.app.ImgScale = 4;
    for (int i = 0; i < 2; ++i) {
        TextItem& line = t.doc.card.TextItems[i];
        line.Text = QStringLiteral("山田太郎 Quillo");
        line.FontName = font;
        line.FontSize = 14;
        line.Left = 5;
        line.Top = i == 0 ? 5 : 30;
        line.Bold = i == 1;
        line.Italic = QTest::currentDataTag() == QLatin1String("IPAPGothic italic");
    }
    const QImage image = t.renderCard(false, true);
    const int middle = image.height() * 25 / 55;
    const int regular = inkIn(image, 0, middle);
    const int bold = inkIn(image, middle, image.height());
    QVERIFY(regular > 1000);
    QVERIFY2(bold > 1.2 * regular, qPrintable(QStringLiteral("%1 vs %2").arg(bold).arg(regular)));
}

void TestCardRenderer::largeTextAtEveryScale_data() {
    QTest::addColumn<double>("size");
    QTest::addColumn<int>("scale");
    // Sizes and scales at which text once vanished, and the editor's largest
    // size at the finest scale.
    QTest::newRow("72 pt at 8") << 72.0 << 8;
    QTest::newRow("64 pt at 8") << 64.0 << 8;
    QTest::newRow("144 pt at 4") << 144.0 << 4;
    QTest::newRow("256 pt at 2") << 256.0 << 2;
    QTest::newRow("36 pt at 20") << 36.0 << 20;
    QTest::newRow("256 pt at 20") << 256.0 << 20;
    QTest::newRow("10 pt at 1") << 10.0 << 1;
}

// An "H" has the cap height the font's metrics give, at every scale.
void TestCardRenderer::largeTextAtEveryScale() {
    QFETCH(double, size);
    QFETCH(int, scale);
    // A font whose capital H is as tall as its cap height metric.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(100);
    QImage probe(1, 1, QImage::Format_RGB32);
    probe.setDotsPerMeterX(qRound(72 / 0.0254));
    probe.setDotsPerMeterY(qRound(72 / 0.0254));
    const QFontMetricsF metrics(font, &probe); // points at 100 points
    const double mmPerPoint = size / 100 * 25.4 / 72;
    const double capMm = metrics.capHeight() * mmPerPoint;

    TestContext t;
    t.app.ImgScale = scale;
    t.doc.card.PrintStyle.MsY = 70; // room for a 256-point capital
    TextItem& line = t.doc.card.TextItems[0];
    line.Text = QStringLiteral("H");
    line.FontName = QStringLiteral("DejaVu Sans");
    line.FontSize = float(size);
    line.Left = 2;
    line.Top = 68 - metrics.ascent() * mmPerPoint; // the baseline 2 mm above the bottom
    const QImage image = t.renderCard(false, true);
    QVERIFY(!image.isNull());
    const double pixelsPerMm = image.height() / 70.0;
    const auto [top, bottom] = inkRows(image);
    QVERIFY2(top >= 0, "the line was not drawn");
    const double inkMm = (bottom - top) / pixelsPerMm;
    QVERIFY2(qAbs(inkMm - capMm) <= 0.03 * capMm + 2 / pixelsPerMm,
             qPrintable(QStringLiteral("%1 mm vs %2 mm").arg(inkMm).arg(capMm)));
}

void TestCardRenderer::pastWhatIsDrawn_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("size");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<bool>("bold"); // with a 3D shadow
    QTest::addColumn<int>("most");  // characters drawn at most
    QTest::addColumn<int>("notices");
    const auto mixed = [](int length) {
        QString text;
        for (int i = 0; i < length; ++i)
            text += i % 7 == 6 ? u'a' : u'山';
        return text;
    };
    const QString squares = QStringLiteral("■■");
    QTest::newRow("1000 pt, the largest") << squares << 1000.0f << true << false << 2 << 0;
    QTest::newRow("1000.5 pt") << squares << 1000.5f << false << false << 2 << 1;
    QTest::newRow("5000 pt, vertical") << squares << 5000.0f << true << false << 2 << 1;
    QTest::newRow("1e30 pt, vertical") << squares << 1e30f << true << false << 2 << 1;
    QTest::newRow("largest single, bold")
        << squares << std::numeric_limits<float>::max() << false << true << 2 << 1;
    QTest::newRow("100000, bold") << mixed(100000) << 18.0f << false << true << 128 << 1;
    QTest::newRow("100000, vertical") << mixed(100000) << 10.0f << true << true << 128 << 1;
    QTest::newRow("3000, 1 pt") << mixed(3000) << 1.0f << false << true << 2048 << 1;
    QTest::newRow("3000, 1 pt, vertical") << mixed(3000) << 1.0f << true << true << 2048 << 1;
    QTest::newRow("64, kept whole") << mixed(64) << 12.0f << false << true << 64 << 0;
}

// A size no font engine can draw (a vertical line's font cannot even be
// had) is measured and drawn at the largest size drawn: a full-width square
// then covers the card from its corner. Of a long line only what can reach
// the card is measured and drawn: it runs past the card's far edge yet stays
// short. The user is told of each, promptly, and the card keeps its text.
void TestCardRenderer::pastWhatIsDrawn() {
    QFETCH(QString, text);
    QFETCH(float, size);
    QFETCH(bool, vertical);
    QFETCH(bool, bold);
    QFETCH(int, most);
    QFETCH(int, notices);
    TestContext t;
    Card& card = t.doc.card;
    ResetLines(card, QStringLiteral("IPAGothic"));
    TextItem& line = card.TextItems[0];
    line.Text = text;
    line.FontSize = size;
    line.Tategaki = vertical;
    line.Bold = line.KageOn = bold;
    const QSizeF cardSize(card.PrintStyle.MsX, card.PrintStyle.MsY);
    const TextItem part = CardRenderer::drawnPart(line, cardSize);
    QVERIFY2(part.Text.size() <= most, qPrintable(QString::number(part.Text.size())));
    QVERIFY(text.startsWith(part.Text));
    const QSizeF drawn = CardRenderer::measureText(part);
    if (part.Text.size() < text.size())
        QVERIFY(vertical ? drawn.height() > cardSize.height() : drawn.width() > cardSize.width());
    if (size >= 1000) {
        TextItem largest = part;
        largest.FontSize = 1000;
        QCOMPARE(drawn, CardRenderer::measureText(largest));
        QVERIFY(drawn.width() > 300); // 1000 points are 353 mm
    }
    QCOMPARE(DrawingLimitsNotice(card).count(TabCaption(0)), notices);
    QElapsedTimer clock;
    clock.start();
    PlaceCardLines(card);
    const QImage image = t.renderCard(false, true);
    QVERIFY2(clock.elapsed() < 3000, "took too long");
    QVERIFY(!image.isNull());
    if (size >= 1000)
        QVERIFY(qGray(image.pixel(image.width() - 2, image.height() - 2)) < 64);
    QCOMPARE(line.Text, text);
}

QTEST_MAIN(TestCardRenderer)
#include "test_cardrenderer.moc"
