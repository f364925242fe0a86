#include "sheetlayout.h"

#include "base/appstate.h"
#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/settings.h"
#include "document/card.h"
#include "printergeometry.h"

#include <cmath>
#include <limits>
#include <optional>

const std::array<PaperEntry, 3> PaperList{{
    {QStringLiteral("Ａ４"), 297, 210},
    {QStringLiteral("Ｂ５"), 257, 182},
    {QStringLiteral("ハガキ"), 147, 100},
}};

namespace {

// Every statement below computes into an optional: nothing means the
// statement failed (a division by zero, a value beyond its type) and its
// target keeps the value it had.
using Value = std::optional<double>;

// round(v): to the nearest whole number, halves to the even neighbour, as a
// 32-bit whole number.
std::optional<std::int64_t> roundWhole(double v) {
    if (!std::isfinite(v))
        return std::nullopt;
    const double r = std::nearbyint(v); // default rounding mode: halves to even
    if (r < std::numeric_limits<std::int32_t>::min() ||
        r > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return std::int64_t(r);
}

// a div b: the integer quotient, truncated toward zero.
std::optional<std::int64_t> wholeDiv(std::optional<std::int64_t> a, std::optional<std::int64_t> b) {
    if (!a || !b || *b == 0)
        return std::nullopt;
    return *a / *b;
}

// A count minus one, which overflows for the smallest 16-bit count.
std::optional<int> countLessOne(std::int16_t n) {
    if (n == std::numeric_limits<std::int16_t>::min())
        return std::nullopt;
    return n - 1;
}

void assign(double& target, Value v) {
    if (v && std::isfinite(*v))
        target = *v;
}

void assignCount(std::int16_t& target, std::optional<std::int64_t> v) {
    if (v && *v >= std::numeric_limits<std::int16_t>::min() &&
        *v <= std::numeric_limits<std::int16_t>::max())
        target = std::int16_t(*v);
}

void assignDiv(double& target, std::optional<std::int64_t> v) {
    if (v)
        target = double(*v);
}

// F1 for one direction: round(paper − margins) div round(card + gap).
std::optional<std::int64_t> countMax(double paper, double margin, double remainder, double card,
                                     double gap, std::int16_t count) {
    const double g = count > 1 ? gap : 0;
    return wholeDiv(roundWhole(paper - margin - remainder), roundWhole(card + g));
}

// F2 for one direction.
std::optional<std::int64_t> cardMax(double paper, double margin, double remainder, double gap,
                                    std::int16_t count) {
    const auto less = countLessOne(count);
    if (!less)
        return std::nullopt;
    return wholeDiv(roundWhole(paper - margin - remainder - *less * gap), count);
}

// F3 for one direction.
Value marginRoom(double paper, double card, double gap, std::int16_t count) {
    const auto less = countLessOne(count);
    if (!less)
        return std::nullopt;
    return paper - count * card - *less * gap;
}

// F4 for one direction, before its rounding.
Value gapMax(double paper, double margin, double remainder, double card, std::int16_t count) {
    const double free = paper - margin - remainder - count * card;
    if (count > 1)
        return free / (count - 1);
    return free;
}

// floor(v × 2) / 2: down to a multiple of 0.5.
Value downToHalf(double v) {
    return std::floor(v * 2) / 2;
}

// round(v) div 2, the centring of KsnYsS.
Value halfWhole(double v) {
    const auto r = roundWhole(v);
    if (!r)
        return std::nullopt;
    return double(*r / 2);
}

} // namespace

void SheetLayout::F1() {
    assignCount(MaisuYMax, countMax(YsY, Yhktop, Yhkbtm, MsY, Kktop, MaisuY));
    assignCount(MaisuXMax, countMax(YsX, YhkLeft, YhkRgt, MsX, KkLeft, MaisuX));
}

void SheetLayout::F2() {
    assignDiv(MsYMax, cardMax(YsY, Yhktop, Yhkbtm, Kktop, MaisuY));
    assignDiv(MsXMax, cardMax(YsX, YhkLeft, YhkRgt, KkLeft, MaisuX));
    if (MsYMax > 60)
        MsYMax = 60;
    if (MsXMax > 96)
        MsXMax = 96;
}

void SheetLayout::F3() {
    assign(YhkYMax, marginRoom(YsY, MsY, Kktop, MaisuY));
    assign(YhkXMax, marginRoom(YsX, MsX, KkLeft, MaisuX));
}

void SheetLayout::F4() {
    assign(KkYMax, gapMax(YsY, Yhktop, Yhkbtm, MsY, MaisuY));
    assign(KkXMax, gapMax(YsX, YhkLeft, YhkRgt, MsX, MaisuX));
    assign(KkYMax, downToHalf(KkYMax));
    assign(KkXMax, downToHalf(KkXMax));
}

void SheetLayout::KsnKk() {
    Yhkbtm = 0;
    YhkRgt = 0;
    F4();
    if (Kktop > KkYMax)
        Kktop = KkYMax;
    if (KkLeft > KkXMax)
        KkLeft = KkXMax;
}

void SheetLayout::KsnMs() {
    Yhkbtm = 0;
    YhkRgt = 0;
    F1();
}

void SheetLayout::KsnSz() {
    Yhkbtm = 0;
    YhkRgt = 0;
    F2();
}

void SheetLayout::KsnYhk() {
    Yhkbtm = 0;
    YhkRgt = 0;
    F3();
    // Margins that no longer fit centre the cards; with a fractional room the
    // top (left) margin takes the smaller share.
    if (Yhktop + Yhkbtm > YhkYMax) {
        Yhktop = std::floor(YhkYMax) / 2;
        Yhkbtm = YhkYMax - Yhktop;
    }
    if (YhkLeft + YhkRgt > YhkXMax) {
        YhkLeft = std::floor(YhkXMax) / 2;
        YhkRgt = YhkXMax - YhkLeft;
    }
    // Cards taller (wider) than the paper: no gap, no margin.
    if (Yhktop < 0) {
        Kktop = 0;
        KsnKk();
        Yhktop = 0;
        Yhkbtm = 0;
        F3();
    }
    if (YhkLeft < 0) {
        KkLeft = 0;
        KsnKk();
        YhkLeft = 0;
        YhkRgt = 0;
        F3();
    }
}

void SheetLayout::KsnYsS() {
    Yhkbtm = 0;
    YhkRgt = 0;
    // YhkYMax and YhkXMax are still the previous paper's room here.
    if (Yhktop > YhkYMax)
        assign(Yhktop, halfWhole(YsY - MaisuY * MsY));
    if (YhkLeft > YhkXMax)
        assign(YhkLeft, halfWhole(YsX - MaisuX * MsX));
    Kktop = 0;
    KkLeft = 0;
}

void SheetLayout::KsnYs() {
    Yhkbtm = 0;
    YhkRgt = 0;
    F1();
    F2();
    F3();
    F4();
}

void SheetLayout::FitPaper(PrinterChoice& printers, Card& card) {
    PaperFit fit;
    fit.Yhktop = Yhktop;
    fit.IsfkY = IsfkY;
    try {
        FitPrinterPaper(printers.printer(), card, YsY, YsX, fit);
    } catch (const RuntimeError&) {
        return; // no usable printer: the editor goes on with the old values
    }
    Iky = fit.Iky;
    Ikx = fit.Ikx;
    KYsY = fit.KYsY;
}

void SheetLayout::AfterMarginEdit() {
    KsnKk();
    KsnSz();
    KsnMs();
}

void SheetLayout::AfterGapEntry() {
    F3();
    KsnSz();
    KsnMs();
}

void SheetLayout::AfterGapStep(bool decreased) {
    // A step up leaves the room for margins as it was.
    if (decreased)
        F3();
    KsnSz();
    KsnMs();
    KsnKk();
}

void SheetLayout::AfterPaperEdit(PrinterChoice& printers, Card& card) {
    FitPaper(printers, card);
    KsnYsS();
    KsnYs();
}

void SheetLayout::AfterCardSizeEdit() {
    KsnMs();
    KsnKk();
    KsnYhk();
}

void SheetLayout::AfterCountEdit() {
    // The largest counts are not recomputed: their gap term depends on
    // whether the count exceeds 1.
    KsnYhk();
    KsnKk();
    KsnSz();
}

void SheetLayout::Load(PrinterChoice& printers, Card& card, const AppState& app) {
    const PrintStyle& s = card.PrintStyle;
    YsY = s.YsY;
    YsX = s.YsX;
    MsY = s.MsY;
    MsX = s.MsX;
    Yhktop = s.Yhktop;
    YhkLeft = s.YhkLeft;
    Kktop = s.Kktop;
    KkLeft = s.KkLeft;
    MaisuY = s.MaisuY;
    MaisuX = s.MaisuX;
    IsfkY = app.IsfkY;
    IsfkX = app.IsfkX;
    Iky = card.PrnScaleH;
    Ikx = card.PrnScaleW;
    Yhkbtm = 0;
    YhkRgt = 0;

    FitPaper(printers, card);

    MsYMin = 50;
    MsXMin = 86;
    YsYMax = 297;
    YsXMax = 210;

    F1();
    F2();
    F3();
    F4();

    Yhkbtm = 0;
    YhkRgt = 0;
}

void SheetLayout::LoadIsfkAuto(Settings& settings, PrinterChoice& printers, AppState& app) {
    double stored = 1;
    try {
        stored = settings.number(QStringLiteral("sti"), QStringLiteral("ifkc"), 1);
    } catch (const RuntimeError&) {
        // Not a number: the check box keeps its state, as the editor skips
        // a failing statement.
        return;
    }
    setIsfkAuto(printers, app, std::nearbyint(stored) == 1);
}

void SheetLayout::setIsfkAuto(PrinterChoice& printers, AppState& app, bool ticked) {
    IsfkAuto = ticked;
    if (!ticked)
        return;
    try {
        const PrinterOffsets offsets = ReadPrinterOffsets(printers.printer());
        app.IsfkY = offsets.IsfkY;
        app.IsfkX = offsets.IsfkX;
    } catch (const RuntimeError&) {
        // No usable printer: the unprintable area stays as it was.
    }
    IsfkY = app.IsfkY;
    IsfkX = app.IsfkX;
}

void SheetLayout::Commit(Card& card, AppState& app, Settings& settings) const {
    PrintStyle& s = card.PrintStyle;
    s.YsY = YsY;
    s.YsX = YsX;
    s.MsY = MsY;
    s.MsX = MsX;
    s.Yhktop = Yhktop;
    s.Yhkbtm = Yhkbtm;
    s.YhkLeft = YhkLeft;
    s.YhkRgt = YhkRgt;
    s.Kktop = Kktop;
    s.KkLeft = KkLeft;
    s.MaisuY = MaisuY;
    s.MaisuX = MaisuX;
    app.IsfkY = IsfkY;
    app.IsfkX = IsfkX;
    card.PrnScaleH = Iky;
    card.PrnScaleW = Ikx;
    settings.setText(QStringLiteral("sti"), QStringLiteral("ifkc"),
                     IsfkAuto ? QStringLiteral("1") : QStringLiteral("0"));
}

double SheetLayout::value(SheetField f) const {
    switch (f) {
    case SheetField::Yhktop:
        return Yhktop;
    case SheetField::YhkLeft:
        return YhkLeft;
    case SheetField::Kktop:
        return Kktop;
    case SheetField::KkLeft:
        return KkLeft;
    case SheetField::YsX:
        return YsX;
    case SheetField::YsY:
        return YsY;
    case SheetField::MsY:
        return MsY;
    case SheetField::MsX:
        return MsX;
    case SheetField::MaisuY:
        return MaisuY;
    case SheetField::MaisuX:
        return MaisuX;
    case SheetField::IsfkY:
        return IsfkY;
    case SheetField::IsfkX:
        return IsfkX;
    }
    return 0;
}

namespace {

// The length a paper needs for its cards in one direction.
double paperNeeded(std::int16_t count, double card, double gap) {
    return count * card + (count - 1) * gap;
}

bool inRange(double v, double low, double high) {
    return v >= low && v <= high;
}

} // namespace

EntryResult SheetLayout::TypeValue(PrinterChoice& printers, Card& card, SheetField f,
                                   double typed) {
    // Lengths go to the nearest half millimetre, halves up.
    const double half = std::floor(2 * typed + 0.5) / 2;
    bool stored = false;
    switch (f) {
    case SheetField::Yhktop:
    case SheetField::YhkLeft: {
        Yhkbtm = 0;
        YhkRgt = 0;
        const bool top = f == SheetField::Yhktop;
        if (inRange(half, 0, top ? YhkYMax - Yhkbtm : YhkXMax - YhkRgt)) {
            (top ? Yhktop : YhkLeft) = half;
            stored = true;
        }
        AfterMarginEdit();
        break;
    }
    case SheetField::Kktop:
    case SheetField::KkLeft: {
        const bool top = f == SheetField::Kktop;
        if (inRange(half, 0, top ? KkYMax : KkXMax)) {
            (top ? Kktop : KkLeft) = half;
            stored = true;
        }
        AfterGapEntry();
        break;
    }
    case SheetField::YsX:
    case SheetField::YsY: {
        const bool across = f == SheetField::YsX;
        const double needed =
            across ? paperNeeded(MaisuX, MsX, KkLeft) : paperNeeded(MaisuY, MsY, Kktop);
        if (inRange(half, needed, across ? YsXMax : YsYMax)) {
            (across ? YsX : YsY) = half;
            stored = true;
        }
        AfterPaperEdit(printers, card);
        break;
    }
    case SheetField::MsY:
    case SheetField::MsX: {
        const bool down = f == SheetField::MsY;
        if (down ? inRange(half, MsYMin, MsYMax) : inRange(half, MsXMin, MsXMax)) {
            (down ? MsY : MsX) = half;
            stored = true;
        }
        AfterCardSizeEdit();
        break;
    }
    case SheetField::MaisuY:
    case SheetField::MaisuX: {
        const bool rows = f == SheetField::MaisuY;
        const double n = std::nearbyint(typed); // halves to even
        const std::int16_t max = rows ? MaisuYMax : MaisuXMax;
        const std::int16_t other = rows ? MaisuX : MaisuY;
        EntryResult result = EntryResult::Refused;
        if (inRange(n, 1, max)) {
            // A sheet with more cards than the diagram has pictures is
            // refused without a beep.
            if (n * other > IMGIdxMax) {
                result = EntryResult::RefusedQuietly;
            } else {
                (rows ? MaisuY : MaisuX) = std::int16_t(n);
                result = EntryResult::Stored;
            }
        }
        AfterCountEdit();
        return result;
    }
    case SheetField::IsfkY:
    case SheetField::IsfkX: {
        // Down to a tenth; the small allowance keeps 4.3 from becoming 4.2
        // through its binary form.
        const double tenth = std::floor(10 * typed + 1e-9) / 10;
        const bool top = f == SheetField::IsfkY;
        if (inRange(tenth, 0, top ? YsY : YsX)) {
            (top ? IsfkY : IsfkX) = tenth;
            stored = true;
        }
        break;
    }
    }
    return stored ? EntryResult::Stored : EntryResult::Refused;
}

namespace {

// A step applied first, then held to its limits; true when it had to be.
bool stepWithin(double& v, double step, bool up, double low, double high) {
    v += up ? step : -step;
    if (up && v > high) {
        v = high;
        return true;
    }
    if (!up && v < low) {
        v = low;
        return true;
    }
    return false;
}

} // namespace

bool SheetLayout::StepValue(PrinterChoice& printers, Card& card, SheetField f, bool up) {
    bool limited = false;
    switch (f) {
    case SheetField::Yhktop:
    case SheetField::YhkLeft: {
        Yhkbtm = 0;
        YhkRgt = 0;
        const bool top = f == SheetField::Yhktop;
        limited = stepWithin(top ? Yhktop : YhkLeft, 0.5, up, 0,
                             top ? YhkYMax - Yhkbtm : YhkXMax - YhkRgt);
        AfterMarginEdit();
        break;
    }
    case SheetField::Kktop:
        limited = stepWithin(Kktop, 0.5, up, 0, KkYMax);
        AfterGapStep(!up);
        break;
    case SheetField::KkLeft:
        limited = stepWithin(KkLeft, 0.5, up, 0, KkXMax);
        AfterGapStep(!up);
        break;
    case SheetField::YsX:
        limited = stepWithin(YsX, 0.5, up, paperNeeded(MaisuX, MsX, KkLeft), YsXMax);
        AfterPaperEdit(printers, card);
        break;
    case SheetField::YsY:
        limited = stepWithin(YsY, 0.5, up, paperNeeded(MaisuY, MsY, Kktop), YsYMax);
        AfterPaperEdit(printers, card);
        break;
    case SheetField::MsY:
        limited = stepWithin(MsY, 0.5, up, MsYMin, MsYMax);
        AfterCardSizeEdit();
        break;
    case SheetField::MsX:
        limited = stepWithin(MsX, 0.5, up, MsXMin, MsXMax);
        AfterCardSizeEdit();
        break;
    case SheetField::MaisuY:
    case SheetField::MaisuX: {
        const bool rows = f == SheetField::MaisuY;
        std::int16_t& count = rows ? MaisuY : MaisuX;
        const std::int16_t other = rows ? MaisuX : MaisuY;
        const std::int16_t max = rows ? MaisuYMax : MaisuXMax;
        // A step past the 16-bit range of a count (read from a card file)
        // is skipped; the limits below then bring the count back.
        const int stepped = count + (up ? 1 : -1);
        if (up) {
            if (stepped * other > IMGIdxMax) {
                limited = true; // one more row (column) would not fit the diagram
            } else {
                if (stepped <= std::numeric_limits<std::int16_t>::max())
                    count = std::int16_t(stepped);
                if (count > max) {
                    count = max;
                    limited = true;
                }
            }
        } else {
            if (stepped >= std::numeric_limits<std::int16_t>::min())
                count = std::int16_t(stepped);
            if (count < 1) {
                count = 1;
                limited = true;
            }
        }
        AfterCountEdit();
        break;
    }
    case SheetField::IsfkY:
        limited = stepWithin(IsfkY, 0.1, up, 0, YsY);
        break;
    case SheetField::IsfkX:
        limited = stepWithin(IsfkX, 0.1, up, 0, YsX);
        break;
    }
    return limited;
}

QList<QRectF> SheetLayout::CardRects() const {
    QList<QRectF> cards;
    for (int r = 0; r < MaisuY; ++r) {
        for (int c = 0; c < MaisuX; ++c) {
            if (cards.size() > IMGIdxMax)
                return cards;
            cards.append(QRectF((MsX + KkLeft) * c + YhkLeft - IsfkX,
                                (MsY + Kktop) * r + Yhktop - IsfkY, MsX, MsY));
        }
    }
    return cards;
}
