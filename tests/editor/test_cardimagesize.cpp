// The size of the card image: the render scale a card gets, lowered for a
// card whose image would not fit in memory, and refused for a card of
// metres, whatever its file says.

#include "editor/cardimage.h"

#include <QtTest>

#include <limits>

class TestCardImageSize : public QObject {
    Q_OBJECT
private slots:
    void scaleFor_data();
    void scaleFor();
};

void TestCardImageSize::scaleFor_data() {
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("tpp");
    QTest::addColumn<int>("scale");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // The largest card the print style allows, at the finest scale:
    // 8014 × 5292 pixels, 42.4 million.
    QTest::newRow("96 x 60 at 20") << 96.0 << 60.0 << 20 << 15 << 20;
    QTest::newRow("91 x 55 at 4") << 91.0 << 55.0 << 4 << 15 << 4;
    QTest::newRow("scale 0 asked") << 91.0 << 55.0 << 0 << 15 << 1;
    QTest::newRow("scale 99 asked") << 91.0 << 55.0 << 99 << 15 << 20;
    // 1171.8 s by 793.8 s pixels: 930,000 s², within 48 million up to s = 7.
    QTest::newRow("300 x 200 at 20") << 300.0 << 200.0 << 20 << 15 << 7;
    // A screen of 7 twips a pixel has about 4.6 times the pixels.
    QTest::newRow("96 x 60 at 20, fine screen") << 96.0 << 60.0 << 20 << 7 << 9;
    // 3818 pixels a side at s = 1, 7637 at s = 2 (58 million).
    QTest::newRow("1000 mm at 4") << 1000.0 << 1000.0 << 4 << 15 << 1;
    // 7598 pixels a side (57.7 million) even at s = 1.
    QTest::newRow("2000 mm") << 2000.0 << 2000.0 << 4 << 15 << 0;
    QTest::newRow("3000 mm") << 3000.0 << 3000.0 << 1 << 15 << 0;
    QTest::newRow("a thin strip of 1e9 mm") << 1e9 << 1.0 << 1 << 15 << 0;
    QTest::newRow("largest double") << 1.7976931348623157e308 << 55.0 << 4 << 15 << 0;
    QTest::newRow("negative huge both ways") << -1e9 << -1e9 << 4 << 15 << 0;
    QTest::newRow("not a number") << nan << 55.0 << 4 << 15 << 0;
    QTest::newRow("infinite") << 91.0 << inf << 4 << 15 << 0;
}

void TestCardImageSize::scaleFor() {
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(int, requested);
    QFETCH(int, tpp);
    QFETCH(int, scale);
    QCOMPARE(CardImageScaleFor(width, height, requested, tpp, tpp), scale);
}

QTEST_GUILESS_MAIN(TestCardImageSize)
#include "test_cardimagesize.moc"
