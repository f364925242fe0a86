// SetupPrinterPaper and PreparePrinter on a recording printer: the height
// search, what is recorded in the card, and what happens when the printer
// refuses or fails.

#include "base/appstate.h"
#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/settings.h"
#include "document/card.h"
#include "print/printerpaper.h"
#include "print/recordingprinter.h"
#include "scriptedui.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString NoStyleMessage = QStringLiteral("印刷スタイルの設定を行ってください。");

struct Env {
    QTemporaryDir dir;
    ScriptedUi ui;
    Settings settings{dir.filePath(QStringLiteral("qvrs.ini"))};
    RecordingPrinterHost host;
    PrinterChoice printers{host};
    AppState app;
    Card card;

    RecordingPrinter& printer() { return static_cast<RecordingPrinter&>(printers.printer()); }
    void presetRecorded() {
        card.PrnScaleH = 1;
        card.PrnScaleW = 2;
        card.PrnPaperH = 3;
        card.PrnPaperW = 4;
    }
    bool recordedArePreset() const {
        return card.PrnScaleH == 1 && card.PrnScaleW == 2 && card.PrnPaperH == 3 &&
               card.PrnPaperW == 4;
    }
};

// The printable millimetres of a page of h mm, asked for as round(h × 56.7) twips.
float printableMm(double h, double marginsMm) {
    return float(Printer::PageTwips(h) / Printer::TwipsPerMillimetre - marginsMm);
}

} // namespace

class TestPrinterPaper : public QObject {
    Q_OBJECT

private slots:
    void heightSearch_data();
    void heightSearch();
    void pageTwipsRoundHalfToEven_data();
    void pageTwipsRoundHalfToEven();
    void refusedPaperChangesNothing_data();
    void refusedPaperChangesNothing();
    void printerNeverLongEnough();
    void printerErrorKeepsRecordedValues_data();
    void printerErrorKeepsRecordedValues();
    void prepareNeedsAPrintStyle_data();
    void prepareNeedsAPrintStyle();
};

void TestPrinterPaper::heightSearch_data() {
    QTest::addColumn<double>("paperHeight");
    QTest::addColumn<double>("paperWidth");
    QTest::addColumn<double>("isfkX");
    QTest::addColumn<double>("marginMm"); // top and bottom alike
    QTest::addColumn<double>("pageHeight");
    QTest::addColumn<int>("heightSets");

    // One step: 298 mm already leaves more than 291 mm printable.
    QTest::newRow("A4, no margins") << 297.0 << 210.0 << 0.0 << 0.0 << 298.0 << 1;
    QTest::newRow("card sheet") << 55.0 << 91.0 << 0.0 << 0.0 << 56.0 << 1;
    // 5 + 5 mm unprintable: 301 mm (17067 twips, 301.04 mm) is the first
    // page whose printable height passes 291 mm.
    QTest::newRow("A4, 5 mm margins") << 297.0 << 210.0 << 0.0 << 5.0 << 301.0 << 4;
    // IsfkX lowers the target (291 − 4.23 mm): still one step.
    QTest::newRow("A4, IsfkX 4.23") << 297.0 << 210.0 << 4.2328 << 4.2328 << 298.0 << 1;
    // No print style: the search does not run.
    QTest::newRow("paper height 0") << 0.0 << 210.0 << 0.0 << 0.0 << 0.0 << 0;
    QTest::newRow("paper height 6 + IsfkX") << 9.0 << 210.0 << 3.0 << 0.0 << 9.0 << 0;
    QTest::newRow("just above 6 + IsfkX") << 9.5 << 210.0 << 3.0 << 0.0 << 10.5 << 1;
}

