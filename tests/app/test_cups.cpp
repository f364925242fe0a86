// Sheets through a real CUPS server: the system printer on the private
// server's queues "QuilloFile" (no unprintable area, the default
// destination) and "QuilloMargins" (5 mm on every side), each writing its
// jobs' PDF to $PRIVATE_CUPS_OUT/<queue>.pdf, and "QuilloDriver" (CUPS's
// generic PostScript driver, writing its PostScript); and the jobs CUPS
// refuses, stops or cancels, which must fail the print. Run under
// ../shared/tools/with-private-cups; without CUPS_SERVER the test is skipped
// (exit status 77).

#include "layout/printergeometry.h"
#include "layout/sheetlayout.h"
#include "pdfcheck.h"
#include "print/printerpaper.h"
#include "print/systemprinter.h"
#include "sessioncontext.h"
#include "testcard.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <sys/mount.h>

namespace {

constexpr QRgb CardColour = qRgb(255, 200, 0);

// The queue's geometry as the command line finds it: a new card's paper set
// up, the offsets read, then the paper set up for printing.
struct QueueGeometry {
    double IsfkY = -1, IsfkX = -1, PrnPaperH = 0, PrnPaperW = 0;
};

QueueGeometry geometryOf(const QString& queue) {
    SessionContext t;
    auto printer = SystemPrinterHost().open(queue);
    if (!printer)
        return {};
    t.m->printers.setPrinter(std::move(printer));
    Printer& p = t.m->printers.printer();
    SetupPrinterPaper(p, t.m->doc.card, t.m->app.IsfkX, 297, 210);
    const PrinterOffsets offsets = ReadPrinterOffsets(p);
    t.m->app.IsfkY = offsets.IsfkY;
    t.m->app.IsfkX = offsets.IsfkX;
    SetupPrinterPaper(p, t.m->doc.card, t.m->app.IsfkX, 297, 210);
    return {t.m->app.IsfkY, t.m->app.IsfkX, t.m->doc.card.PrnPaperH, t.m->doc.card.PrnPaperW};
}

// Waits until the queue has no job left and its output file stopped growing.
bool waitForOutput(const QString& queue, const QString& path) {
    QDeadlineTimer deadline(120000);
    qint64 lastSize = -1;
    while (!deadline.hasExpired()) {
        QProcess lpstat;
        lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue});
        lpstat.waitForFinished(10000);
        const bool idle = lpstat.readAllStandardOutput().trimmed().isEmpty();
        const qint64 size = QFileInfo(path).size();
        if (idle && size > 0 && size == lastSize)
            return true;
        lastSize = size;
        QThread::msleep(200);
    }
    return false;
}

// Runs a CUPS command-line tool; its exit status.
int cupsTool(const QString& program, const QStringList& args) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedChannels);
    tool.start(program, args);
    return tool.waitForFinished(30000) ? tool.exitCode() : -1;
}

// The jobs of the queue that are not finished, as lpstat lists them.
QString queuedJobs(const QString& queue) {
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue});
    lpstat.waitForFinished(10000);
    return QString::fromLocal8Bit(lpstat.readAllStandardOutput()).trimmed();
}

// Waits until the queue has a job waiting, up to 30 seconds.
bool waitForQueuedJob(const QString& queue) {
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        if (!queuedJobs(queue).isEmpty())
            return true;
        QThread::msleep(100);
    }
    return false;
}

// `quillo print ARGS` with the environment changed as "NAME=value" entries
// say, its stderr captured.
struct PrintRun {
    QProcess process;
    explicit PrintRun(const QStringList& args, const QStringList& environment = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : environment)
            env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(QUILLO_EXECUTABLE),
                      QStringList{QStringLiteral("print")} + args);
    }
    PrintRun(const QString& card, const QString& queue, const QStringList& environment = {})
        : PrintRun({card, QStringLiteral("--printer"), queue}, environment) {}
    bool finish() { return process.waitForFinished(120000); }
    QString errors() { return QString::fromLocal8Bit(process.readAllStandardError()); }
};

