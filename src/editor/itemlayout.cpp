#include "itemlayout.h"

#include "cardrenderer.h"
#include "document/card.h"
#include "document/carddocument.h"

#include <QRectF>

#include <algorithm>
#include <cmath>

void KeepItemOnCard(TextItem& t, double W, double H) {
    const double w = t.Width;
    const double h = t.Height;
    const double s = t.KageTakasa;
    const int dir = KageDirection(t);
    const int dx = KageDX[dir];
    const int dy = KageDY[dir];

    if (dx > 0) {
        if (t.Left + w + dx * s + 2 > W)
            t.Left = W - w - dx * s - 2;
        if (t.Left < 1)
            t.Left = 1;
    } else {
        if (t.Left + w + 2 > W)
            t.Left = W - w - 2;
        if (t.Left + dx * s < 1)
            t.Left = 1 - dx * s;
    }
    if (dy > 0) {
        if (t.Top + h + dy * s + 2 > H)
            t.Top = H - h - dy * s - 2;
        if (t.Top < 1)
            t.Top = 1;
    } else {
        if (t.Top + h + 2 > H)
            t.Top = H - h - 2;
        if (t.Top + dy * s < 1)
            t.Top = 1 - dy * s;
    }
}

void PlaceLinesOnChange(CardDocument& doc) {
    QObject::connect(&doc, &CardDocument::changed, &doc,
                     [&doc](CardPart, int) { PlaceCardLines(doc.card); });
}

void StoreMeasuredSize(TextItem& t, double width, double height) {
    t.Width = double(float(width));
    t.Height = double(float(height));
    if (t.Italic)
        t.Width += CardRenderer::drawnFontSize(t) / 16;
}

namespace {

// The room of the 3D copy beyond the line's far end, along one axis.
double kageRoom(const TextItem& t, bool down) {
    const int dir = KageDirection(t);
    const int step = down ? KageDY[dir] : KageDX[dir];
    return step > 0 ? step * t.KageTakasa : 0;
}

} // namespace

double LineScale(const TextItem& t, double length, double W, double H) {
    if (IsCondensedScale(t.WidthScale))
        return t.WidthScale / 100.0;
    if (t.WidthScale != FitToCard || !(length > 0))
        return 1;
    const double room =
        t.Tategaki ? H - 2 - t.Top - kageRoom(t, true) : W - 2 - t.Left - kageRoom(t, false);
    return std::clamp(room / length, MinWidthScale / 100.0, 1.0);
}

bool MeasureAndKeep(TextItem& t, double W, double H) {
    const QSizeF size = CardRenderer::measureText(CardRenderer::drawnPart(t, QSizeF(W, H)));
    // The stored width holds the italic overhang; the scale acts on it all.
    TextItem natural = t;
    StoreMeasuredSize(natural, size.width(), size.height());
    const double length = t.Tategaki ? natural.Height : natural.Width;
    const double scale = LineScale(t, length, W, H);
    t.Condense = float(scale);
    StoreMeasuredSize(t, size.width() * (t.Tategaki ? 1 : scale),
                      size.height() * (t.Tategaki ? scale : 1));
    const double end = t.Tategaki ? t.Top + t.Height + kageRoom(t, true) + 2
                                  : t.Left + t.Width + kageRoom(t, false) + 2;
    // The stored size is rounded to float: a line condensed to end exactly at
    // the margin may come out a few millionths of a millimetre past it.
    const bool fits = end <= (t.Tategaki ? H : W) + 1e-4;
    KeepItemOnCard(t, W, H);
    return fits;
}

QList<int> PlaceCardLines(Card& card) {
    const double W = CardSize(card).width();
    const double H = CardSize(card).height();
    QList<int> pastTheCard;
    for (int i = 0; i < LineCount; ++i) {
        TextItem& t = card.TextItems[i];
        if (t.FontName.isEmpty())
            continue;
        // The 3D copy, then the line: the canvas measures and keeps twice.
        // The first pass sees the line where it stood.
        const bool fits = MeasureAndKeep(t, W, H);
        MeasureAndKeep(t, W, H);
        if (!fits && !t.Text.isEmpty())
            pastTheCard.append(i);
    }
    return pastTheCard;
}

QString DrawingLimitsNotice(const Card& card) {
    const QSizeF size = CardSize(card);
    QStringList notes;
    for (int i = 0; i < LineCount; ++i) {
        const TextItem& t = card.TextItems[i];
        if (t.Text.isEmpty())
            continue;
        if (double(t.FontSize) > MaxDrawnFontSize)
            notes << QStringLiteral(
                         "「%1」の文字サイズ %2 ポイントは大きすぎるため、%3 ポイントで描きます。")
                         .arg(TabCaption(i))
                         .arg(double(t.FontSize), 0, 'g', 7)
                         .arg(MaxDrawnFontSize);
        const qsizetype drawn = CardRenderer::drawnPart(t, size).Text.size();
        if (drawn < t.Text.size())
            notes << QStringLiteral("「%1」の行は %2 文字と長すぎるため、名刺に届く初めの %3 "
                                    "文字だけを描きます（保存される文字はすべて残ります）。")
                         .arg(TabCaption(i))
                         .arg(t.Text.size())
                         .arg(drawn);
    }
    return notes.join(QStringLiteral("\r\n"));
}

CardFit CheckCardFit(const Card& card) {
    // A hundredth of a millimetre for the rounding of stored sizes.
    constexpr double Slack = 0.01;
    const double W = CardSize(card).width();
    const double H = CardSize(card).height();
    const QRectF qr(card.Qr.Left, card.Qr.Top, card.Qr.Side, card.Qr.Side);
    CardFit fit;
    for (int i = 0; i < LineCount; ++i) {
        const TextItem& t = card.TextItems[i];
        if (t.FontName.isEmpty() || t.Text.isEmpty())
            continue;
        // A shown 3D copy is printed too.
        const QRectF line(t.Left, t.Top, t.Width, t.Height);
        const QRectF box =
            t.KageOn ? line.united(line.translated(CardRenderer::kageOffset(t))) : line;
        if (box.left() < -Slack || box.top() < -Slack || box.right() > W + Slack ||
            box.bottom() > H + Slack)
            fit.pastTheEdge.append(i);
        if (card.Qr.On && card.Qr.Side > 0 &&
            line.intersects(qr.adjusted(Slack, Slack, -Slack, -Slack)))
            fit.underQrCode.append(i);
    }
    return fit;
}

QStringList DescribeCardFit(const CardFit& fit) {
    QStringList lines;
    for (int i : fit.pastTheEdge)
        lines.append(QStringLiteral("「%1」の行が名刺からはみ出しています。").arg(TabCaption(i)));
    for (int i : fit.underQrCode)
        lines.append(QStringLiteral("「%1」の行にQRコードが重なっています。").arg(TabCaption(i)));
    return lines;
}

QString FormatPosition(double value) {
    double tenths = std::round(std::fabs(value) * 10 + 1e-9);
    if (!std::isfinite(tenths))
        tenths = 0;
    const bool negative = value < 0 && tenths > 0;
    const long long whole = static_cast<long long>(tenths) / 10;
    const int decimal = static_cast<int>(static_cast<long long>(tenths) % 10);
    return (negative ? QStringLiteral("-") : QString()) + QString::number(whole) +
           QLatin1Char('.') + QString::number(decimal);
}
