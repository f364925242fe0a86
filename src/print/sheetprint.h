#pragma once

#include <functional>

class QImage;
class TavorMain;

// How a print routine ended.
enum class PrintOutcome {
    Printed,   // the document was ended and sent
    Discarded, // the job was discarded (KillDoc) while the routine let events run
    Failed,    // a printer error; the partly sent job was discarded and the error shown
};

// Called after each sheet with the sheets done and the sheets asked for.
using SheetProgress = std::function<void(int done, int total)>;

// The card position geometry of the sheet, in printer millimetres (origin at
// the printable corner): row r starts (MsY + Kktop) × r + Yhktop − IsfkY
// down, column c (MsX + KkLeft) × c + YhkLeft − IsfkX across.
double CardTop(const TavorMain& m, int row);
double CardLeft(const TavorMain& m, int column);

// The margins really left below the last row and right of the last column:
// the paper less the top (left) margin, the cards and the gaps between them.
double BottomMarginLeft(const TavorMain& m);
double RightMarginLeft(const TavorMain& m);

// The print routines. Each prints every card position of the card's print
// style, row by row and each row left to right, on `sheets` sheets with a
// NewPage between them, and ends the document with one EndDoc. Call them
// after PreparePrinter returned true.
//
// With cutMarks, marks 1.3 mm long are drawn on the extensions of the card
// edges in the outer margins of the sheet: dark blue above the first row and
// below the last, dark green left of the first column and right of the last.
// A side gets marks when its margin is more than 1.5 mm; the bottom ones only
// when setting "opt"/"KiritoriFlag" is 1.
//
// A printer error discards the partly sent job, so that no half sheet comes
// out, and shows the error's description and number.

// The rendered card image (RenderCardImage) stretched over every card.
PrintOutcome PrintCardImage(TavorMain& m, const QImage& cardImage, int sheets, bool cutMarks,
                            const SheetProgress& progress = {});
// The twelve lines as printer text, each after its 3D copy; lets events run
// after every line and stops when the job was discarded meanwhile.
PrintOutcome PrintCardText(TavorMain& m, int sheets, bool cutMarks,
                           const SheetProgress& progress = {});
// The card's picture (Image1) stretched over every card.
PrintOutcome PrintCardBackground(TavorMain& m, int sheets, bool cutMarks,
                                 const SheetProgress& progress = {});
// One sheet of cut marks only, to check where the cards fall: every side
// whose margin, less the printer's unprintable area, is more than 1.5 mm.
// Lets events run after every card.
PrintOutcome PrintCardPositions(TavorMain& m);
