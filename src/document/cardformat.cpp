#include "cardformat.h"

#include "fields.h"

#include <algorithm>
#include <array>
#include <cmath>

CardFormat CardFormatOf(const QString& path) {
    const QString ending = path.right(3).toLower();
    if (ending == u"qcd")
        return CardFormat::V22;
    if (ending == u"qmd")
        return CardFormat::V20;
    if (ending == u"qms")
        return CardFormat::V11;
    if (ending == u"bmp")
        return CardFormat::ImageBmp;
    if (ending == u"jpg")
        return CardFormat::ImageJpg;
    if (ending == u"png")
        return CardFormat::ImagePng;
    return CardFormat::Unknown;
}

static void readPrintStyle(FieldReader& in, PrintStyle& s) {
    s.MsY = in.readDouble();
    s.MsX = in.readDouble();
    s.YsY = in.readDouble();
    s.YsX = in.readDouble();
    s.Yhktop = in.readDouble();
    s.Yhkbtm = in.readDouble();
    s.YhkLeft = in.readDouble();
    s.YhkRgt = in.readDouble();
    s.Kktop = in.readDouble();
    s.KkLeft = in.readDouble();
    s.MaisuY = in.readInteger();
    s.MaisuX = in.readInteger();
}

static void readLinePosition(FieldReader& in, TextItem& t) {
    t.Text = in.readString();
    t.Top = in.readDouble();
    t.Left = in.readDouble();
    t.Height = in.readDouble();
    t.Width = in.readDouble();
}

static void readLineFont(FieldReader& in, TextItem& t) {
    t.FontName = in.readString();
    t.FontSize = in.readSingle();
    t.ForeColor = in.readLong();
    t.Bold = in.readBoolean();
    t.Italic = in.readBoolean();
    t.Underline = in.readBoolean();
    t.Strikethrough = in.readBoolean();
}

// The card-level reserved integers of format 2.2 hold the QR code: on,
// content, line, X, Y and side in 0.1 mm, level, red, green, blue (0-9),
// and the lines its vCard takes (16). Readers that know nothing of it skip
// them; a card without one writes zeros. Integer 10 is 1 for an upright
// card, 0 (as in every older card) for a landscape one.
constexpr int ReservedCount = 28;
constexpr int UprightReserved = 10;
using Reserved = std::array<std::int16_t, ReservedCount>;

static QrCode qrFromReserved(const Reserved& r) {
    QrCode q;
    q.On = r[0] != 0;
    q.Content = r[1] == 1 ? 1 : 0;
    q.Line = r[2] >= 0 && r[2] < LineCount ? r[2] : 0;
    q.Left = r[3] / 10.0;
    q.Top = r[4] / 10.0;
    q.Side = std::max<int>(0, r[5]) / 10.0;
    // A level the editor does not offer reads as the usual one, M.
    q.Level = r[6] >= 0 && r[6] <= 3 ? r[6] : 1;
    const auto channel = [](std::int16_t v) { return quint32(std::clamp<int>(v, 0, 255)); };
    q.Color = std::int32_t(channel(r[7]) | channel(r[8]) << 8 | channel(r[9]) << 16);
    q.Lines = QrLineMask(r[16]);
    return q;
}

static Reserved reservedFromQr(const QrCode& q) {
    Reserved r{};
    if (q == QrCode{})
        return r;
    const auto tenths = [](double mm) {
        return std::int16_t(std::clamp<long>(std::lround(mm * 10), -32768, 32767));
    };
    r[0] = q.On ? 1 : 0;
    r[1] = q.Content;
    r[2] = q.Line;
    r[3] = tenths(q.Left);
    r[4] = tenths(q.Top);
    r[5] = tenths(q.Side);
    r[6] = q.Level;
    r[7] = std::int16_t(q.Color & 0xFF);
    r[8] = std::int16_t((q.Color >> 8) & 0xFF);
    r[9] = std::int16_t((q.Color >> 16) & 0xFF);
    r[16] = QrLineMask(q.Lines);
    return r;
}

// Card-level reserved integers 11-15 hold the logo: on, X, Y and width in
// 0.1 mm, and its layer; reserved string 1 its picture file. A card without
// one writes zeros and "A", as every older card did, so "A" reads as no file.
constexpr int LogoReserved = 11;
constexpr int MergeString = 0;
constexpr int LogoPathString = 1;
constexpr int ReservedStrings = 8;
const QString UnusedString = QStringLiteral("A");

static CardLogo logoFromReserved(const Reserved& r, const QString& path) {
    CardLogo logo;
    logo.On = r[LogoReserved] != 0;
    logo.Path = path == UnusedString ? QString() : path;
    logo.Left = r[LogoReserved + 1] / 10.0;
    logo.Top = r[LogoReserved + 2] / 10.0;
    logo.Width = std::max<int>(0, r[LogoReserved + 3]) / 10.0;
    logo.Layer = r[LogoReserved + 4] == 1 ? LogoLayer::OverLines : LogoLayer::UnderLines;
    return logo;
}

