#include "itemlayout.h"

#include "cardrenderer.h"
#include "document/card.h"
#include "document/carddocument.h"

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

void PlaceCardLines(Card& card) {
    const double W = card.PrintStyle.MsX;
    const double H = card.PrintStyle.MsY;
    for (int i = 0; i < LineCount; ++i) {
        TextItem& t = card.TextItems[i];
        if (t.FontName.isEmpty())
            continue;
        // The 3D copy, then the line: the canvas measures and keeps twice.
        for (int pass = 0; pass < 2; ++pass) {
            const QSizeF size = CardRenderer::measureText(CardRenderer::drawnPart(t, QSizeF(W, H)));
            StoreMeasuredSize(t, size.width(), size.height());
            KeepItemOnCard(t, W, H);
        }
    }
}

QString DrawingLimitsNotice(const Card& card) {
    const QSizeF size(card.PrintStyle.MsX, card.PrintStyle.MsY);
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