// A queue setting changed for one test and put back afterwards.
class QueueChange {
public:
    QueueChange(const QString& program, const QStringList& args, QString undoProgram,
                QStringList undoArgs)
        : m_undo(std::move(undoProgram)), m_undoArgs(std::move(undoArgs)) {
        m_done = cupsTool(program, args) == 0;
    }
    ~QueueChange() { cupsTool(m_undo, m_undoArgs); }
    bool done() const { return m_done; }

private:
    QString m_undo;
    QStringList m_undoArgs;
    bool m_done = false;
};

// Jobs on QuilloFile are held until released, so that they wait in the queue.
std::unique_ptr<QueueChange> holdJobs() {
    return std::make_unique<QueueChange>(
        QStringLiteral("lpadmin"),
        QStringList{"-p", "QuilloFile", "-o", "job-hold-until-default=indefinite"},
        QStringLiteral("lpadmin"), QStringList{"-p", "QuilloFile", "-R", "job-hold-until-default"});
}

// The card of the text print on a sheet of the paper the print style window
// lists under that name, its cards placed to fit.
Card cardOnPaper(const QString& paper) {
    Card card = PrintTestCard(QString());
    PrintStyle& s = card.PrintStyle;
    for (const PaperEntry& entry : PaperList)
        if (entry.name == paper)
            std::tie(s.YsY, s.YsX) = std::tie(entry.YsY, entry.YsX);
    // B5 takes one column of four, the postcard one of two.
    if (paper != u"Ａ４")
        std::tie(s.Yhktop, s.YhkLeft, s.MaisuY, s.MaisuX) =
            paper == u"Ｂ５" ? std::tuple(10.0, 45.5, 4, 1) : std::tuple(8.0, 4.5, 2, 1);
    return card;
}

} // namespace

class TestCups : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void offsets_data();
    void offsets();
    void sheets_data();
    void sheets();
    void refusedJobFails_data();
    void refusedJobFails();
    void jobCancelledWhileQueuedFails();
    void interruptWithdrawsTheJob_data();
    void interruptWithdrawsTheJob();
    void fullTemporaryFolderSendsNothing();
    void defaultDestination_data();
    void defaultDestination();
    void pagesAreThePaper_data();
    void pagesAreThePaper();

private:
    QTemporaryDir m_dir;
};

void TestCups::initTestCase() {
    QVERIFY(pdfcheck::available());
    const QString picture = m_dir.filePath(QStringLiteral("photo.png"));
    QVERIFY(WriteSolidPicture(picture, CardColour));
    QCOMPARE(WriteCardFile(m_dir.filePath(QStringLiteral("card.qcd")), PrintTestCard(picture)), 0);
    QCOMPARE(WriteCardFile(m_dir.filePath(QStringLiteral("text.qcd")), PrintTestCard(QString())),
             0);
}

void TestCups::offsets_data() {
    QTest::addColumn<QString>("queue");
    QTest::addColumn<double>("unprintable"); // mm, top and left
    QTest::newRow("QuilloFile") << QStringLiteral("QuilloFile") << 0.0;
    QTest::newRow("QuilloMargins") << QStringLiteral("QuilloMargins") << 5.0;
}

void TestCups::offsets() {
    QFETCH(QString, queue);
    QFETCH(double, unprintable);
    const QueueGeometry g = geometryOf(queue);
    // Whole device pixels at the queue's resolution: within a twentieth of a mm.
    QVERIFY2(qAbs(g.IsfkY - unprintable) < 0.05, qPrintable(QString::number(g.IsfkY)));
    QVERIFY2(qAbs(g.IsfkX - unprintable) < 0.05, qPrintable(QString::number(g.IsfkX)));
    QCOMPARE(g.PrnPaperW, 210.0);
    QVERIFY(g.PrnPaperH > 297);
}

void TestCups::sheets_data() {
    QTest::addColumn<QString>("queue");
    QTest::addColumn<bool>("positions");
    QTest::newRow("QuilloFile") << QStringLiteral("QuilloFile") << false;
    QTest::newRow("QuilloMargins") << QStringLiteral("QuilloMargins") << false;
    QTest::newRow("QuilloMargins, positions") << QStringLiteral("QuilloMargins") << true;
}