static void addLogoToReserved(Reserved& r, const CardLogo& logo) {
    if (logo == CardLogo{})
        return;
    const auto tenths = [](double mm) {
        return std::int16_t(std::clamp<long>(std::lround(mm * 10), -32768, 32767));
    };
    r[LogoReserved] = logo.On ? 1 : 0;
    r[LogoReserved + 1] = tenths(logo.Left);
    r[LogoReserved + 2] = tenths(logo.Top);
    r[LogoReserved + 3] = tenths(logo.Width);
    r[LogoReserved + 4] = std::int16_t(logo.Layer);
}

void ReadCard22(FieldReader& in, Card& card) {
    card.PicPath = in.readString();
    readPrintStyle(in, card.PrintStyle);
    card.PrnScaleH = in.readDouble();
    card.PrnScaleW = in.readDouble();
    card.PrnPaperH = in.readDouble();
    card.PrnPaperW = in.readDouble();
    // The picture settings show a mode they do not offer (4, or one out of
    // range) as the picture's own colours; the card is read so, and shown,
    // converted and printed alike.
    card.PicColorMode = in.readLong();
    if (!IsPictureColorMode(card.PicColorMode))
        card.PicColorMode = 0;
    for (auto& tint : card.PicTint)
        tint = in.readLong();
    Reserved reserved{};
    for (auto& v : reserved)
        v = in.readInteger();
    card.Qr = qrFromReserved(reserved);
    // Any other value reads as the card every older file holds.
    card.Upright = reserved[UprightReserved] == 1;
    QString logoPath;
    for (int i = 0; i < ReservedStrings; ++i) {
        const QString text = in.readString();
        if (i == LogoPathString)
            logoPath = text;
        else if (i == MergeString)
            card.Merge = text == UnusedString ? QString() : text;
    }
    card.Logo = logoFromReserved(reserved, logoPath);
    for (int k = 0; k < LineCount; ++k) {
        TextItem& t = card.TextItems[k];
        readLinePosition(in, t);
        readLineFont(in, t);
        t.KageOn = in.readBoolean();
        t.KageTakasa = in.readDouble();
        t.KageColor = in.readLong();
        // A direction the editor cannot show is read as the default one.
        t.KageHoukou = in.readInteger();
        t.KageHoukou = std::int16_t(KageDirection(t));
        // The line's first reserved integer is its writing direction:
        // 1 top to bottom, anything else (0 in every older card) left to right.
        t.Tategaki = in.readInteger() == 1;
        // The second is the width scale: a value the editor does not offer
        // reads as normal.
        const std::int16_t scale = in.readInteger();
        t.WidthScale = scale == FitToCard || IsCondensedScale(scale) ? scale : 0;
        // The third is how its digits stand; a value the editor does not
        // offer reads as the usual way.
        const std::int16_t digits = in.readInteger();
        t.Digits =
            digits == 1 || digits == 2 ? VerticalDigits(digits) : VerticalDigits::TurnedUnits;
        for (int i = 3; i < 8; ++i)
            in.readInteger();
        for (int i = 0; i < 4; ++i)
            in.readString();
    }
}

void ReadCard20(FieldReader& in, Card& card) {
    // Format 2.0 has no QR code, no logo and no upright card: the card read
    // has none of them.
    card.Qr = QrCode{};
    card.Logo = CardLogo{};
    card.Upright = false;
    card.PicPath = in.readString();
    readPrintStyle(in, card.PrintStyle);
    for (int k = 0; k < LineCount; ++k) {
        TextItem& t = card.TextItems[k];
        readLinePosition(in, t);
        readLineFont(in, t);
        t.KageOn = false;
        t.KageColor = 0;
        t.KageTakasa = 0.5;
        t.KageHoukou = DefaultKageHoukou;
        t.Tategaki = false;
        t.WidthScale = 0;
        t.Digits = VerticalDigits::TurnedUnits;
    }
    card.Merge.clear();
}

// Font fields of one line in a 1.1 file: name, size (a double), bold, italic, colour.
// The size is stored as a single: one too large for that is an overflow, as
// in the other formats, never an infinity.
static void readFont11(FieldReader& in, TextItem& t) {
    t.FontName = in.readString();
    t.FontSize = in.readSingle();
    t.Bold = in.readBoolean();
    t.Italic = in.readBoolean();
    t.ForeColor = in.readLong();
}

void ReadCard11(FieldReader& in, Card& card) {
    auto& items = card.TextItems;
    for (int line : {0, 1, 4, 5, 6})
        items[line].Text = in.readString();
    card.PicPath = in.readString();
    in.readInteger();
    for (int line : {0, 1, 4, 5})
        readFont11(in, items[line]);
    for (int i = 0; i < 10; ++i)
        in.readInteger();
    for (int line : {10, 11}) {
        items[line].Text = in.readString();
        readFont11(in, items[line]);
        in.readInteger();
        in.readInteger();
    }
    // Line 6 (FAX) had no font of its own: it shares the telephone line's.
    items[6].FontName = items[5].FontName;
    items[6].FontSize = items[5].FontSize;
    items[6].Bold = items[5].Bold;
    items[6].Italic = items[5].Italic;
    items[6].ForeColor = items[5].ForeColor;
}

