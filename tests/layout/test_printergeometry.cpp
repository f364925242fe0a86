// ReadPrinterOffsets and the print style editor's FitPrinterPaper on a
// recording printer.

#include "base/appstate.h"
#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/settings.h"
#include "document/card.h"
#include "layout/printergeometry.h"
#include "print/printerpaper.h"
#include "print/recordingprinter.h"
#include "scriptedui.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Env {
    QTemporaryDir dir;
    ScriptedUi ui;
    Settings settings{dir.filePath(QStringLiteral("qvrs.ini"))};
    RecordingPrinterHost host;
    PrinterChoice printers{host};
    AppState app;
    Card card;

    RecordingPrinter& printer() { return static_cast<RecordingPrinter&>(printers.printer()); }
};

} // namespace

class TestPrinterGeometry : public QObject {
    Q_OBJECT

private slots:
    void readPrinterOffsets_data();
    void readPrinterOffsets();
    void fitPrinterPaper_data();
    void fitPrinterPaper();
    void fitFailureKeepsValues_data();
    void fitFailureKeepsValues();
};

void TestPrinterGeometry::readPrinterOffsets_data() {
    QTest::addColumn<int>("dpi");
    QTest::addColumn<double>("leftTwips");
    QTest::addColumn<double>("topTwips");
    QTest::addColumn<double>("isfkX");
    QTest::addColumn<double>("isfkY");
    // 2.4 twips per pixel × 100 pixels = 240 twips = 240 / 56.7 mm.
    QTest::newRow("600 dpi, 100 px left") << 600 << 240.0 << 0.0 << 4.232804232804 << 0.0;
    QTest::newRow("no offsets") << 600 << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("1200 dpi, 200 px top") << 1200 << 0.0 << 240.0 << 0.0 << 4.232804232804;
    // 300 dpi: 4.8 twips per pixel; 30 px and 15 px.
    QTest::newRow("300 dpi, both") << 300 << 144.0 << 72.0 << 2.539682539683 << 1.269841269841;
}

void TestPrinterGeometry::readPrinterOffsets() {
    QFETCH(int, dpi);
    QFETCH(double, leftTwips);
    QFETCH(double, topTwips);
    QFETCH(double, isfkX);
    QFETCH(double, isfkY);
    Env env;
    env.printer().setResolution(dpi);
    env.printer().setMarginsTwips(leftTwips, topTwips, 0, 0);
    env.app.IsfkX = 9;
    env.app.IsfkY = 9;

    const PrinterOffsets offsets = ReadPrinterOffsets(env.printers.printer());
    env.app.IsfkX = offsets.IsfkX;
    env.app.IsfkY = offsets.IsfkY;
    // Single precision twips per pixel: exact to about 1e-7.
    QVERIFY2(qAbs(env.app.IsfkX - isfkX) < 1e-6, qPrintable(QString::number(env.app.IsfkX)));
    QVERIFY2(qAbs(env.app.IsfkY - isfkY) < 1e-6, qPrintable(QString::number(env.app.IsfkY)));
}

void TestPrinterGeometry::fitPrinterPaper_data() {
    QTest::addColumn<double>("paperHeight");
    QTest::addColumn<double>("yhktop");
    QTest::addColumn<double>("isfkY");
    QTest::addColumn<double>("marginMm");    // top and bottom alike
    QTest::addColumn<double>("maxHeightMm"); // 0: any height granted
    QTest::addColumn<double>("kysy");
    QTest::addColumn<int>("heightSets");

    // Target H − 17 + Yhktop − IsfkY = 291: 298 mm is printable enough.
    QTest::newRow("A4") << 297.0 << 11.0 << 0.0 << 0.0 << 0.0 << 298.0 << 1;
    // 5 + 5 mm unprintable: 301 mm gives 291.04 mm.
    QTest::newRow("A4, 5 mm margins") << 297.0 << 11.0 << 0.0 << 5.0 << 0.0 << 301.0 << 4;
    // The top margin and IsfkY move the target (285 here), not IsfkX.
    QTest::newRow("A4, small top margin") << 297.0 << 8.0 << 3.0 << 5.0 << 0.0 << 298.0 << 1;
    // Target ≤ 0: no search, the page height is not set.
    QTest::newRow("paper height 0") << 0.0 << 11.0 << 0.0 << 0.0 << 0.0 << 0.0 << 0;
    QTest::newRow("target exactly 0") << 10.0 << 10.0 << 3.0 << 0.0 << 0.0 << 10.0 << 0;
    // A driver that never grants the height: 51 pages, then H + 10.
    QTest::newRow("never long enough") << 297.0 << 11.0 << 0.0 << 0.0 << 250.0 << 307.0 << 51;
}

