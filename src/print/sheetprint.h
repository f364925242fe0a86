#pragma once

#include "editor/cardimage.h"

#include <QPointF>
#include <QSizeF>
#include <QTransform>
#include <QtGlobal>

#include <array>
#include <functional>
#include <vector>

class CardSource;
class PrinterChoice;
class QImage;
class UiServices;
struct Card;
struct PrintStyle;

// The most sheets one print may ask for.
constexpr int MaxSheets = 1000;

// How a print routine ended.
enum class PrintOutcome {
    Printed,   // the document was ended and sent
    Discarded, // the job was discarded (KillDoc) while the routine let events run
    Failed,    // a printer error; the partly sent job was discarded and the error shown
};

// Called after each sheet with the sheets done and the sheets asked for.
using SheetProgress = std::function<void(int done, int total)>;

// What a print puts on the sheet: the print dialog's print kinds in the
// order of its option buttons, and the position print.
enum class PrintKind {
    Standard = 0,   // the rendered card image
    Text = 1,       // the lines as printer text
    Background = 2, // the card's picture
    Positions = 3,  // one sheet of cut marks only
};

// How a job prints, besides its cards and its print style.
struct PrintOptions {
    PrintKind kind = PrintKind::Standard;
    // The cut marks ("切取り線"), and with them the ones below the last row
    // (setting "opt"/"KiritoriFlag" 1).
    bool cutMarks = false;
    bool bottomMarks = false;
    // The standard print's card image: render scale and screen metrics.
    CardImageOptions image;
};

// The printer's unprintable area at the top and at the left of the sheet, in
// millimetres: a printer draws the sheet's positions less it.
struct PrinterOffsets {
    double IsfkY = 0;
    double IsfkX = 0;
};

// The card position geometry of the sheet, in paper millimetres from its
// top-left corner: row r starts (MsY + Kktop) × r + Yhktop down, column c
// (MsX + KkLeft) × c + YhkLeft across. A printer draws them less its
// unprintable area (IsfkY, IsfkX).
double CardTop(const PrintStyle& s, int row);
double CardLeft(const PrintStyle& s, int column);

// The margins really left below the last row and right of the last column:
// the paper less the top (left) margin, the cards and the gaps between them.
double BottomMarginLeft(const PrintStyle& s);
double RightMarginLeft(const PrintStyle& s);

// The rows and columns that start on the paper: a count read from a card
// file may ask for thousands, which would only be drawn off the page.
int RowsOnPaper(const PrintStyle& s);
int ColumnsOnPaper(const PrintStyle& s);

// Cut marks ("切取り線"): lines on the extensions of the card edges, from
// 0.2 mm to 1.5 mm outside the card; dark blue (QBColor(1)) above and below
// the cards, dark green (QBColor(2)) beside them. RGB, red in the low byte.
constexpr double CutMarkStart = 0.2;
constexpr double CutMarkEnd = 1.5;
constexpr quint32 CutMarkBlue = 0x800000;
constexpr quint32 CutMarkGreen = 0x008000;

struct CutMarkSides {
    bool top = false, bottom = false, left = false, right = false;
};

// The sides of the card in row r, column c that get marks on a printed sheet
// (and in the preview): with cutMarks, above the first row, beside the first
// and the last column, and with bottomMarks below the last row, each only
// when that margin is more than 1.5 mm.
CutMarkSides SheetCutMarks(const PrintStyle& s, int row, int column, bool cutMarks,
                           bool bottomMarks);

// The mark lines of the card at (L, T) for these sides, in the order they are
// drawn (top, bottom, left, right), in sheet millimetres.
struct CutMarkLine {
    double x1, y1, x2, y2;
    quint32 color;
};
class CutMarkLines {
public:
    CutMarkLines(const PrintStyle& s, double T, double L, CutMarkSides sides);
    const CutMarkLine* begin() const { return m_lines.data(); }
    const CutMarkLine* end() const { return m_lines.data() + m_count; }

private:
    std::array<CutMarkLine, 8> m_lines{};
    int m_count = 0;
};

