#include "card.h"

#include <algorithm>
#include <cmath>

const std::array<LineRole, LineCount> LineRoles{{
    {u"名前", 27, 22, 18},
    {u"会社・団体", 3, 4, 12},
    {u"部課", 16, 16, 10},
    {u"役職", 16, 22, 10},
    {u"住所", 26, 40, 10},
    {u"電話番号", 26, 45, 10},
    {u"FAX", 26, 48, 10},
    {u"携帯電話", 60, 45, 10},
    {u"ﾎﾟｹﾍﾞﾙ", 60, 48, 10},
    {u"E-Mail", 26, 51, 10},
    {u"その他1", 0, 0, 12},
    {u"その他2", 0, 0, 12},
}};

QString TabCaption(int line) {
    if (line < 0 || line >= LineCount)
        return {};
    return QString::fromUtf16(LineRoles[line].caption);
}

const std::array<QString, 9> HoukouName{
    QStringLiteral(" 上 "), QStringLiteral("右上"), QStringLiteral(" 右 "),
    QStringLiteral("右下"), QStringLiteral(" 下 "), QStringLiteral("左下"),
    QStringLiteral(" 左 "), QStringLiteral("左上"), QString()};
const std::array<int, 9> KageDX{0, 1, 1, 1, 0, -1, -1, -1, 0};
const std::array<int, 9> KageDY{-1, -1, 0, 1, 1, 1, 0, -1, 0};

QSizeF CardSize(const Card& card) {
    const PrintStyle& s = card.PrintStyle;
    return card.Upright ? QSizeF(s.MsY, s.MsX) : QSizeF(s.MsX, s.MsY);
}

void TurnCard(Card& card, bool upright) {
    if (card.Upright == upright)
        return;
    const QSizeF from = CardSize(card);
    card.Upright = upright;
    const QSizeF to = CardSize(card);
    if (from.isEmpty() || to.isEmpty())
        return;
    const auto place = [&](double& left, double& top) {
        left = std::round(left * to.width() / from.width() * 10) / 10;
        top = std::round(top * to.height() / from.height() * 10) / 10;
    };
    for (TextItem& t : card.TextItems)
        place(t.Left, t.Top);
    place(card.Qr.Left, card.Qr.Top);
    place(card.Logo.Left, card.Logo.Top);
}

QColor ColorFromRgb(quint32 rgb) {
    return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}

quint32 RgbFromColor(const QColor& color) {
    return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}

double DrawnScale(const TextItem& t) {
    if (IsCondensedScale(t.WidthScale))
        return t.WidthScale / 100.0;
    if (t.WidthScale == FitToCard && t.Condense > 0 && t.Condense < 1)
        return std::max(double(t.Condense), MinWidthScale / 100.0);
    return 1;
}

void ResetLineStyle(TextItem& t) {
    t.ForeColor = 0;
    t.Bold = t.Italic = t.Underline = t.Strikethrough = false;
    t.Tategaki = false;
    t.WidthScale = 0;
    t.Condense = 1;
    t.Digits = VerticalDigits::TurnedUnits;
    t.KageOn = false;
    t.KageColor = 0;
    t.KageTakasa = 0.5;
    t.KageHoukou = DefaultKageHoukou;
}

void ResetLines(Card& card, const QString& fontName) {
    for (int i = 0; i < LineCount; ++i) {
        TextItem& t = card.TextItems[i];
        t.Left = LineRoles[i].left;
        t.Top = LineRoles[i].top;
        t.FontSize = LineRoles[i].fontSize;
        t.Text.clear();
        t.FontName = fontName;
        ResetLineStyle(t);
    }
}

int KageDirection(const TextItem& line) {
    return line.KageHoukou >= 0 && line.KageHoukou <= 7 ? line.KageHoukou : DefaultKageHoukou;
}

bool IsPictureColorMode(std::int32_t mode) {
    return mode >= 0 && mode <= 6 && mode != 4;
}