static void writePrintStyleLine2(FieldWriter& out, const PrintStyle& s) {
    for (double v : {s.MsY, s.MsX, s.YsY, s.YsX, s.Yhktop, s.Yhkbtm, s.YhkLeft, s.YhkRgt})
        out.writeDouble(v);
    out.endLine();
}

static void writeLineRecords(FieldWriter& out, const TextItem& t) {
    out.writeString(t.Text);
    out.writeDouble(t.Top);
    out.writeDouble(t.Left);
    out.writeDouble(t.Height);
    out.writeDouble(t.Width);
    out.endLine();
    out.writeString(t.FontName);
    out.writeSingle(t.FontSize);
    out.writeLong(t.ForeColor);
    out.writeBoolean(t.Bold);
    out.writeBoolean(t.Italic);
    out.writeBoolean(t.Underline);
    out.writeBoolean(t.Strikethrough);
    out.endLine();
}

QString WriteCard22(const Card& card) {
    FieldWriter out;
    const PrintStyle& s = card.PrintStyle;
    out.writeString(card.PicPath);
    out.endLine();
    writePrintStyleLine2(out, s);
    out.writeDouble(s.Kktop);
    out.writeDouble(s.KkLeft);
    out.writeInteger(s.MaisuY);
    out.writeInteger(s.MaisuX);
    for (double v : {card.PrnScaleH, card.PrnScaleW, card.PrnPaperH, card.PrnPaperW})
        out.writeDouble(v);
    out.endLine();
    out.writeLong(card.PicColorMode);
    for (auto tint : card.PicTint)
        out.writeLong(tint);
    out.endLine();
    Reserved reserved = reservedFromQr(card.Qr);
    addLogoToReserved(reserved, card.Logo);
    reserved[UprightReserved] = card.Upright ? 1 : 0;
    for (auto v : reserved)
        out.writeInteger(v);
    out.endLine();
    for (int i = 0; i < ReservedStrings; ++i) {
        QString text = UnusedString;
        if (i == LogoPathString && !card.Logo.Path.isEmpty())
            text = card.Logo.Path;
        else if (i == MergeString && !card.Merge.isEmpty())
            text = card.Merge;
        out.writeString(text);
    }
    out.endLine();
    for (int k = 0; k < LineCount; ++k) {
        const TextItem& t = card.TextItems[k];
        writeLineRecords(out, t);
        out.writeBoolean(t.KageOn);
        out.writeDouble(t.KageTakasa);
        out.writeLong(t.KageColor);
        out.writeInteger(t.KageHoukou);
        out.endLine();
        out.writeInteger(t.Tategaki ? 1 : 0);
        out.writeInteger(t.WidthScale == 100 ? 0 : t.WidthScale);
        out.writeInteger(std::int16_t(t.Digits));
        for (int i = 3; i < 8; ++i)
            out.writeInteger(0);
        out.endLine();
        for (int i = 0; i < 4; ++i)
            out.writeString(QStringLiteral("A"));
        out.endLine();
    }
    return out.text();
}

QString WriteCard20(const Card& card) {
    FieldWriter out;
    const PrintStyle& s = card.PrintStyle;
    out.writeString(card.PicPath);
    out.endLine();
    writePrintStyleLine2(out, s);
    out.writeDouble(s.Kktop);
    out.writeDouble(s.KkLeft);
    out.writeInteger(s.MaisuY);
    out.writeInteger(s.MaisuX);
    out.endLine();
    for (int k = 0; k < LineCount; ++k)
        writeLineRecords(out, card.TextItems[k]);
    return out.text();
}

QStringList Format20Losses(const Card& card) {
    QStringList lost;
    for (int k = 0; k < LineCount; ++k) {
        if (card.TextItems[k].Tategaki) {
            lost << QStringLiteral("縦書きの行 (横書きで保存されます)");
            break;
        }
    }
    if (card.Qr.On)
        lost << QStringLiteral("QRコード");
    if (card.Logo.On)
        lost << QStringLiteral("ロゴ");
    if (card.Upright)
        lost << QStringLiteral("縦型名刺 (横型で保存されます)");
    for (const TextItem& t : card.TextItems) {
        if (t.WidthScale != 0 && t.WidthScale != 100) {
            lost << QStringLiteral("長体の行 (元の幅で保存されます)");
            break;
        }
    }
    if (!card.Merge.isEmpty())
        lost << QStringLiteral("差し込み印刷の名簿");
    return lost;
}

QString StripExt(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot < 0 ? path : path.left(dot);
}

QString GetExt(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot < 0 ? QString() : path.mid(dot + 1);
}

QString GetFileTitle(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.mid(slash + 1);
}
