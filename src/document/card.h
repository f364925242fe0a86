#pragma once

#include <QColor>
#include <QSizeF>
#include <QString>
#include <array>
#include <cstdint>

// How the half-width digits of a vertical line stand (縦書きの数字). A
// number is digits joined by - / . , : (03-1234-5678, 2024/12/08, 9:30).
enum class VerticalDigits : std::int16_t {
    // 横倒し: a number lies turned as one unit; one or two digits alone
    // stand upright side by side.
    TurnedUnits = 0,
    // 縦中横: every run of up to three digits stands upright side by side.
    SideBySide = 1,
    // 全角で立てる: each digit upright in a cell of its own, full-width.
    FullWidth = 2,
};

// One text line of the card. Lengths are millimetres from the card's top-left
// corner, sizes points, colours RGB with red in the low byte.
struct TextItem {
    QString Text;
    double Left = 0;
    double Top = 0;
    QString FontName;
    float FontSize = 0;
    std::int32_t ForeColor = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
    double Height = 0; // measured when drawn
    double Width = 0;  // measured when drawn
    bool KageOn = false;
    double KageTakasa = 0.5;
    std::int32_t KageColor = 0;
    std::int16_t KageHoukou = 3;
    bool Tategaki = false; // written top to bottom (縦書き)
    // The width scale (長体) along the line's direction: 0 or 100 normal,
    // 50–99 condensed to that percent, FitToCard condensed as far as the
    // line needs to end 2 mm before the card's edge, down to 50 %.
    std::int16_t WidthScale = 0;
    // The scale the line was last drawn with (measured when drawn, like
    // Height and Width).
    float Condense = 1;
    VerticalDigits Digits = VerticalDigits::TurnedUnits;

    bool operator==(const TextItem&) const = default;
};

// Sheet layout of the card, millimetres except the two counts.
struct PrintStyle {
    double MsY = 55;
    double MsX = 91;
    double YsY = 297;
    double YsX = 210;
    double Yhktop = 11;
    double Yhkbtm = 11;
    double YhkLeft = 14;
    double YhkRgt = 14;
    double Kktop = 0;
    double KkLeft = 0;
    std::int16_t MaisuY = 5;
    std::int16_t MaisuX = 2;

    bool operator==(const PrintStyle&) const = default;
};

constexpr int LineCount = 12;

// The QR code on the card: where it stands, how large it is (its side
// includes the white quiet zone around the modules), what it holds and how
// it is drawn. A card without one has every field 0.
struct QrCode {
    bool On = false;
    std::int16_t Content = 0; // QrContent: 0 a vCard of the card, 1 one line's text
    std::int16_t Line = 0;    // the line whose text it holds (0..11)
    double Left = 0;          // mm, top-left corner of the quiet zone
    double Top = 0;           // mm
    double Side = 0;          // mm
    std::int16_t Level = 0;   // error correction: 0 L, 1 M, 2 Q, 3 H
    std::int32_t Color = 0;   // dark colour, RGB with red in the low byte
    std::int16_t Lines = 0;   // the lines a vCard takes: bit k for line k, 0 all of them

    bool operator==(const QrCode&) const = default;
};

// Where the logo lies against the lines.
enum class LogoLayer : std::int16_t {
    UnderLines = 0,
    OverLines = 1,
};

// The company's logo: a picture file (PNG, JPEG, BMP or SVG) drawn at its
// place on the card, as wide as Width and as high as the picture's shape
// makes it, under the lines or over them. A card without one has every field
// empty or 0; a logo switched off keeps its file and place.
struct CardLogo {
    bool On = false;
    QString Path;
    double Left = 0;  // mm, its top-left corner
    double Top = 0;   // mm
    double Width = 0; // mm
    LogoLayer Layer = LogoLayer::UnderLines;

    bool operator==(const CardLogo&) const = default;
};

