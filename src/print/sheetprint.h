#pragma once

#include <QtGlobal>

#include <array>
#include <functional>
#include <vector>

class QImage;
class TavorMain;
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

// Whether the bottom marks are wanted: setting "opt"/"KiritoriFlag" is 1.
bool BottomMarksWanted(const TavorMain& m);

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

// The cards of a printed sheet, with the marks SheetCutMarks gives.
SheetPlan PlanSheet(const PrintStyle& s, bool cutMarks, bool bottomMarks);
// The marks of the position print: every outer side whose margin, less the
// printer's unprintable area (taken as wide at the bottom and right as at the
// top and left), is more than 1.5 mm.
SheetPlan PlanPositionSheet(const PrintStyle& s, double isfkY, double isfkX);

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