void TestCups::sheets() {
    QFETCH(QString, queue);
    QFETCH(bool, positions);
    const QString output = qEnvironmentVariable("PRIVATE_CUPS_OUT") + QLatin1Char('/') + queue +
                           QStringLiteral(".pdf");
    QFile::remove(output);
    const QStringList options = positions
                                    ? QStringList{"--positions"}
                                    : QStringList{"--sheets", "2", "--cut-marks", "--bottom-marks"};
    PrintRun run(QStringList{m_dir.filePath(QStringLiteral("card.qcd")), "--printer", queue} +
                 options);
    QVERIFY(run.finish());
    const QString errors = run.errors();
    QVERIFY2(run.process.exitCode() == 0, qPrintable(errors));
    // As lp says it: the job's name in CUPS.
    QVERIFY2(errors.contains(QStringLiteral("request id is %1-").arg(queue)), qPrintable(errors));
    QVERIFY2(waitForOutput(queue, output), qPrintable(output));

    // The pages are the A4 paper itself, however long a page the paper
    // search tried (A4 is 595.28 × 841.89 points).
    const QueueGeometry g = geometryOf(queue);
    QVERIFY(g.PrnPaperH > 297);
    const auto pages = pdfcheck::pageSizes(output).value_or(QList<QSizeF>{});
    QCOMPARE(pages.size(), positions ? 1 : 2);
    for (const QSizeF& page : pages) {
        QVERIFY2(qAbs(page.width() - 595.28) < 0.5, qPrintable(QString::number(page.width())));
        QVERIFY2(qAbs(page.height() - 841.89) < 0.5, qPrintable(QString::number(page.height())));
    }

    // The printer subtracts its unprintable area and the queue adds it back:
    // cards and marks lie where the layout puts them on the paper.
    constexpr int dpi = 200;
    const QImage page = pdfcheck::renderPage(output, int(pages.size()), dpi);
    auto near = [&](double xMm, double yMm, QRgb colour) {
        const QPoint at(qRound(xMm / 25.4 * dpi), qRound(yMm / 25.4 * dpi));
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (page.valid(at + QPoint(dx, dy)) && page.pixel(at + QPoint(dx, dy)) == colour)
                    return true;
        return false;
    };
    const QRgb blue = qRgb(0, 0, 128), green = qRgb(0, 128, 0);
    for (double top : {11, 66, 121, 176, 231}) {
        for (double left : {14, 105}) {
            QCOMPARE(near(left + 1, top + 1, CardColour), !positions);
            QCOMPARE(near(left + 90, top + 54, CardColour), !positions);
        }
    }
    QVERIFY(!near(13, 10, CardColour));
    QVERIFY(near(14, 10.2, blue));    // above the first row
    QVERIFY(near(105, 10.2, blue));   // above the first row, inner edge
    QVERIFY(near(196, 286.8, blue));  // below the last row
    QVERIFY(near(12.8, 66, green));   // left of the first column
    QVERIFY(near(197.2, 231, green)); // right of the last column
}

void TestCups::refusedJobFails_data() {
    QTest::addColumn<QString>("tool"); // makes QuilloMargins refuse
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("undo");
    QTest::addColumn<QString>("reason"); // in what quillo says

    QTest::newRow("rejecting jobs")
        << "cupsreject" << QStringList{"QuilloMargins"} << "cupsaccept"
        << "プリンタ「QuilloMargins」は印刷ジョブを受け付けていません。";
    QTest::newRow("disabled, with a reason")
        << "cupsdisable" << QStringList{"-r", "用紙切れ", "QuilloMargins"} << "cupsenable"
        << "用紙切れ";
    QTest::newRow("stopped") << "cupsdisable" << QStringList{"QuilloMargins"} << "cupsenable"
                             << "QuilloMargins";
}