void TestPrinterGeometry::fitPrinterPaper() {
    QFETCH(double, paperHeight);
    QFETCH(double, yhktop);
    QFETCH(double, isfkY);
    QFETCH(double, marginMm);
    QFETCH(double, maxHeightMm);
    QFETCH(double, kysy);
    QFETCH(int, heightSets);
    Env env;
    RecordingPrinter& p = env.printer();
    p.setMarginsMillimetres(2, marginMm, 3, marginMm);
    if (maxHeightMm > 0)
        p.maxHeightTwips = Printer::PageTwips(maxHeightMm);
    env.app.IsfkX = 50; // not FitPrinterPaper's business

    PaperFit fit;
    fit.Yhktop = yhktop;
    fit.IsfkY = isfkY;
    fit.Iky = fit.Ikx = fit.KYsY = -1;
    FitPrinterPaper(env.printers.printer(), env.card, paperHeight, 210, fit);

    QCOMPARE(fit.Yhktop, yhktop);
    QCOMPARE(fit.IsfkY, isfkY);
    QCOMPARE(fit.KYsY, kysy);
    QCOMPARE(p.count(QStringLiteral("PaperSize")), 0);
    QCOMPARE(p.ScaleMode(), Printer::ScaleMillimetres);
    QCOMPARE(p.Width(), Printer::PageTwips(210));
    // Ikx is the printable width, 5 mm less than the page.
    QVERIFY(qAbs(fit.Ikx - (11907 / Printer::TwipsPerMillimetre - 5)) < 1e-4);
    QCOMPARE(fit.Ikx, double(p.ScaleWidth()));

    const auto heights = p.callsOf(QStringLiteral("Height"));
    QCOMPARE(heights.size(), heightSets);
    const double target = paperHeight - 17 + yhktop - isfkY;
    if (heightSets == 0)
        QCOMPARE(fit.Iky, 0.0);
    else if (heightSets > MaxPaperSearchSteps)
        QCOMPARE(fit.Iky, target);
    else
        QCOMPARE(fit.Iky, double(p.ScaleHeight()));
    if (heightSets > 0) {
        // The page grows a millimetre at a time from H + 1; the printer keeps
        // the last one asked for even when the search gives up.
        QCOMPARE(heights.first().args.first(), Printer::PageTwips(paperHeight + 1));
        QCOMPARE(heights.last().args.first(), Printer::PageTwips(paperHeight + heightSets));
    }

    // The shared geometry: PrnPaperW is the printable width, not the paper's.
    QCOMPARE(env.card.PrnPaperH, fit.KYsY);
    QCOMPARE(env.card.PrnPaperW, fit.Ikx);
    QCOMPARE(env.card.PrnScaleH, fit.Iky);
    QCOMPARE(env.card.PrnScaleW, fit.Ikx);
}

void TestPrinterGeometry::fitFailureKeepsValues_data() {
    QTest::addColumn<QString>("failingCall");
    QTest::newRow("scale mode") << QStringLiteral("ScaleMode");
    QTest::newRow("width") << QStringLiteral("Width");
    QTest::newRow("height") << QStringLiteral("Height");
}

void TestPrinterGeometry::fitFailureKeepsValues() {
    QFETCH(QString, failingCall);
    Env env;
    env.printer().failOn = failingCall;
    env.card.PrnScaleH = 1;
    env.card.PrnScaleW = 2;
    env.card.PrnPaperH = 3;
    env.card.PrnPaperW = 4;
    PaperFit fit{11, 0, 5, 6, 7};

    QVERIFY_THROWS_EXCEPTION(RuntimeError,
                             FitPrinterPaper(env.printers.printer(), env.card, 297, 210, fit));
    QCOMPARE(fit.Iky, 5.0);
    QCOMPARE(fit.Ikx, 6.0);
    QCOMPARE(fit.KYsY, 7.0);
    QCOMPARE(env.card.PrnScaleH, 1.0);
    QCOMPARE(env.card.PrnScaleW, 2.0);
    QCOMPARE(env.card.PrnPaperH, 3.0);
    QCOMPARE(env.card.PrnPaperW, 4.0);
}

QTEST_MAIN(TestPrinterGeometry)
#include "test_printergeometry.moc"