// A mask of the lines a vCard takes as stored: bits of lines that do not
// exist are dropped, and all twelve is 0, as a card that never chose writes.
constexpr std::int16_t QrLineMask(int mask) {
    mask &= (1 << LineCount) - 1;
    return std::int16_t(mask == (1 << LineCount) - 1 ? 0 : mask);
}

// The card document: twelve lines (index 12 exists and is never stored),
// the background picture with its colour settings, the print style, the
// printer geometry measured for it, the QR code and the logo.
struct Card {
    std::array<TextItem, LineCount + 1> TextItems{};
    QString PicPath;
    std::int32_t PicColorMode = 0;
    std::array<std::int32_t, 3> PicTint{0, 0, 0};
    struct PrintStyle PrintStyle;
    double PrnScaleH = 0;
    double PrnScaleW = 0;
    double PrnPaperH = 0;
    double PrnPaperW = 0;
    QrCode Qr;
    CardLogo Logo;
    // The staff list merged into the lines for printing, with its options
    // (MergeSettings); empty when the card has none.
    QString Merge;
    // An upright card (縦型名刺): drawn MsY wide and MsX high, and turned a
    // quarter into the print style's positions on the sheet, which stay as
    // they are.
    bool Upright = false;

    bool operator==(const Card&) const = default;
};

// The card as it is drawn and its lines are kept on it, millimetres: the
// print style's MsX × MsY, the two swapped for an upright card.
QSizeF CardSize(const Card& card);

// Turns the card upright or back. The lines, the QR code and the logo keep
// their place in proportion to the card's sides (to 0.1 mm), so that a
// layout made for one shape starts out spread over the other as it was;
// drawing then keeps each on the card.
void TurnCard(Card& card, bool upright);

// The fixed role of each line: its tab caption and new-card geometry.
struct LineRole {
    const char16_t* caption;
    double left;
    double top;
    float fontSize;
};
extern const std::array<LineRole, LineCount> LineRoles;

QString TabCaption(int line);

// A card colour (RGB with red in the low byte) as a QColor, and back.
QColor ColorFromRgb(quint32 rgb);
quint32 RgbFromColor(const QColor& color);

// The eight directions of the raised "3D" copy; entry 8 is empty.
extern const std::array<QString, 9> HoukouName;
extern const std::array<int, 9> KageDX;
extern const std::array<int, 9> KageDY;
// The entry of the direction tables for a stored 3D direction: 0–8 as they
// are, any other value the empty entry 8 (no displacement).
constexpr int KageIndex(int houkou) {
    return houkou >= 0 && houkou <= 8 ? houkou : 8;
}

// The direction of a new line's 3D copy, and the one a line is drawn with
// when its direction is outside 0..7 (which only a card file can hold).
constexpr std::int16_t DefaultKageHoukou = 3;
int KageDirection(const TextItem& line);

// The width scales a line may have: normal, condensed to a percent in
// MinWidthScale..99, or fitted to the card.
constexpr std::int16_t FitToCard = 1;
constexpr std::int16_t MinWidthScale = 50;
constexpr bool IsCondensedScale(int scale) {
    return scale >= MinWidthScale && scale < 100;
}

// The scale a line is drawn with along its direction: its percent when it
// is condensed, the scale it was last fitted to the card with when it is
// fitted, 1 otherwise.
double DrawnScale(const TextItem& line);

// Colour mode 0, the picture's own colours: what a card's colour mode is read
// as when the picture settings offer no such mode (4, or one out of range).
bool IsPictureColorMode(std::int32_t mode);

// A line's colour, style flags and 3D settings as a new card has them:
// black, no flags, written left to right, 3D off at 0.5 mm to the lower right.
void ResetLineStyle(TextItem& line);

// The twelve lines of a new card: default positions and sizes, empty texts,
// the given font, black, no style flags, 3D off at 0.5 mm to the lower right.
void ResetLines(Card& card, const QString& fontName);
