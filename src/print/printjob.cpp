#include "printjob.h"

#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/uiservices.h"
#include "document/tavormain.h"
#include "editor/cardimage.h"
#include "editor/qrdraw.h"
#include "printerpaper.h"

#include <QImage>

namespace {

PrintOutcome printRenderedCard(TavorMain& m, int sheets, bool cutMarks,
                               const SheetProgress& progress) {
    Printer& printer = m.printer();
    const int kills = printer.KillDocCount();
    const QImage cardImage = RenderCardImage(m, true, true);
    if (cardImage.isNull())
        return PrintOutcome::Failed; // refused, and said so, by the renderer
    // A discard before the first output would otherwise go unnoticed: the
    // routine starts a new job of its own.
    if (!m.hasPrinter() || &m.printer() != &printer || printer.KillDocCount() != kills)
        return PrintOutcome::Discarded;
    return PrintCardImage(m, cardImage, sheets, cutMarks, progress);
}

} // namespace

PrintOutcome PrintCard(TavorMain& m, PrintKind kind, int sheets, bool cutMarks,
                       const SheetProgress& progress) {
    switch (kind) {
    case PrintKind::Standard:
        if (!QrCodePrintable(m))
            return PrintOutcome::Failed;
        return printRenderedCard(m, sheets, cutMarks, progress);
    case PrintKind::Text:
        if (!QrCodePrintable(m))
            return PrintOutcome::Failed;
        return PrintCardText(m, sheets, cutMarks, progress);
    case PrintKind::Background:
        return PrintCardBackground(m, sheets, cutMarks, progress);
    case PrintKind::Positions:
        break;
    }
    return PrintCardPositions(m);
}

bool SetupPreviewPaper(TavorMain& m) {
    try {
        const PrintStyle& style = m.card.PrintStyle;
        SetupPrinterPaper(m, style.YsY, style.YsX);
        if (m.card.PrnScaleH != 0 && m.card.PrnScaleW != 0)
            return true;
        m.ui().message(QStringLiteral("印刷スタイルの設定を行ってください。"));
    } catch (const RuntimeError& e) {
        m.ui().message(e.message());
    }
    return false;
}