// One sheet as it is printed and previewed: every card that starts on the
// paper, row by row and each row left to right, with the sides that get cut
// marks, in paper millimetres. The print routines and the preview both draw
// this plan, so that the two cannot differ.
struct SheetPlace {
    int row = 0;
    int column = 0;
    double top = 0;
    double left = 0;
    CutMarkSides marks;
};
using SheetPlan = std::vector<SheetPlace>;

// How a card lies in its position on the sheet, in sheet millimetres. A
// landscape card fills the position as it is drawn. An upright card is
// turned a quarter to the left into the same landscape position: its top
// along the position's left edge, its right edge along the position's top,
// so that its vertical lines read left to right and the columns follow each
// other down the sheet as the lines of a landscape card do.
struct CardOnSheet {
    double top = 0; // the position's top-left corner
    double left = 0;
    double width = 0; // the position's size
    double height = 0;
    bool turned = false;

    // The card as it is drawn before it is placed: the position's size, or
    // the two swapped for a turned card.
    QSizeF cardSize() const { return turned ? QSizeF(height, width) : QSizeF(width, height); }

    // The transform from card millimetres to sheet millimetres.
    QTransform transform() const;
    // Where a point of the card lies on the sheet.
    QPointF map(QPointF onCard) const { return transform().map(onCard); }
    // The turn, in QPainter degrees: 0, or -90 for a turned card.
    double angle() const { return turned ? -90 : 0; }
};

// The card placed at the position whose top-left corner is (top, left).
CardOnSheet PlaceCardOnSheet(const PrintStyle& s, bool upright, double top, double left);

// The cards of a printed sheet, with the marks SheetCutMarks gives.
SheetPlan PlanSheet(const PrintStyle& s, bool cutMarks, bool bottomMarks);
// The marks of the position print: every outer side whose margin, less the
// printer's unprintable area (taken as wide at the bottom and right as at the
// top and left), is more than 1.5 mm.
SheetPlan PlanPositionSheet(const PrintStyle& s, double isfkY, double isfkX);

// The print routines. Each prints every card position of the print style,
// row by row and each row left to right, on the sheets of the card source
// with a NewPage between them, and ends the document with one EndDoc. Each
// position gets the card the source gives for it; a position it leaves
// empty gets nothing. Call them after PreparePrinter returned true, with
// the printer in use; the printer's unprintable area is taken off every
// position.
//
// With cutMarks, marks 1.3 mm long are drawn on the extensions of the card
// edges in the outer margins of the sheet: dark blue above the first row and
// below the last, dark green left of the first column and right of the last.
// A side gets marks when its margin is more than 1.5 mm; the bottom ones only
// when setting "opt"/"KiritoriFlag" is 1.
//
// A printer error discards the partly sent job, so that no half sheet comes
// out, and shows the error's description and number.

// The card image of card number index of the source: the standard print
// renders it (a null image stops the job as failed, the renderer having said
// why).
using CardImages = std::function<QImage(int index)>;

// The card image of each position stretched over the card.
PrintOutcome PrintCardImage(PrinterChoice& printers, UiServices& ui, const PrintStyle& style,
                            PrinterOffsets offsets, const CardSource& cards,
                            const CardImages& images, const PrintOptions& options,
                            const SheetProgress& progress = {});
// The twelve lines as printer text, each after its 3D copy, with the logo
// under or over them, then the QR code; lets events run after every line and
// stops when the job was discarded meanwhile.
PrintOutcome PrintCardText(PrinterChoice& printers, UiServices& ui, const PrintStyle& style,
                           PrinterOffsets offsets, const CardSource& cards,
                           const PrintOptions& options, const SheetProgress& progress = {});
// Each card's picture stretched over the card.
PrintOutcome PrintCardBackground(PrinterChoice& printers, UiServices& ui, const PrintStyle& style,
                                 PrinterOffsets offsets, const CardSource& cards,
                                 const PrintOptions& options, const SheetProgress& progress = {});
// One sheet of cut marks only, to check where the cards fall: every side
// whose margin, less the printer's unprintable area, is more than 1.5 mm.
// Lets events run after every card.
PrintOutcome PrintCardPositions(PrinterChoice& printers, UiServices& ui, const PrintStyle& style,
                                PrinterOffsets offsets);
