#include "printcommand.h"

#include "app/cardsession.h"
#include "app/newcard.h"
#include "app/startup.h"
#include "base/consoleui.h"
#include "base/printer.h"
#include "base/settings.h"
#include "document/cardfile.h"
#include "document/tavormain.h"
#include "editor/cardimage.h"
#include "picture/cardpicture.h"
#include "print/printerpaper.h"
#include "print/printjob.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// The most sheets one job prints, as in the print dialog.
// Progress lines on stderr, at most one per interval.
constexpr qint64 ProgressIntervalMs = 300;

struct Options {
    QString card;
    QString pdf;
    QString printer;
    int sheets = 1;
    PrintKind kind = PrintKind::Standard;
    bool kindGiven = false;
    bool sheetsGiven = false;
    bool cutMarks = false;
    bool bottomMarks = false;
    bool qualityGiven = false;
    // The render scale of the card image: 4 gives about 430 pixels an inch
    // on the card, finer than most printers show a photo.
    int quality = 4;
};

int fail(const char* text) {
    std::fprintf(stderr, "quillo: %s\n", text);
    return 2;
}

bool wholeNumber(const QStringList& args, qsizetype& i, int low, int high, int* out) {
    bool ok = false;
    const int v = i + 1 < args.size() ? args[++i].toInt(&ok) : 0;
    if (!ok || v < low || v > high)
        return false;
    *out = v;
    return true;
}

// Parses args into o; returns 0 or the exit status of a usage error.
int parse(const QStringList& args, Options& o) {
    QStringList files;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--pdf" || a == u"--printer") {
            if (i + 1 >= args.size())
                return fail("--pdf and --printer need a name");
            (a == u"--pdf" ? o.pdf : o.printer) = args[++i];
        } else if (a == u"--sheets") {
            o.sheetsGiven = true;
            if (!wholeNumber(args, i, 1, MaxSheets, &o.sheets))
                return fail("--sheets needs a whole number from 1 to 1000");
        } else if (a == u"--quality") {
            o.qualityGiven = true;
            if (!wholeNumber(args, i, 1, MaxImgScale, &o.quality))
                return fail("--quality needs a whole number from 1 to 20");
        } else if (a == u"--kind") {
            const QString k = i + 1 < args.size() ? args[++i] : QString();
            o.kindGiven = true;
            if (k == u"standard")
                o.kind = PrintKind::Standard;
            else if (k == u"text")
                o.kind = PrintKind::Text;
            else if (k == u"background")
                o.kind = PrintKind::Background;
            else
                return fail("--kind is standard, text or background");
        } else if (a == u"--positions") {
            o.kind = PrintKind::Positions;
        } else if (a == u"--cut-marks") {
            o.cutMarks = true;
        } else if (a == u"--bottom-marks") {
            o.bottomMarks = true;
        } else if (a.startsWith(u"--")) {
            std::fprintf(stderr, "quillo: unknown option %s\n", qPrintable(a));
            return 2;
        } else {
            files.append(a);
        }
    }
    if (files.size() != 1) {
        std::fputs("quillo: print takes one card file\n", stderr);
        std::fputs(PrintCommandUsage(), stderr);
        return 2;
    }
    o.card = files.first();
    if (o.pdf.isEmpty() == o.printer.isEmpty())
        return fail("name either --pdf OUT.pdf or --printer NAME");
    if (o.printer == u"PDF")
        return fail("the built-in PDF printer is named with --pdf OUT.pdf");
    if (o.kind == PrintKind::Positions &&
        (o.kindGiven || o.sheetsGiven || o.cutMarks || o.bottomMarks || o.qualityGiven))
        return fail("--positions prints one sheet of marks and takes no other print options");
    return 0;
}

// Writes "sheet N/M" to stderr at most every ProgressIntervalMs, and the
// last sheet once a line has been written.
class ProgressReport {
public:
    ProgressReport() { m_clock.start(); }
    void operator()(int done, int total) {
        const qint64 now = m_clock.elapsed();
        if (now - m_last < ProgressIntervalMs && !(done == total && m_shown))
            return;
        m_last = now;
        m_shown = true;
        std::fprintf(stderr, "quillo: sheet %d/%d\n", done, total);
    }

private:
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    bool m_shown = false;
};

} // namespace

const char* PrintCommandUsage() {
    return "       quillo print CARD (--pdf OUT.pdf | --printer NAME) [--sheets N]\n"
           "                    [--kind standard|text|background] [--cut-marks]\n"
           "                    [--bottom-marks] [--quality S]\n"
           "       quillo print CARD --positions (--pdf OUT.pdf | --printer NAME)\n";
}

int RunPrintCommand(const QStringList& args, PrinterHost& printers) {
    Options o;
    if (const int status = parse(args, o))
        return status;

    std::unique_ptr<Printer> printer =
        printers.open(o.pdf.isEmpty() ? o.printer : QStringLiteral("PDF"));
    if (!printer) {
        std::fprintf(stderr, "quillo: there is no printer named %s\n", qPrintable(o.printer));
        return 1;
    }
    if (!o.pdf.isEmpty() && !printer->setOutputFile(o.pdf))
        return fail("the PDF printer cannot write files");

    // The job depends on its arguments only: its own settings (the bottom
    // marks switch) and its own working bitmap, away from the user's.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fputs("quillo: no room for a temporary folder\n", stderr);
        return 1;
    }
    Settings settings(scratch.filePath(QStringLiteral("qvrs.ini")));
    settings.setText(QStringLiteral("opt"), QStringLiteral("KiritoriFlag"),
                     o.bottomMarks ? QStringLiteral("1") : QStringLiteral("0"));
    ConsoleUi ui;
    TavorMain m(ui, settings, printers);
    m.setDataFolder(scratch.filePath(QStringLiteral("data")));
    m.setPrinter(std::move(printer));
    m.app.ImgScale = o.quality;
    ListPrinterFonts(m);

    // A new card reads the printer's unprintable area, as the program does
    // when it starts a card; the card file then brings its own layout.
    NewCard(m);
    if (!OpenCardFile(m, o.card))
        return 1;
    LoadCardPicture(m);

    if (!PreparePrinter(m))
        return 1;

    ProgressReport report;
    const SheetProgress progress = std::ref(report);
    const PrintOutcome outcome = PrintCard(m, o.kind, o.sheets, o.cutMarks, progress);
    if (outcome == PrintOutcome::Discarded)
        std::fputs("quillo: the print job was discarded\n", stderr);
    return outcome == PrintOutcome::Printed ? 0 : 1;
}
