// Where a dragged item snaps on a 91 × 55 mm card, and the guide it shows.

#include "editor/snapguides.h"

#include <QtTest>

#include <cmath>

class TestSnapGuides : public QObject {
    Q_OBJECT
private slots:
    void snapBox_data();
    void snapBox();
};

void TestSnapGuides::snapBox_data() {
    QTest::addColumn<QRectF>("box");
    QTest::addColumn<QList<QRectF>>("others");
    QTest::addColumn<QPointF>("snapped");
    QTest::addColumn<double>("across"); // the vertical guide's x; NaN: none
    QTest::addColumn<double>("down");   // the horizontal guide's y; NaN: none
    const double none = std::nan("");
    const QList<QRectF> alone;
    const QRectF logo(30, 40, 20, 10);
    QTest::newRow("nothing within reach")
        << QRectF(20, 20, 10, 5) << alone << QPointF(20, 20) << none << none;
    QTest::newRow("centre to the card's centre line")
        << QRectF(40.6, 20, 10, 5) << alone << QPointF(40.5, 20) << 45.5 << none;
    QTest::newRow("left edge to another item's left edge")
        << QRectF(30.4, 10, 8, 4) << QList<QRectF>{logo} << QPointF(30, 10) << 30.0 << none;
    QTest::newRow("right edge to another item's right edge")
        << QRectF(33.3, 10, 16, 4) << QList<QRectF>{logo} << QPointF(34, 10) << 50.0 << none;
    QTest::newRow("left edge to the right edge of another")
        << QRectF(49.2, 10, 8, 4) << QList<QRectF>{logo} << QPointF(50, 10) << 50.0 << none;
    QTest::newRow("middle to another item's middle")
        << QRectF(10, 42.8, 5, 4) << QList<QRectF>{logo} << QPointF(10, 43) << none << 45.0;
    QTest::newRow("right edge to the safe margin")
        << QRectF(77.7, 20, 10, 5) << alone << QPointF(78, 20) << 88.0 << none;
    QTest::newRow("bottom to the safe margin")
        << QRectF(10, 41.2, 5, 10.5) << alone << QPointF(10, 41.5) << none << 52.0;
    QTest::newRow("top left corner into both safe margins")
        << QRectF(3.4, 2.2, 10, 5) << alone << QPointF(3, 3) << 3.0 << 3.0;
    QTest::newRow("the nearer guide, the card's centre, wins")
        << QRectF(29.6, 20, 32.2, 5) << QList<QRectF>{logo} << QPointF(29.4, 20) << 45.5 << none;
    QTest::newRow("just beyond reach")
        << QRectF(31.01, 10, 7, 4) << QList<QRectF>{logo} << QPointF(31.01, 10) << none << none;
    QTest::newRow("top edge to another's top is no guide")
        << QRectF(10, 40.5, 5, 2) << QList<QRectF>{logo} << QPointF(10, 40.5) << none << none;
}

void TestSnapGuides::snapBox() {
    QFETCH(QRectF, box);
    QFETCH(QList<QRectF>, others);
    QFETCH(QPointF, snapped);
    QFETCH(double, across);
    QFETCH(double, down);
    const SnapResult r =
        SnapBox(box, QSizeF(91, 55), std::vector<QRectF>(others.begin(), others.end()), 1.0);
    QVERIFY2(std::abs(r.topLeft.x() - snapped.x()) < 1e-9 &&
                 std::abs(r.topLeft.y() - snapped.y()) < 1e-9,
             qPrintable(QStringLiteral("(%1, %2)").arg(r.topLeft.x()).arg(r.topLeft.y())));
    std::vector<SnapGuide> guides;
    if (!std::isnan(across))
        guides.push_back({true, across});
    if (!std::isnan(down))
        guides.push_back({false, down});
    QCOMPARE(r.guides.size(), guides.size());
    for (size_t i = 0; i < guides.size(); ++i) {
        QCOMPARE(r.guides[i].vertical, guides[i].vertical);
        QCOMPARE(r.guides[i].at, guides[i].at);
    }
}

QTEST_MAIN(TestSnapGuides)
#include "test_snapguides.moc"