void TestCups::refusedJobFails() {
    QFETCH(QString, tool);
    QFETCH(QStringList, args);
    QFETCH(QString, undo);
    QFETCH(QString, reason);
    const QueueChange change(tool, args, undo, {QStringLiteral("QuilloMargins")});
    QVERIFY(change.done());
    PrintRun run(m_dir.filePath(QStringLiteral("card.qcd")), QStringLiteral("QuilloMargins"));
    QVERIFY(run.finish());
    const QString errors = run.errors();
    QVERIFY2(run.process.exitCode() == 1, qPrintable(errors));
    // The program's error message, then CUPS's reason.
    QVERIFY2(errors.contains(QStringLiteral("57")), qPrintable(errors));
    QVERIFY2(errors.contains(reason), qPrintable(errors));
    QVERIFY2(!errors.contains(QStringLiteral("request id")), qPrintable(errors));
    // Nothing left waiting to print once the queue takes jobs again.
    QCOMPARE(queuedJobs(QStringLiteral("QuilloMargins")), QString());
}

void TestCups::jobCancelledWhileQueuedFails() {
    const auto hold = holdJobs();
    QVERIFY(hold->done());
    PrintRun run(m_dir.filePath(QStringLiteral("card.qcd")), QStringLiteral("QuilloFile"));
    QVERIFY(waitForQueuedJob(QStringLiteral("QuilloFile")));
    QCOMPARE(
        cupsTool(QStringLiteral("cancel"), {QStringLiteral("-a"), QStringLiteral("QuilloFile")}),
        0);
    QVERIFY(run.finish());
    const QString errors = run.errors();
    QVERIFY2(run.process.exitCode() == 1, qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("取り消")), qPrintable(errors));
    // Why, in the program's words: no IPP keyword ("processing-to-stop-point").
    QVERIFY2(!errors.contains(QRegularExpression(QStringLiteral("[a-z]+(-[a-z]+){2,}"))),
             qPrintable(errors));
}

void TestCups::interruptWithdrawsTheJob_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("status");
    QTest::newRow("SIGINT") << int(SIGINT) << 130;
    QTest::newRow("SIGTERM") << int(SIGTERM) << 143;
}

void TestCups::interruptWithdrawsTheJob() {
    QFETCH(int, signal);
    QFETCH(int, status);
    const auto hold = holdJobs();
    QVERIFY(hold->done());
    QTemporaryDir tmp;
    PrintRun run(m_dir.filePath(QStringLiteral("card.qcd")), QStringLiteral("QuilloFile"),
                 {QStringLiteral("TMPDIR=") + tmp.path()});
    QVERIFY(waitForQueuedJob(QStringLiteral("QuilloFile")));
    ::kill(pid_t(run.process.processId()), signal);
    QVERIFY(run.finish());
    QCOMPARE(run.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.process.exitCode(), status);
    QCOMPARE(queuedJobs(QStringLiteral("QuilloFile")), QString());
    // Its temporary folder and files are gone (Qt's own runtime folder, made
    // where XDG_RUNTIME_DIR is unusable, is not the program's).
    QStringList left =
        QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    left.removeAll(QStringLiteral("runtime-root"));
    QCOMPARE(left, QStringList{});
}

// The document for the queue is made in the temporary folder; when it does
// not fit there the print fails with the full disk's number (61) and no job
// reaches the queue.
void TestCups::fullTemporaryFolderSendsNothing() {
    QTemporaryDir tmp;
    const QByteArray where = QFile::encodeName(tmp.path());
    if (::mount("tmpfs", where.constData(), "tmpfs", 0, "size=4k") != 0)
        QSKIP("a small disk can only be mounted by root");
    const auto unmount = qScopeGuard([&] { ::umount2(where.constData(), MNT_DETACH); });
    const auto everyJob = [] {
        QProcess lpstat;
        lpstat.start(QStringLiteral("lpstat"), {"-W", "all", "-o", "QuilloFile"});
        lpstat.waitForFinished(10000);
        return lpstat.readAllStandardOutput();
    };
    const QByteArray before = everyJob();
    PrintRun run(m_dir.filePath(QStringLiteral("text.qcd")), QStringLiteral("QuilloFile"),
                 {QStringLiteral("TMPDIR=") + tmp.path()});
    QVERIFY(run.finish());
    const QString errors = run.errors();
    QVERIFY2(run.process.exitCode() == 1, qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("61")), qPrintable(errors));
    QCOMPARE(everyJob(), before);
}

