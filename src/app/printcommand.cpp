#include "printcommand.h"

#include "app/cardsession.h"
#include "app/newcard.h"
#include "app/session.h"
#include "app/startup.h"
#include "base/consoleui.h"
#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/scratchfolder.h"
#include "base/settings.h"
#include "document/cardfile.h"
#include "editor/cardimage.h"
#include "editor/itemlayout.h"
#include "editor/logofile.h"
#include "picture/cardpicture.h"
#include "print/cardsource.h"
#include "print/mergesource.h"
#include "print/printerpaper.h"
#include "print/printjob.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <csignal>
#include <cstdio>
#include <optional>

namespace {

// Progress lines on stderr, at most one per interval.
constexpr qint64 ProgressIntervalMs = 300;

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

// SIGINT, SIGTERM, SIGHUP (the terminal closed) or SIGQUIT, once one
// arrived. The job notices it at its next yield, sheet or look at the print
// system, discards itself (withdrawing what reached a queue) and the command
// returns, which removes its scratch folder. A second signal ends the
// program at once; a signal ignored when the program started (nohup, a
// background job of a shell) stays ignored.
volatile std::sig_atomic_t interruptSignal = 0;

void noteInterrupt(int signal) {
    interruptSignal = signal;
}

class InterruptHandlers {
public:
    InterruptHandlers() {
        interruptSignal = 0;
        struct sigaction action = {};
        action.sa_handler = noteInterrupt;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        for (Handled& h : m_handled) {
            sigaction(h.signal, nullptr, &h.old);
            h.installed = h.old.sa_handler != SIG_IGN;
            if (h.installed)
                sigaction(h.signal, &action, nullptr);
        }
    }
    ~InterruptHandlers() {
        for (const Handled& h : m_handled)
            if (h.installed)
                sigaction(h.signal, &h.old, nullptr);
    }
    // The exit status of a command ended by the signal: 128 + its number.
    static int status() { return 128 + interruptSignal; }

private:
    struct Handled {
        int signal;
        struct sigaction old = {};
        bool installed = false;
    };
    std::array<Handled, 4> m_handled{{{SIGINT}, {SIGTERM}, {SIGHUP}, {SIGQUIT}}};
};

// The console, with the print job discarded at the first chance after an
// interrupt: when the routine lets events run.
class PrintConsoleUi : public ConsoleUi {
public:
    void processEvents() override { discardIfInterrupted(); }
    void discardIfInterrupted() {
        if (interruptSignal && printer && !m_discarded) {
            m_discarded = true;
            printer->KillDoc();
        }
    }
    Printer* printer = nullptr;

private:
    bool m_discarded = false;
};

// The people a merge prints: the records asked for, without those whose
// card has a problem when asked to leave them out. Nothing when the merge
// cannot go on (said why on stderr).
std::optional<QList<int>> choosePeople(const Card& card, const PrintCommandOptions& o,
                                       StaffList& staff) {
    try {
        staff = ReadStaffList(o.merge);
    } catch (const RuntimeError& e) {
        std::fprintf(stderr, "quillo: %s: %s\n", QFile::encodeName(o.merge).constData(),
                     e.message().toLocal8Bit().constData());
        return std::nullopt;
    }
    const QStringList unknown = UnknownFields(card, staff);
    if (!unknown.isEmpty()) {
        std::fprintf(stderr, "quillo: 名簿にない列の名前があります: %s\n",
                     unknown.join(QStringLiteral("、")).toLocal8Bit().constData());
        return std::nullopt;
    }
    const int count = int(staff.rows.size());
    const int first = o.firstRecord > 0 ? o.firstRecord : 1;
    const int last = o.lastRecord > 0 ? std::min(o.lastRecord, count) : count;
    if (first > last) {
        std::fprintf(stderr,
                     "quillo: the staff list has %d records; none is in the range asked for\n",
                     count);
        return std::nullopt;
    }
    QList<int> people;
    QStringList problems;
    for (int record = first - 1; record < last; ++record) {
        const QString problem = MergeProblem(card, staff, record);
        if (problem.isEmpty())
            people.append(record);
        else
            problems.append(QStringLiteral("%1件目: %2").arg(record + 1).arg(problem));
    }
    for (const QString& p : problems)
        std::fprintf(stderr, "quillo: %s\n", p.toLocal8Bit().constData());
    if (!problems.isEmpty() && !o.skipProblems) {
        std::fputs("quillo: nothing was printed; --skip-problems leaves these records out\n",
                   stderr);
        return std::nullopt;
    }
    if (!problems.isEmpty())
        std::fprintf(stderr, "quillo: %lld record(s) left out\n", qlonglong(problems.size()));
    if (people.isEmpty()) {
        std::fputs("quillo: there is nobody to print\n", stderr);
        return std::nullopt;
    }
    return people;
}

} // namespace

