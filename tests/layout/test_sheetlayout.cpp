// The print style editor's working copy: the derived limits, the margin
// repair, the change of paper, the statements that fail and are skipped,
// Load and Commit, and the "自動" unprintable area.

#include "layout/sheetlayout.h"
#include "print/recordingprinter.h"
#include "testcontext.h"

#include <QtTest>

Q_DECLARE_METATYPE(SheetLayout)

namespace {

// A layout of the given paper, card, margins, gaps and counts.
SheetLayout layout(double ysY, double ysX, double msY, double msX, double top, double left,
                   double kkTop, double kkLeft, int rows, int columns) {
    SheetLayout w;
    w.YsY = ysY;
    w.YsX = ysX;
    w.MsY = msY;
    w.MsX = msX;
    w.Yhktop = top;
    w.YhkLeft = left;
    w.Kktop = kkTop;
    w.KkLeft = kkLeft;
    w.MaisuY = std::int16_t(rows);
    w.MaisuX = std::int16_t(columns);
    return w;
}

SheetLayout a4Default() {
    return layout(297, 210, 55, 91, 11, 14, 0, 0, 5, 2);
}

QList<double> limitsOf(const SheetLayout& w) {
    return {double(w.MaisuYMax), double(w.MaisuXMax), w.MsYMax, w.MsXMax,
            w.YhkYMax,           w.YhkXMax,           w.KkYMax, w.KkXMax};
}

RecordingPrinter& recorder(TestContext& t) {
    auto printer = std::make_unique<RecordingPrinter>();
    RecordingPrinter& p = *printer;
    t.printers->setPrinter(std::move(printer));
    return p;
}

} // namespace

class TestSheetLayout : public QObject {
    Q_OBJECT

private slots:
    void diagramCards_data();
    void diagramCards();
    void countStepAtTheEdgeOfItsRange();
    void limits_data();
    void limits();
    void marginRepair_data();
    void marginRepair();
    void paperChange_data();
    void paperChange();
    void loadAndCommit();
    void loadKeepsGeometryOfAFailingPrinter();
    void automaticOffsets_data();
    void automaticOffsets();
};

// KsnYs runs F1, F2, F3 and F4 in turn.
void TestSheetLayout::limits_data() {
    QTest::addColumn<SheetLayout>("w");
    // MaisuYMax, MaisuXMax, MsYMax, MsXMax, YhkYMax, YhkXMax, KkYMax, KkXMax
    QTest::addColumn<QList<double>>("expected");

    // MsXMax 98 capped at 96; KkYMax 2.75 down to 2.5.
    QTest::newRow("A4 defaults") << a4Default() << QList<double>{5, 2, 57, 96, 22, 28, 2.5, 14};
    // One row: no gap in F1, no division in F4, MsYMax 286 capped at 60.
    QTest::newRow("one row with a gap") << layout(297, 210, 55, 91, 11, 14, 10, 0, 1, 2)
                                        << QList<double>{5, 2, 60, 96, 242, 28, 231, 14};
    // A gap counts in F1 once there are two rows: 286 div 65.
    QTest::newRow("two rows with a gap") << layout(297, 210, 55, 91, 11, 14, 10, 0, 2, 2)
                                         << QList<double>{4, 2, 60, 96, 177, 28, 176, 14};
    // round(54.5) is 54, not 55: 108 div 54 = 2 (55 would give 1).
    QTest::newRow("card height rounded half to even")
        << layout(119, 210, 54.5, 91, 11, 14, 0, 0, 1, 2)
        << QList<double>{2, 2, 60, 96, 64.5, 28, 53.5, 14};
    // A count of 0: F2 divides by zero and MsYMax keeps its 42; F4 takes the
    // one-row branch; F3 gives YsY + Kktop.
    SheetLayout noRows = layout(297, 210, 55, 91, 11, 14, 3, 0, 0, 2);
    noRows.MsYMax = 42;
    QTest::newRow("stored count of 0") << noRows << QList<double>{5, 2, 42, 96, 300, 28, 286, 14};
    // 39989 rows do not fit a 16-bit count: MaisuYMax keeps its 7.
    SheetLayout tooMany = layout(40000, 210, 0.75, 91, 11, 14, 0, 0, 1, 2);
    tooMany.MaisuYMax = 7;
    QTest::newRow("count beyond 16 bits")
        << tooMany << QList<double>{7, 2, 60, 96, 39999.25, 28, 39988, 14};
    // A card that rounds to 0 mm: F1 divides by zero and keeps 7.
    SheetLayout thin = layout(297, 210, 0.25, 91, 11, 14, 0, 0, 1, 2);
    thin.MaisuYMax = 7;
    QTest::newRow("card rounding to nothing")
        << thin << QList<double>{7, 2, 60, 96, 296.75, 28, 285.5, 14};
}

