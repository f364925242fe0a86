// A line drawn by the card renderer with the glyphs a print job shaped once
// looks exactly as the line drawn the ordinary way, and leaves the painter
// as it found it for whatever is drawn next.

#include "base/shapedtext.h"
#include "document/card.h"
#include "editor/cardrenderer.h"

#include <QPainter>
#include <QtTest>

namespace {

constexpr double PixelsPerMm = 12;

// A 60 × 15 mm piece of white paper with the line's text box at (2, 2) mm,
// drawn once or, with a cache, twice (the second time with the glyphs kept).
QImage drawn(const TextItem& line, ShapedTextCache* cache) {
    QImage image(qRound(60 * PixelsPerMm), qRound(15 * PixelsPerMm), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(PixelsPerMm, PixelsPerMm);
    for (int i = 0; i < (cache ? 2 : 1); ++i)
        CardRenderer::paintText(p, line, QPointF(2, 2), Qt::black, cache);
    return image;
}

} // namespace

class TestShapedLines : public QObject {
    Q_OBJECT
private slots:
    void sameAsDrawnDirectly_data();
    void sameAsDrawnDirectly();
    void painterLeftAsFound_data();
    void painterLeftAsFound();
};

void TestShapedLines::sameAsDrawnDirectly_data() {
    QTest::addColumn<QString>("font");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("lined"); // underlined and struck out
    QTest::newRow("plain") << "IPAGothic" << false << false << false;
    // IPA fonts have no bold or italic face: the renderer makes them.
    QTest::newRow("bold made") << "IPAGothic" << true << false << false;
    QTest::newRow("italic made") << "IPAMincho" << false << true << false;
    QTest::newRow("underlined, struck out") << "IPAPGothic" << false << false << true;
    QTest::newRow("font not installed") << "NoSuchFontAnywhere" << false << false << false;
}

void TestShapedLines::sameAsDrawnDirectly() {
    QFETCH(QString, font);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(bool, lined);
    TextItem line;
    line.Text = QStringLiteral("山田太郎 Quillo 03-1234");
    line.FontName = font;
    line.FontSize = 12;
    line.Bold = bold;
    line.Italic = italic;
    line.Underline = lined;
    line.Strikethrough = lined;

    const QImage direct = drawn(line, nullptr);
    ShapedTextCache cache;
    const QImage shaped = drawn(line, &cache);
    // Drawn twice, the line was shaped once.
    QCOMPARE(cache.size(), 1);
    // The same pixels: over the same place, the second copy of a line
    // changes nothing only when it is the same as the first.
    int ink = 0;
    for (int y = 0; y < direct.height(); ++y)
        for (int x = 0; x < direct.width(); ++x)
            ink += qGray(direct.pixel(x, y)) < 128;
    QVERIFY(ink > 500);
    const QImage twiceDirect = [&] {
        QImage image = direct;
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(PixelsPerMm, PixelsPerMm);
        CardRenderer::paintText(p, line, QPointF(2, 2), Qt::black);
        return image;
    }();
    QVERIFY(shaped == twiceDirect);
}

void TestShapedLines::painterLeftAsFound_data() {
    QTest::addColumn<bool>("cached");
    QTest::addColumn<bool>("bold");
    QTest::newRow("shaped on the way") << false << false;
    QTest::newRow("shaped once") << true << false;
    QTest::newRow("bold made, shaped once") << true << true;
}

void TestShapedLines::painterLeftAsFound() {
    QFETCH(bool, cached);
    QFETCH(bool, bold);
    TextItem line;
    line.Text = QStringLiteral("名刺");
    line.FontName = QStringLiteral("IPAGothic");
    line.FontSize = 10;
    line.Bold = bold;
    line.Italic = true;

    QImage image(200, 200, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.translate(3, 4);
    p.scale(2, 2);
    const QPen pen(Qt::green, 3);
    p.setPen(pen);
    QFont font(QStringLiteral("IPAMincho"));
    font.setPointSize(7);
    p.setFont(font);
    p.setBackgroundMode(Qt::OpaqueMode);
    const QTransform transform = p.worldTransform();

    ShapedTextCache cache;
    CardRenderer::paintText(p, line, QPointF(5, 5), Qt::red, cached ? &cache : nullptr);

    QCOMPARE(p.worldTransform(), transform);
    QCOMPARE(p.pen(), pen);
    QCOMPARE(p.font(), font);
    QCOMPARE(p.backgroundMode(), Qt::OpaqueMode);
}

QTEST_MAIN(TestShapedLines)
#include "test_shapedlines.moc"
