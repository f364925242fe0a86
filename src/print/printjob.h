#pragma once

#include "sheetprint.h"

class CardSource;
class PrinterChoice;
class UiServices;
struct Card;

// Whether the kind puts the card's picture on paper: only these need it
// decoded and recoloured.
constexpr bool KindPrintsPicture(PrintKind kind) {
    return kind == PrintKind::Standard || kind == PrintKind::Background;
}
// Whether the kind puts the card's logo on paper: all that print the lines.
constexpr bool KindPrintsLogo(PrintKind kind) {
    return kind == PrintKind::Standard || kind == PrintKind::Text;
}

// Runs the print routine of options.kind on the printer in use; call it
// after PreparePrinter returned true. The standard print renders each card
// of the source once, at options.image's scale, and paints that image at its
// positions. Rendering lets events run: a job discarded (KillDoc) meanwhile
// prints nothing and is Discarded. A card whose QR code is refused stops the
// print before anything is sent. Positions ignores the source.
PrintOutcome PrintCard(PrinterChoice& printers, UiServices& ui, const PrintStyle& style,
                       PrinterOffsets offsets, const CardSource& cards, const PrintOptions& options,
                       const SheetProgress& progress = {});

// Sets the printer's paper to the card's print style as printing does, so
// that the preview shows the sheet the printer would print. False after
// telling the user why not: no print style, or a printer error.
bool SetupPreviewPaper(PrinterChoice& printers, UiServices& ui, Card& card, double isfkX);