void TestPrinterPaper::heightSearch() {
    QFETCH(double, paperHeight);
    QFETCH(double, paperWidth);
    QFETCH(double, isfkX);
    QFETCH(double, marginMm);
    QFETCH(double, pageHeight);
    QFETCH(int, heightSets);
    Env env;
    env.app.IsfkX = isfkX;
    RecordingPrinter& p = env.printer();
    p.setMarginsMillimetres(0, marginMm, 0, marginMm);

    SetupPrinterPaper(env.printers.printer(), env.card, env.app.IsfkX, paperHeight, paperWidth);

    QCOMPARE(p.PaperSize(), Printer::PaperUser);
    QCOMPARE(p.callsOf(QStringLiteral("Width")).first().args.first(),
             Printer::PageTwips(paperWidth));
    const auto heights = p.callsOf(QStringLiteral("Height"));
    QCOMPARE(heights.size(), heightSets);
    const float scaleW = float(Printer::PageTwips(paperWidth) / Printer::TwipsPerMillimetre);
    QCOMPARE(env.card.PrnScaleW, double(scaleW));
    QCOMPARE(env.card.PrnPaperW, paperWidth);
    QCOMPARE(env.card.PrnPaperH, pageHeight);
    if (heightSets > 0) {
        QCOMPARE(heights.last().args.first(), Printer::PageTwips(pageHeight));
        QCOMPARE(env.card.PrnScaleH, double(printableMm(pageHeight, 2 * marginMm)));
    } else {
        QCOMPARE(env.card.PrnScaleH, 0.0);
    }

    // The printer is left in a user scale of the recorded printable area.
    QCOMPARE(p.ScaleMode(), Printer::ScaleUser);
    QCOMPARE(double(p.ScaleWidth()), env.card.PrnScaleW);
    QCOMPARE(double(p.ScaleHeight()), env.card.PrnScaleH);
    QVERIFY(env.ui.messages.isEmpty());
    // What comes out is the paper itself, not the page the search tried.
    QCOMPARE(p.Sheet(), QSizeF(paperWidth, paperHeight));
}

void TestPrinterPaper::pageTwipsRoundHalfToEven_data() {
    QTest::addColumn<double>("millimetres");
    QTest::addColumn<double>("twips");
    QTest::newRow("5 mm = 283.5") << 5.0 << 284.0;
    QTest::newRow("15 mm = 850.5") << 15.0 << 850.0;
    QTest::newRow("25 mm = 1417.5") << 25.0 << 1418.0;
    QTest::newRow("35 mm = 1984.5") << 35.0 << 1984.0;
    QTest::newRow("91 mm = 5159.7") << 91.0 << 5160.0;
    QTest::newRow("210 mm = 11907") << 210.0 << 11907.0;
    QTest::newRow("297.5 mm = 16868.25") << 297.5 << 16868.0;
}

void TestPrinterPaper::pageTwipsRoundHalfToEven() {
    QFETCH(double, millimetres);
    QFETCH(double, twips);
    QCOMPARE(Printer::PageTwips(millimetres), twips);
    // The paper setup asks the printer for exactly that width.
    Env env;
    SetupPrinterPaper(env.printers.printer(), env.card, env.app.IsfkX, 297, millimetres);
    QCOMPARE(env.printer().Width(), twips);
}

void TestPrinterPaper::refusedPaperChangesNothing_data() {
    QTest::addColumn<bool>("recordedBefore");
    QTest::addColumn<QSizeF>("paper"); // width × height, mm
    QTest::addColumn<bool>("prints");
    QTest::newRow("values recorded earlier: printing goes on") << true << QSizeF(210, 297) << true;
    // The A4 the printer has is the sheet: its printable area is recorded.
    QTest::newRow("nothing recorded, A4: the A4 paper's printable area")
        << false << QSizeF(210, 297) << true;
    QTest::newRow("nothing recorded, no standard paper: no print style")
        << false << QSizeF(200, 280) << false;
}

void TestPrinterPaper::refusedPaperChangesNothing() {
    QFETCH(bool, recordedBefore);
    QFETCH(QSizeF, paper);
    QFETCH(bool, prints);
    Env env;
    RecordingPrinter& p = env.printer();
    p.refuseUserPaper = true;
    p.setPaperSize(9);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, p.setPaperSize(Printer::PaperUser));
    if (recordedBefore)
        env.presetRecorded();
    p.clear();

    SetupPrinterPaper(env.printers.printer(), env.card, env.app.IsfkX, paper.height(),
                      paper.width());
    QCOMPARE(p.PaperSize(), 9);
    QCOMPARE(p.Width(), 11906.0);
    QCOMPARE(p.Height(), 16838.0);
    QCOMPARE(p.ScaleMode(), Printer::ScaleTwips);
    QCOMPARE(p.calls.size(), 1); // the refused PaperSize only
    QCOMPARE(env.recordedArePreset(), recordedBefore);
    if (!recordedBefore && prints) {
        // The whole A4 page: the recording printer has no margins.
        QCOMPARE(env.card.PrnScaleW, 11906 / Printer::TwipsPerMillimetre);
        QCOMPARE(env.card.PrnScaleH, 16838 / Printer::TwipsPerMillimetre);
    }
    QVERIFY(env.ui.messages.isEmpty());

    env.card.PrintStyle.YsY = paper.height();
    env.card.PrintStyle.YsX = paper.width();
    QCOMPARE(PreparePrinter(env.printers, env.ui, env.card, env.app.IsfkX), prints);
    if (prints) {
        QVERIFY(env.ui.messages.isEmpty());
        QCOMPARE(p.ScaleMode(), Printer::ScaleMillimetres);
    } else {
        QCOMPARE(env.ui.texts(), QStringList{NoStyleMessage});
    }
}