void TestSheetLayout::limits() {
    QFETCH(SheetLayout, w);
    QFETCH(QList<double>, expected);
    w.Yhkbtm = 5; // every routine starts from Yhkbtm = YhkRgt = 0
    w.YhkRgt = 5;
    w.KsnYs();
    QCOMPARE(limitsOf(w), expected);
    QCOMPARE(w.Yhkbtm, 0.0);
    QCOMPARE(w.YhkRgt, 0.0);
}

void TestSheetLayout::marginRepair_data() {
    QTest::addColumn<SheetLayout>("w");
    // Yhktop, Yhkbtm, YhkLeft, YhkRgt, Kktop, YhkYMax after KsnYhk
    QTest::addColumn<QList<double>>("expected");

    QTest::newRow("margins that fit stay") << a4Default() << QList<double>{11, 0, 14, 0, 0, 22};
    // 30 mm does not fit the room of 22 mm: the cards are centred.
    QTest::newRow("top margin 30 on A4")
        << layout(297, 210, 55, 91, 30, 14, 0, 0, 5, 2) << QList<double>{11, 11, 14, 0, 0, 22};
    // A room of 22.5: the top margin takes the smaller share.
    QTest::newRow("room 22.5") << layout(297.5, 210, 55, 91, 30, 14, 0, 0, 5, 2)
                               << QList<double>{11, 11.5, 14, 0, 0, 22.5};
    QTest::newRow("left margin 40 on A4")
        << layout(297, 210, 55, 91, 11, 40, 0, 0, 5, 2) << QList<double>{11, 0, 14, 14, 0, 22};
    // Five rows of 60 mm and gaps of 2 mm are taller than A4: no gap, no
    // margin, and the room is what the cards lack.
    QTest::newRow("cards taller than the paper")
        << layout(297, 210, 60, 91, 11, 14, 2, 0, 5, 2) << QList<double>{0, 0, 14, 0, 0, -3};
}

void TestSheetLayout::marginRepair() {
    QFETCH(SheetLayout, w);
    QFETCH(QList<double>, expected);
    w.KsnYhk();
    QCOMPARE((QList<double>{w.Yhktop, w.Yhkbtm, w.YhkLeft, w.YhkRgt, w.Kktop, w.YhkYMax}),
             expected);
}

void TestSheetLayout::paperChange_data() {
    QTest::addColumn<SheetLayout>("before");
    QTest::addColumn<double>("ysY");
    QTest::addColumn<double>("ysX");
    QTest::addColumn<QList<double>>("margins"); // Yhktop, YhkLeft
    QTest::addColumn<QList<double>>("limits");

    // The margins are compared with the A4 room (22, 28) and kept.
    SheetLayout withGaps = a4Default();
    withGaps.Kktop = 2;
    withGaps.KkLeft = 3;
    QTest::newRow("Ｂ５ with the default layout")
        << withGaps << PaperList[1].YsY << PaperList[1].YsX << QList<double>{11, 14}
        << QList<double>{4, 1, 49, 84, -18, 0, -7.5, -14};
    // Margins beyond the old room are centred on the new paper:
    // round(147 − 2 × 55.25) div 2 = 36 div 2, round(100 − 91) div 2 = 9 div 2.
    QTest::newRow("ハガキ, margins beyond the old room")
        << layout(297, 210, 55.25, 91, 200, 150, 0, 0, 2, 1) << PaperList[2].YsY << PaperList[2].YsX
        << QList<double>{18, 4} << QList<double>{2, 1, 60, 96, 36.5, 9, 18.5, 5};
}

