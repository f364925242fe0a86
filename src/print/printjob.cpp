#include "printjob.h"

#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/uiservices.h"
#include "cardsource.h"
#include "editor/cardimage.h"
#include "editor/qrdraw.h"
#include "printerpaper.h"

#include <QImage>

namespace {

// Whether every card of the source may go to paper; says why not.
bool qrCodesPrintable(const CardSource& cards, UiServices& ui) {
    for (int i = 0; i < cards.cardCount(); ++i) {
        if (!QrCodePrintable(cards.card(i), ui))
            return false;
    }
    return true;
}

PrintOutcome printRenderedCards(PrinterChoice& printers, UiServices& ui, const PrintStyle& style,
                                PrinterOffsets offsets, const CardSource& cards,
                                const PrintOptions& options, const SheetProgress& progress) {
    Printer& printer = printers.printer();
    const int kills = printer.KillDocCount();
    CardImageOptions look = options.image;
    look.withPicture = look.withText = true;
    auto render = [&](int index) {
        return RenderCardImage(cards.card(index), cards.pictureOf(index), cards.logoOf(index), look,
                               ui);
    };
    // The first card is rendered before the job starts: a card the
    // renderer refuses sends nothing.
    const int first = cards.sheetCount() > 0 ? cards.cardAt(0, 0) : -1;
    QImage firstImage;
    if (first >= 0) {
        firstImage = render(first);
        if (firstImage.isNull())
            return PrintOutcome::Failed; // refused, and said so, by the renderer
    }
    // A discard before the first output would otherwise go unnoticed: the
    // routine starts a new job of its own.
    if (!printers.hasPrinter() || &printers.printer() != &printer ||
        printer.KillDocCount() != kills)
        return PrintOutcome::Discarded;
    const CardImages images = [&](int index) {
        return index == first ? firstImage : render(index);
    };
    return PrintCardImage(printers, ui, style, offsets, cards, images, options, progress);
}

} // namespace

PrintOutcome PrintCard(PrinterChoice& printers, UiServices& ui, const PrintStyle& style,
                       PrinterOffsets offsets, const CardSource& cards, const PrintOptions& options,
                       const SheetProgress& progress) {
    switch (options.kind) {
    case PrintKind::Standard:
        if (!qrCodesPrintable(cards, ui))
            return PrintOutcome::Failed;
        return printRenderedCards(printers, ui, style, offsets, cards, options, progress);
    case PrintKind::Text:
        if (!qrCodesPrintable(cards, ui))
            return PrintOutcome::Failed;
        return PrintCardText(printers, ui, style, offsets, cards, options, progress);
    case PrintKind::Background:
        return PrintCardBackground(printers, ui, style, offsets, cards, options, progress);
    case PrintKind::Positions:
        break;
    }
    return PrintCardPositions(printers, ui, style, offsets);
}

bool SetupPreviewPaper(PrinterChoice& printers, UiServices& ui, Card& card, double isfkX) {
    try {
        const PrintStyle& style = card.PrintStyle;
        SetupPrinterPaper(printers.printer(), card, isfkX, style.YsY, style.YsX);
        if (card.PrnScaleH != 0 && card.PrnScaleW != 0)
            return true;
        ui.message(QStringLiteral("印刷スタイルの設定を行ってください。"));
    } catch (const RuntimeError& e) {
        ui.message(e.message());
    }
    return false;
}