void TestCups::defaultDestination_data() {
    QTest::addColumn<QString>("variable");  // "NAME=value" set for the run
    QTest::addColumn<QString>("lpoptions"); // the user's ~/.cups/lpoptions
    QTest::addColumn<QString>("queue");     // the destination printed on; empty: none
    const QString none;
    QTest::newRow("the server's default") << none << none << "QuilloFile";
    QTest::newRow("the user's lpoptions -d") << none << "Default QuilloDriver\n"
                                             << "QuilloDriver";
    QTest::newRow("PRINTER") << "PRINTER=QuilloMargins" << none << "QuilloMargins";
    QTest::newRow("no print system") << "CUPS_SERVER=127.0.0.1:1" << none << none;
}

// Without --pdf or --printer the print, the printer list and the printer in
// use (自動) go to CUPS's default destination as lp finds it, if any.
void TestCups::defaultDestination() {
    QFETCH(QString, variable);
    QFETCH(QString, lpoptions);
    QFETCH(QString, queue);
    QTemporaryDir home;
    QStringList environment = variable.isEmpty() ? QStringList() : QStringList{variable};
    if (!lpoptions.isEmpty()) {
        QVERIFY(QDir(home.path()).mkpath(QStringLiteral(".cups")));
        QFile file(home.filePath(QStringLiteral(".cups/lpoptions")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(lpoptions.toUtf8()) > 0);
        environment = QStringList{QStringLiteral("HOME=") + home.path()};
    }
    PrintRun run({m_dir.filePath(QStringLiteral("text.qcd")), QStringLiteral("--kind"), "text"},
                 environment);
    QVERIFY(run.finish());
    const QString errors = run.errors();
    QVERIFY2(run.process.exitCode() == (queue.isEmpty() ? 1 : 0), qPrintable(errors));
    QVERIFY2(errors.contains(queue.isEmpty() ? QStringLiteral("there is no printer")
                                             : QStringLiteral("request id is %1-").arg(queue)),
             qPrintable(errors));

    // The same in the program, for the print dialog and the print style
    // window. libcups reads the user's lpoptions once a process, so that row
    // is seen through the command alone.
    if (!lpoptions.isEmpty() || queue.isEmpty())
        return;
    const QByteArray name = variable.section(u'=', 0, 0).toUtf8(), before = qgetenv(name);
    if (!variable.isEmpty())
        qputenv(name, variable.section(u'=', 1).toUtf8());
    const auto restore = qScopeGuard([&] {
        if (!variable.isEmpty())
            before.isEmpty() ? qunsetenv(name) : qputenv(name, before);
    });
    SystemPrinterHost host;
    QCOMPARE(host.defaultDeviceName(), queue);
    QCOMPARE(host.deviceNames().first(), queue);
    PrinterChoice choice(host);
    QCOMPARE(choice.printer().DeviceName(), queue);
}

// Every listed paper comes out as that paper to 0.01 mm, the marks where the
// layout puts them to 0.02 mm; a paper a queue lacks is refused unsent.
void TestCups::pagesAreThePaper_data() {
    QTest::addColumn<QString>("printer"); // a queue, or "PDF" for the built-in printer
    QTest::addColumn<QString>("paper");   // as the print style window lists it
    QTest::addColumn<QSizeF>("page");     // points; empty: refused before printing
    // A queue prints on its own paper of that name (its postcard is 148 mm
    // long); the generic PostScript driver has no postcard, no custom size.
    const QList<std::tuple<QString, QSizeF, QSizeF>> papers{
        {"Ａ４", {595.28, 841.89}, {595, 842}},
        {"Ｂ５", {515.91, 728.50}, {516, 729}},
        {"ハガキ", {283.46, 416.69}, {283, 420}}};
    for (const QString printer : {"PDF", "QuilloMargins", "QuilloDriver"})
        for (const auto& [paper, pdf, queue] : papers)
            QTest::addRow("%s, %s", qPrintable(printer), qPrintable(paper))
                << printer << paper
                << (printer == u"PDF"                                  ? pdf
                    : printer == u"QuilloDriver" && paper == u"ハガキ" ? QSizeF()
                                                                       : queue);
}

void TestCups::pagesAreThePaper() {
    QFETCH(QString, printer);
    QFETCH(QString, paper);
    QFETCH(QSizeF, page);
    const Card card = cardOnPaper(paper);
    const QString cardFile = m_dir.filePath(QStringLiteral("paper.qcd"));
    QCOMPARE(WriteCardFile(cardFile, card), 0);

    const bool pdf = printer == u"PDF", driver = printer == u"QuilloDriver";
    const QString out = pdf ? m_dir.filePath(QStringLiteral("paper.pdf"))
                            : qEnvironmentVariable("PRIVATE_CUPS_OUT") + u'/' + printer +
                                  (driver ? QStringLiteral(".ps") : QStringLiteral(".pdf"));
    QFile::remove(out);
    PrintRun run({cardFile, pdf ? QStringLiteral("--pdf") : "--printer", pdf ? out : printer,
                  QStringLiteral("--kind"), "text", QStringLiteral("--cut-marks")});
    QVERIFY(run.finish());
    const QString errors = run.errors();
    if (page.isEmpty()) {
        QCOMPARE(run.process.exitCode(), 1);
        QVERIFY2(errors.contains(QStringLiteral("プリンタ「%1」").arg(printer)) &&
                     errors.contains(QStringLiteral("100 × 147 mm")),
                 qPrintable(errors));
        QCOMPARE(queuedJobs(printer), QString());
        QThread::msleep(500);
        QVERIFY(!QFileInfo::exists(out));
        return;
    }
    QVERIFY2(run.process.exitCode() == 0, qPrintable(errors));
    QString sheet = out;
    if (!pdf)
        QVERIFY2(waitForOutput(printer, out), qPrintable(out));
    if (driver &&
        !pdfcheck::fromPostScript(out, sheet = m_dir.filePath(QStringLiteral("driver.pdf"))))
        QSKIP("ghostscript is not installed");
    const auto pages = pdfcheck::pageSizes(sheet).value_or(QList<QSizeF>{});
    QCOMPARE(pages.size(), 1);
    constexpr double hundredthMm = 72 / 25.4 / 100;
    QVERIFY2(qAbs(pages[0].width() - page.width()) < hundredthMm &&
                 qAbs(pages[0].height() - page.height()) < hundredthMm,
             qPrintable(QStringLiteral("%1 × %2 pt").arg(pages[0].width()).arg(pages[0].height())));

    // The first card's marks: the blue one above its left edge, the green one
    // left of its top edge, each from 0.2 to 1.5 mm off the card.
    const double L = card.PrintStyle.YhkLeft, T = card.PrintStyle.Yhktop;
    const auto above = pdfcheck::inkCentre(sheet, QRectF(L - 0.4, T - 1.7, 0.8, 1.6), 2400);
    const auto beside = pdfcheck::inkCentre(sheet, QRectF(L - 1.7, T - 0.4, 1.6, 0.8), 2400);
    QVERIFY(above && beside);
    const auto near = [](QPointF a, QPointF b) { return (a - b).manhattanLength() <= 0.02; };
    QVERIFY2(near(*above, {L, T - 0.85}) && near(*beside, {L - 0.85, T}),
             qPrintable(QStringLiteral("%1, %2; %3, %4")
                            .arg(above->x())
                            .arg(above->y())
                            .arg(beside->x())
                            .arg(beside->y())));
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("CUPS_SERVER")) {
        std::puts("No CUPS server (CUPS_SERVER is not set): skipped.");
        return 77;
    }
    QGuiApplication app(argc, argv);
    TestCups test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_cups.moc"