void TestSheetLayout::paperChange() {
    QFETCH(SheetLayout, before);
    QFETCH(double, ysY);
    QFETCH(double, ysX);
    QFETCH(QList<double>, margins);
    QFETCH(QList<double>, limits);
    SheetLayout w = before;
    w.KsnYs(); // the room of the old paper
    w.YsY = ysY;
    w.YsX = ysX;
    w.KsnYsS();
    w.KsnYs();
    QCOMPARE((QList<double>{w.Yhktop, w.YhkLeft}), margins);
    QCOMPARE(limitsOf(w), limits);
    // A change of paper resets both gaps and touches neither counts nor card.
    QCOMPARE(w.Kktop, 0.0);
    QCOMPARE(w.KkLeft, 0.0);
    QCOMPARE(w.MaisuY, before.MaisuY);
    QCOMPARE(w.MsY, before.MsY);
}

void TestSheetLayout::loadAndCommit() {
    TestContext t;
    RecordingPrinter& p = recorder(t);
    p.setMarginsMillimetres(4, 4, 4, 4);
    t.doc.card.PrintStyle = PrintStyle{};
    t.doc.card.PrintStyle.Yhkbtm = 7; // stored remainders are not loaded
    t.app.IsfkY = 1.5;
    t.app.IsfkX = 2.5;

    SheetLayout w;
    w.Load(*t.printers, t.doc.card, t.app);
    QCOMPARE((QList<double>{w.YsY, w.YsX, w.MsY, w.MsX, w.Yhktop, w.YhkLeft, w.Yhkbtm}),
             (QList<double>{297, 210, 55, 91, 11, 14, 0}));
    QCOMPARE(w.IsfkY, 1.5);
    QCOMPARE(w.IsfkX, 2.5);
    QCOMPARE(limitsOf(w), (QList<double>{5, 2, 57, 96, 22, 28, 2.5, 14}));
    // FitPrinterPaper measured the printer, 8 mm of whose page are unprintable.
    QCOMPARE(w.Iky, double(p.ScaleHeight()));
    QVERIFY(w.Iky >= 297 - 17 + 11 - 1.5);
    QVERIFY(w.Iky < 297 - 17 + 11 - 1.5 + 1);
    QCOMPARE(w.KYsY, t.doc.card.PrnPaperH);

    w.Yhktop = 12;
    w.Yhkbtm = 10;
    w.MaisuX = 1;
    w.IsfkY = 0.7;
    w.Iky = 280;
    w.Ikx = 200;
    w.IsfkAuto = false;
    w.Commit(t.doc.card, t.app, *t.settings);
    const PrintStyle& s = t.doc.card.PrintStyle;
    QCOMPARE((QList<double>{s.Yhktop, s.Yhkbtm, double(s.MaisuX)}), (QList<double>{12, 10, 1}));
    QCOMPARE(t.app.IsfkY, 0.7);
    QCOMPARE(t.doc.card.PrnScaleH, 280.0);
    QCOMPARE(t.doc.card.PrnScaleW, 200.0);
    QCOMPARE(t.settings->text(QStringLiteral("sti"), QStringLiteral("ifkc"), {}),
             QStringLiteral("0"));
}

void TestSheetLayout::loadKeepsGeometryOfAFailingPrinter() {
    TestContext t;
    recorder(t).failOn = QStringLiteral("Width");
    t.doc.card.PrnScaleH = 123;
    t.doc.card.PrnScaleW = 45;
    SheetLayout w;
    w.KYsY = 9;
    w.Load(*t.printers, t.doc.card, t.app);
    QCOMPARE(w.Iky, 123.0);
    QCOMPARE(w.Ikx, 45.0);
    QCOMPARE(w.KYsY, 9.0);
    QCOMPARE(w.MaisuYMax, std::int16_t(5)); // the limits are derived all the same
    QVERIFY(t.ui.messages.isEmpty());
}

void TestSheetLayout::automaticOffsets_data() {
    QTest::addColumn<QString>("stored"); // setting "ifkc"; empty: not stored
    QTest::addColumn<bool>("automatic");
    QTest::addColumn<double>("isfkY");
    QTest::newRow("default is automatic") << QString() << true << 10.0;
    QTest::newRow("stored 1") << QStringLiteral("1") << true << 10.0;
    QTest::newRow("stored 0 keeps the typed area") << QStringLiteral("0") << false << 0.7;
}

