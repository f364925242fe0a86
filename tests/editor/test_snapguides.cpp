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
    const QRectF logo(30, 40, 20, 10);
    const auto row = [&](const char* name, QRectF box, bool withLogo, QPointF snapped,
                         double across, double down) {
        QTest::newRow(name) << box << (withLogo ? QList<QRectF>{logo} : QList<QRectF>{}) << snapped
                            << across << down;
    };
    row("nothing within reach", {20, 20, 10, 5}, false, {20, 20}, none, none);
    row("centre to the card's centre line", {40.6, 20, 10, 5}, false, {40.5, 20}, 45.5, none);
    row("left edge to another item's left edge", {30.4, 10, 8, 4}, true, {30, 10}, 30, none);
    row("right edge to another item's right edge", {33.3, 10, 16, 4}, true, {34, 10}, 50, none);
    row("left edge to the right edge of another", {49.2, 10, 8, 4}, true, {50, 10}, 50, none);
    row("middle to another item's middle", {10, 42.8, 5, 4}, true, {10, 43}, none, 45);
    row("right edge to the safe margin", {77.7, 20, 10, 5}, false, {78, 20}, 88, none);
    row("bottom to the safe margin", {10, 41.2, 5, 10.5}, false, {10, 41.5}, none, 52);
    row("top left corner into both safe margins", {3.4, 2.2, 10, 5}, false, {3, 3}, 3, 3);
    row("the nearer guide, the card's centre, wins", {29.6, 20, 32.2, 5}, true, {29.4, 20}, 45.5,
        none);
    row("just beyond reach", {31.01, 10, 7, 4}, true, {31.01, 10}, none, none);
    row("top edge to another's top is no guide", {10, 40.5, 5, 2}, true, {10, 40.5}, none, none);
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
    // The guides as "v45.5 h3": the vertical one first.
    QStringList got, expected;
    for (const SnapGuide& g : r.guides)
        got << (g.vertical ? u'v' : u'h') + QString::number(g.at);
    if (!std::isnan(across))
        expected << u'v' + QString::number(across);
    if (!std::isnan(down))
        expected << u'h' + QString::number(down);
    QCOMPARE(got.join(u' '), expected.join(u' '));
}

QTEST_MAIN(TestSnapGuides)
#include "test_snapguides.moc"
