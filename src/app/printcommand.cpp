#include "printcommand.h"

#include "app/cardsession.h"
#include "app/newcard.h"
#include "app/session.h"
#include "app/startup.h"
#include "base/consoleui.h"
#include "base/printer.h"
#include "base/scratchfolder.h"
#include "base/settings.h"
#include "document/cardfile.h"
#include "editor/cardimage.h"
#include "editor/itemlayout.h"
#include "editor/logofile.h"
#include "picture/cardpicture.h"
#include "print/cardsource.h"
#include "print/printerpaper.h"
#include "print/printjob.h"

#include <QDir>
#include <QElapsedTimer>

#include <array>
#include <csignal>
#include <cstdio>

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

} // namespace

int RunPrintCommand(const PrintCommandOptions& o, PrinterHost& printers) {
    std::unique_ptr<Printer> printer =
        printers.open(o.pdf.isEmpty() ? o.printer : PrinterHost::BuiltInPdfName());
    if (!printer) {
        std::fprintf(stderr, "quillo: there is no printer named %s\n", qPrintable(o.printer));
        return 1;
    }
    // "PDF" is a print queue where one has that name, else the built-in
    // printer, which writes a file and so is named with --pdf.
    if (!o.printer.isEmpty() && printer->DeviceName() == PrinterHost::BuiltInPdfName()) {
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
    const SameCardSource cards(s.doc.card, s.doc.pictureImage(), s.doc.logoImage(), o.sheets);
    const PrintOutcome outcome =
        PrintCard(s.printers, s.ui(), s.doc.card.PrintStyle,
                  PrinterOffsets{s.app.IsfkY, s.app.IsfkX}, cards, options, progress);
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