void TestSheetLayout::automaticOffsets() {
    QFETCH(QString, stored);
    QFETCH(bool, automatic);
    QFETCH(double, isfkY);
    TestContext t;
    RecordingPrinter& p = recorder(t);
    p.setResolution(1440); // one twip a pixel: 567 twips are 10 mm
    p.setMarginsTwips(2 * 567, 567, 0, 0);
    if (!stored.isEmpty())
        t.settings->setText(QStringLiteral("sti"), QStringLiteral("ifkc"), stored);
    t.app.IsfkY = 0.7;
    t.app.IsfkX = 0.3;
    SheetLayout w;
    w.Load(*t.printers, t.doc.card, t.app);

    w.LoadIsfkAuto(*t.settings, *t.printers, t.app);
    QCOMPARE(w.IsfkAuto, automatic);
    QCOMPARE(w.isfkEditable(), !automatic);
    QCOMPARE(w.IsfkY, isfkY);
    // Reading the printer changes the application values at once: cancelling
    // the editor would keep them.
    QCOMPARE(t.app.IsfkY, isfkY);

    // Clearing the box keeps the values; ticking it reads the printer.
    w.IsfkY = 1.2;
    w.setIsfkAuto(*t.printers, t.app, false);
    QCOMPARE(w.IsfkY, 1.2);
    QVERIFY(w.isfkEditable());
    w.setIsfkAuto(*t.printers, t.app, true);
    QCOMPARE(w.IsfkY, 10.0);
    QCOMPARE(w.IsfkX, 20.0);
    QVERIFY(!w.isfkEditable());
}

// A count read from a card file may stand at the edge of its 16-bit range:
// a step past it is skipped, and the limit brings the count back with a beep.
void TestSheetLayout::countStepAtTheEdgeOfItsRange() {
    TestContext t;
    SheetLayout w;
    w.Load(*t.printers, t.doc.card, t.app);
    w.MaisuY = 32767;
    w.MaisuX = 0;
    QVERIFY(w.StepValue(*t.printers, t.doc.card, SheetField::MaisuY, true)); // limited: a beep
    QCOMPARE(w.MaisuY, w.MaisuYMax);
    QVERIFY(w.MaisuY > 0);
    w.MaisuY = -32768;
    QVERIFY(w.StepValue(*t.printers, t.doc.card, SheetField::MaisuY, false));
    QCOMPARE(w.MaisuY, std::int16_t(1));
}

// The diagram's cards in millimetres from the printable corner: the sheet
// position less the unprintable area, at most IMGIdxMax + 1 cards.
void TestSheetLayout::diagramCards_data() {
    QTest::addColumn<double>("isfkY");
    QTest::addColumn<double>("isfkX");
    QTest::addColumn<QList<QRectF>>("first"); // the first two and the last card
    QTest::newRow("no unprintable area")
        << 0.0 << 0.0 << QList<QRectF>{{14, 11, 91, 55}, {105, 11, 91, 55}, {105, 231, 91, 55}};
    QTest::newRow("2 mm above, 3.5 mm left")
        << 2.0 << 3.5 << QList<QRectF>{{10.5, 9, 91, 55}, {101.5, 9, 91, 55}, {101.5, 229, 91, 55}};
}

void TestSheetLayout::diagramCards() {
    QFETCH(double, isfkY);
    QFETCH(double, isfkX);
    QFETCH(QList<QRectF>, first);
    SheetLayout w;
    const PrintStyle s; // A4, 5 rows of 55 mm from 11, 2 columns of 91 mm from 14
    w.YsY = s.YsY;
    w.YsX = s.YsX;
    w.MsY = s.MsY;
    w.MsX = s.MsX;
    w.Yhktop = s.Yhktop;
    w.YhkLeft = s.YhkLeft;
    w.MaisuY = s.MaisuY;
    w.MaisuX = s.MaisuX;
    w.IsfkY = isfkY;
    w.IsfkX = isfkX;
    const QList<QRectF> cards = w.CardRects();
    QCOMPARE(cards.size(), 10);
    QCOMPARE(cards[0], first[0]);
    QCOMPARE(cards[1], first[1]);
    QCOMPARE(cards[9], first[2]);
}

QTEST_MAIN(TestSheetLayout)
#include "test_sheetlayout.moc"
