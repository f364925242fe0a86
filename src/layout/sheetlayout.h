#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <array>
#include <cstdint>

class PrinterChoice;
class Settings;
struct AppState;
struct Card;

// A paper the print style editor offers in its list: height × width, mm.
struct PaperEntry {
    QString name;
    double YsY;
    double YsX;
};
// "Ａ４", "Ｂ５", "ハガキ" in list order. The postcard is 147 mm long, not 148.
extern const std::array<PaperEntry, 3> PaperList;

// The values the print style editor lets the user type and step, in the order
// of its entry fields Text1(0), Text1(1) … Text6(1).
enum class SheetField {
    Yhktop,
    YhkLeft,
    Kktop,
    KkLeft,
    YsX,
    YsY,
    MsY,
    MsX,
    MaisuY,
    MaisuX,
    IsfkY,
    IsfkX
};
constexpr int SheetFieldCount = 12;

// What became of a typed value.
enum class EntryResult {
    Stored,
    Refused,        // out of range: the old value stays and the user hears a beep
    RefusedQuietly, // a count whose sheet would hold more cards than the diagram
};

// The print style editor's working copy of the sheet layout: the card's
// PrintStyle with the limits derived from it, the unprintable area and the
// printer geometry. All lengths are millimetres from the paper's top-left
// corner; counts are 16-bit.
//
// Only the top and left margins define the layout. Every calculation routine
// starts by setting Yhkbtm and YhkRgt to 0; only KsnYhk gives them another
// value, which lasts until the next routine runs.
//
// No routine reports an error: a statement that would divide by zero or
// overflow a 16-bit count is skipped, its target keeps its value, and the
// routine goes on with the next statement.
struct SheetLayout {
    double YsY = 0;      // paper height
    double YsX = 0;      // paper width
    double YsYMax = 297; // largest paper height accepted
    double YsXMax = 210; // largest paper width accepted
    double KYsY = 0;     // page height FitPrinterPaper set on the printer
    double MsY = 0;      // card height
    double MsX = 0;      // card width
    double MsYMax = 0;   // largest card height that fits, whole mm, at most 60
    double MsXMax = 0;   // largest card width that fits, whole mm, at most 96
    double MsYMin = 50;
    double MsXMin = 86;
    double Yhktop = 0;  // top margin
    double YhkLeft = 0; // left margin
    double YhkYMax = 0; // room for top plus bottom margin (may be negative)
    double YhkXMax = 0; // room for left plus right margin (may be negative)
    double Yhkbtm = 0;  // bottom margin, see above
    double YhkRgt = 0;  // right margin, see above
    double Kktop = 0;   // gap between rows
    double KkLeft = 0;  // gap between columns
    double KkYMax = 0;  // largest row gap, a multiple of 0.5
    double KkXMax = 0;  // largest column gap, a multiple of 0.5
    std::int16_t MaisuY = 0;
    std::int16_t MaisuX = 0;
    std::int16_t MaisuYMax = 0;
    std::int16_t MaisuXMax = 0;
    double IsfkY = 0;            // unprintable area at the top
    double IsfkX = 0;            // unprintable area at the left
    double Iky = 0;              // printable height the printer granted
    double Ikx = 0;              // printable width the printer granted
    std::int16_t IMGIdxMax = 14; // card pictures in the diagram; most cards on a sheet
    // The "自動" check box: the unprintable area is the printer's.
    bool IsfkAuto = false;

    // The shared formulas.
    void F1(); // MaisuYMax, MaisuXMax
    void F2(); // MsYMax, MsXMax, with their caps
    void F3(); // YhkYMax, YhkXMax
    void F4(); // KkYMax, KkXMax

    void KsnKk();  // largest gaps; gaps clamped to them
    void KsnMs();  // largest counts
    void KsnSz();  // largest card size
    void KsnYhk(); // room for margins; margins that no longer fit are centred
    void KsnYsS(); // after a change of paper, before KsnYs: margins repaired, gaps reset
    void KsnYs();  // every derived value after a change of paper

    // The printer's page fitted to the paper (FitPrinterPaper with this copy's
    // Yhktop and IsfkY): Iky, Ikx and KYsY. A printer that fails leaves them
    // and the card's printer geometry as they were.
    void FitPaper(PrinterChoice& printers, Card& card);

    // The recalculations after an edit of the editor, in their order.
    void AfterMarginEdit();                                   // KsnKk, KsnSz, KsnMs
    void AfterGapEntry();                                     // F3, KsnSz, KsnMs
    void AfterGapStep(bool decreased);                        // (F3), KsnSz, KsnMs, KsnKk
    void AfterPaperEdit(PrinterChoice& printers, Card& card); // FitPaper, KsnYsS, KsnYs
    void AfterCardSizeEdit();                                 // KsnMs, KsnKk, KsnYhk
    void AfterCountEdit();                                    // KsnYhk, KsnKk, KsnSz

    // Opening the editor: the card's PrintStyle, the unprintable area and the
    // printable area into this copy, the printer fitted, every limit derived.
    // The stored bottom and right margins are not loaded.
    void Load(PrinterChoice& printers, Card& card, const AppState& app);
    // The "自動" check box as the editor opens it: from setting "ifkc"
    // (default 1), performing the ticked steps when it is 1.
    void LoadIsfkAuto(Settings& settings, PrinterChoice& printers, AppState& app);
    // Chk_Isfk_Click. Ticked: the printer's offsets are read into the
    // application values at once (they stay even if the editor is then
    // cancelled) and copied into this copy. Cleared: the values stay.
    void setIsfkAuto(PrinterChoice& printers, AppState& app, bool ticked);
    // Whether the unprintable area can be typed or stepped.
    bool isfkEditable() const { return !IsfkAuto; }
    // "更新": this copy into the card's PrintStyle, the unprintable area and
    // the printable area into the values kept beside the card, and the check
    // box into setting "ifkc". The limits are not stored.
    void Commit(Card& card, AppState& app, Settings& settings) const;

    double value(SheetField f) const;
    static bool isCount(SheetField f) { return f == SheetField::MaisuY || f == SheetField::MaisuX; }

    // A number typed in an entry field: brought to the field's grid (lengths
    // to the nearest 0.5 mm, halves up; counts to whole cards, halves to even;
    // the unprintable area down to 0.1 mm), stored when it lies in the
    // field's range, then the recalculations of that edit, which run even for
    // a refused value.
    EntryResult TypeValue(PrinterChoice& printers, Card& card, SheetField f, double typed);
    // One spin step up or down (0.5 mm, one card or 0.1 mm) and the
    // recalculations of the edit. True when the step stopped at a limit.
    bool StepValue(PrinterChoice& printers, Card& card, SheetField f, bool up);

    // The cards of the diagram, row by row, in millimetres from the corner of
    // the printable area (the sheet position less the unprintable area); at
    // most IMGIdxMax + 1 of them.
    QList<QRectF> CardRects() const;
};