int RunPrintCommand(const PrintCommandOptions& o, PrinterHost& printers) {
    const bool toPdf = !o.pdf.isEmpty() || !o.pdfDir.isEmpty();
    // Neither a file nor a printer named: the system's default printer, as
    // lp prints on.
    QString queue = o.printer;
    if (!toPdf && queue.isEmpty()) {
        queue = printers.defaultDeviceName();
        if (queue.isEmpty()) {
            QStringList system = printers.deviceNames();
            system.removeAll(PrinterHost::BuiltInPdfName());
            std::fputs(system.isEmpty()
                           ? "quillo: there is no printer; write a PDF file with --pdf OUT.pdf\n"
                           : "quillo: there is no default printer; name one with --printer NAME\n",
                       stderr);
            return 1;
        }
    }
    std::unique_ptr<Printer> printer = printers.open(toPdf ? PrinterHost::BuiltInPdfName() : queue);
    if (!printer) {
        std::fprintf(stderr, "quillo: there is no printer named %s\n", qPrintable(queue));
        return 1;
    }
    // "PDF" is a print queue where one has that name, else the built-in
    // printer, which writes a file and so is named with --pdf.
    if (!queue.isEmpty() && printer->DeviceName() == PrinterHost::BuiltInPdfName()) {
        std::fputs("quillo: the built-in PDF printer is named with --pdf OUT.pdf\n", stderr);
        return 2;
    }
    if (!o.pdf.isEmpty() && !printer->setOutputFile(o.pdf)) {
        std::fputs("quillo: the PDF printer cannot write files\n", stderr);
        return 1;
    }

    // The job depends on its arguments only: its own settings (the bottom
    // marks switch) and its own working bitmap, away from the user's.
    InterruptHandlers interrupts;
    ScratchFolder::removeAbandoned(QDir::tempPath());
    ScratchFolder scratch(QDir::tempPath());
    if (!scratch.isValid()) {
        std::fputs("quillo: no room for a temporary folder\n", stderr);
        return 1;
    }
    Settings settings(scratch.filePath(QStringLiteral("qvrs.ini")));
    PrintConsoleUi ui;
    Session s(ui, settings, printers);
    s.app.DataFolder = scratch.filePath(QStringLiteral("data"));
    s.printers.setPrinter(std::move(printer));
    s.app.ImgScale = o.quality;
    ListPrinterFonts(s);

    // A new card reads the printer's unprintable area, as the program does
    // when it starts a card; the card file then brings its own layout.
    PlaceLinesOnChange(s.doc);
    NewCard(s);
    // As the open command does in the window.
    if (!OpenCardFile(s, o.card))
        return 1;
    // The text print and the position print never show the picture: it is
    // neither decoded nor recoloured for them, and never missing from them.
    const bool pictureUsable = !KindPrintsPicture(o.kind) || LoadCardPicture(s.doc, s.ui(), s.app);
    // Nor does the background print the logo.
    const bool logoUsable = !KindPrintsLogo(o.kind) || LoadCardLogo(s.doc, s.ui());
    PlaceCardLines(s.doc.card);
    // What the window would ask about is printed as it is, with a warning.
    if (o.merge.isEmpty()) {
        for (const QString& problem : DescribeCardFit(CheckCardFit(s.doc.card)))
            std::fprintf(stderr, "quillo: warning: %s\n", problem.toLocal8Bit().constData());
    }

    // The people of a merge, checked before anything prints.
    StaffList staff;
    QList<int> people;
    if (!o.merge.isEmpty()) {
        const auto chosen = choosePeople(s.doc.card, o, staff);
        if (!chosen)
            return 1;
        people = *chosen;
    }
    if (!PreparePrinter(s.printers, s.ui(), s.doc.card, s.app.IsfkX))
        return 1;

    if (interruptSignal)
        return InterruptHandlers::status();

    Printer& device = s.printers.printer();
    ui.printer = &device;
    ProgressReport report;
    const SheetProgress progress = [&](int done, int total) {
        report(done, total);
        ui.discardIfInterrupted();
    };
    QString lastState;
    device.setJobWatch([&](const QString& state) {
        if (state != lastState)
            std::fprintf(stderr, "quillo: %s\n", state.toLocal8Bit().constData());
        lastState = state;
        ui.discardIfInterrupted();
    });
    PrintOptions options;
    options.kind = o.kind;
    options.cutMarks = o.cutMarks;
    options.bottomMarks = o.bottomMarks;
    options.image = CardImageLook(s);
    const auto print = [&](const CardSource& cards) {
        return PrintCard(s.printers, s.ui(), s.doc.card.PrintStyle,
                         PrinterOffsets{s.app.IsfkY, s.app.IsfkX}, cards, options, progress);
    };
    const QImage picture = s.doc.pictureImage();
    const DecodedLogo logo = s.doc.logoImage();
    const int positions = int(PlanSheet(s.doc.card.PrintStyle, false, false).size());
    PrintOutcome outcome = PrintOutcome::Printed;
    if (o.merge.isEmpty()) {
        outcome = print(SameCardSource(s.doc.card, picture, logo, o.sheets));
    } else if (o.pdfDir.isEmpty()) {
        outcome = print(
            MergeSource(s.doc.card, picture, logo, staff, people, o.oneEach, o.sheets, positions));
    } else {
        // One PDF a person, named after the person's name line.
        const QStringList names = PersonFileNames(s.doc.card, staff, people);
        for (qsizetype k = 0; k < people.size() && outcome == PrintOutcome::Printed; ++k) {
            const QString file = QDir(o.pdfDir).filePath(names[k]);
            if (!device.setOutputFile(file)) {
                std::fputs("quillo: the PDF printer cannot write files\n", stderr);
                return 1;
            }
            outcome = print(MergeSource(s.doc.card, picture, logo, staff, {people[k]}, false,
                                        o.sheets, positions));
            if (outcome == PrintOutcome::Printed)
                std::fprintf(stderr, "quillo: %s\n", QFile::encodeName(file).constData());
        }
    }
    device.setJobWatch({});
    if (outcome == PrintOutcome::Printed && !device.JobRequestId().isEmpty())
        std::fprintf(stderr, "request id is %s (1 file(s))\n",
                     device.JobRequestId().toLocal8Bit().constData());
    if (interruptSignal) {
        std::fputs(outcome == PrintOutcome::Printed
                       ? "quillo: interrupted after the job was taken for printing\n"
                       : "quillo: interrupted; the print job was discarded\n",
                   stderr);
        return InterruptHandlers::status();
    }
    if (outcome == PrintOutcome::Discarded)
        std::fputs("quillo: the print job was discarded\n", stderr);
    if (outcome != PrintOutcome::Printed)
        return 1;
    return pictureUsable && logoUsable ? 0 : PictureUnusableStatus;
}