void TestPrinterPaper::printerNeverLongEnough() {
    Env env;
    RecordingPrinter& p = env.printer();
    p.maxHeightTwips = Printer::PageTwips(250);

    SetupPrinterPaper(env.printers.printer(), env.card, env.app.IsfkX, 297, 210);

    // The search gives up as the print style editor's does, after 51 pages,
    // and keeps what the printer really has.
    const auto heights = p.callsOf(QStringLiteral("Height"));
    QCOMPARE(heights.size(), MaxPaperSearchSteps + 1);
    QCOMPARE(heights.last().args.first(), Printer::PageTwips(297 + 51));
    QCOMPARE(p.Height(), Printer::PageTwips(250));
    QCOMPARE(env.card.PrnPaperH, 297.0 + 51);
    QCOMPARE(env.card.PrnScaleH, double(printableMm(250, 0)));

    env.card.PrintStyle.YsY = 297;
    env.card.PrintStyle.YsX = 210;
    QVERIFY(PreparePrinter(env.printers, env.ui, env.card, env.app.IsfkX));
}

void TestPrinterPaper::printerErrorKeepsRecordedValues_data() {
    QTest::addColumn<QString>("failingCall");
    QTest::newRow("scale mode") << QStringLiteral("ScaleMode");
    QTest::newRow("width") << QStringLiteral("Width");
    QTest::newRow("height") << QStringLiteral("Height");
    QTest::newRow("writing the scale back") << QStringLiteral("ScaleWidth");
}

void TestPrinterPaper::printerErrorKeepsRecordedValues() {
    QFETCH(QString, failingCall);
    Env env;
    RecordingPrinter& p = env.printer();
    p.failOn = failingCall;
    p.failNumber = RuntimeError::DeviceIo;
    env.presetRecorded();

    try {
        SetupPrinterPaper(env.printers.printer(), env.card, env.app.IsfkX, 297, 210);
        QFAIL("the printer error was swallowed");
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), int(RuntimeError::DeviceIo));
    }
    QVERIFY(env.recordedArePreset());
    QVERIFY(env.ui.messages.isEmpty());

    env.card.PrintStyle.YsY = 297;
    env.card.PrintStyle.YsX = 210;
    QVERIFY(!PreparePrinter(env.printers, env.ui, env.card, env.app.IsfkX));
    QVERIFY(env.recordedArePreset());
    QCOMPARE(env.ui.texts(), QStringList{QStringLiteral("デバイス I/O エラーです。 57")});
    QCOMPARE(env.ui.messages.first().title, QStringLiteral("Quillo 2.40"));
}

void TestPrinterPaper::prepareNeedsAPrintStyle_data() {
    QTest::addColumn<double>("paperHeight");
    QTest::addColumn<double>("paperWidth");
    QTest::addColumn<double>("isfkX");
    QTest::addColumn<bool>("ready");
    QTest::newRow("A4") << 297.0 << 210.0 << 0.0 << true;
    QTest::newRow("no print style") << 0.0 << 0.0 << 0.0 << false;
    QTest::newRow("no paper height") << 0.0 << 210.0 << 0.0 << false;
    QTest::newRow("no paper width") << 297.0 << 0.0 << 0.0 << false;
    QTest::newRow("height 6 mm + IsfkX") << 10.0 << 210.0 << 4.0 << false;
    QTest::newRow("height above 6 mm + IsfkX") << 10.5 << 210.0 << 4.0 << true;
}

void TestPrinterPaper::prepareNeedsAPrintStyle() {
    QFETCH(double, paperHeight);
    QFETCH(double, paperWidth);
    QFETCH(double, isfkX);
    QFETCH(bool, ready);
    Env env;
    env.app.IsfkX = isfkX;
    env.card.PrintStyle.YsY = paperHeight;
    env.card.PrintStyle.YsX = paperWidth;

    QCOMPARE(PreparePrinter(env.printers, env.ui, env.card, env.app.IsfkX), ready);
    if (ready) {
        QVERIFY(env.ui.messages.isEmpty());
        QCOMPARE(env.printer().ScaleMode(), Printer::ScaleMillimetres);
    } else {
        QCOMPARE(env.ui.texts(), QStringList{NoStyleMessage});
        QCOMPARE(env.ui.messages.first().title, QStringLiteral("Quillo 2.40"));
        QCOMPARE(env.ui.messages.first().buttons, UiServices::Ok);
    }
    QVERIFY(!env.printer().jobOpen());
}

QTEST_MAIN(TestPrinterPaper)
#include "test_printerpaper.moc"
