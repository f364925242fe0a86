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

} // namespace

int RunPrintCommand(const PrintOptions& o, PrinterHost& printers) {
    std::unique_ptr<Printer> printer =
        printers.open(o.pdf.isEmpty() ? o.printer : QStringLiteral("PDF"));
    if (!printer) {
        std::fprintf(stderr, "quillo: there is no printer named %s\n", qPrintable(o.printer));
        return 1;
    }
    if (!o.pdf.isEmpty() && !printer->setOutputFile(o.pdf)) {
        std::fputs("quillo: the PDF printer cannot write files\n", stderr);
        return 1;
    }

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
    // The text print and the position print never show the picture: it is
    // neither decoded nor recoloured for them, and never missing from them.
    const bool pictureUsable = !KindPrintsPicture(o.kind) || LoadCardPicture(m);

    if (!PreparePrinter(m))
        return 1;

    ProgressReport report;
    const SheetProgress progress = std::ref(report);
    const PrintOutcome outcome = PrintCard(m, o.kind, o.sheets, o.cutMarks, progress);
    if (outcome == PrintOutcome::Discarded)
        std::fputs("quillo: the print job was discarded\n", stderr);
    if (outcome != PrintOutcome::Printed)
        return 1;
    return pictureUsable ? 0 : PictureUnusableStatus;
}
