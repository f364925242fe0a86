#pragma once

#include "sheetprint.h"

class TavorMain;

// What a print puts on the sheet: the print dialog's print kinds in the
// order of its option buttons, and the position print.
enum class PrintKind {
    Standard = 0,   // the rendered card image
    Text = 1,       // the lines as printer text
    Background = 2, // the card's picture
    Positions = 3,  // one sheet of cut marks only
};

// Whether the kind puts the card's picture on paper: only these need it
// decoded and recoloured.
constexpr bool KindPrintsPicture(PrintKind kind) {
    return kind == PrintKind::Standard || kind == PrintKind::Background;
}

// Runs the print routine of the kind; call it after PreparePrinter returned
// true. The standard print renders the card once, at the render scale
// ImgScale, and paints that image at every position. Rendering lets events
// run: a job discarded (KillDoc) meanwhile prints nothing and is Discarded.
// Positions ignores sheets and cutMarks.
PrintOutcome PrintCard(TavorMain& m, PrintKind kind, int sheets, bool cutMarks,
                       const SheetProgress& progress = {});

// Sets the printer's paper to the print style's as printing does, so that
// the preview shows the sheet the printer would print. False after telling
// the user why not: no print style, or a printer error.
bool SetupPreviewPaper(TavorMain& m);
