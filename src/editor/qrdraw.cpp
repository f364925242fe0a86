#include "qrdraw.h"

#include "base/uiservices.h"
#include "document/qrcode.h"

#include <QPainter>
#include <QPainterPath>

void DrawQrSymbol(QPainter& p, const QRectF& square, const QrSymbol& symbol, const QColor& dark) {
    if (symbol.width <= 0)
        return;
    const int across = symbol.width + 2 * QrQuietModules;
    const double moduleW = square.width() / across;
    const double moduleH = square.height() / across;
    QPainterPath modules;
    modules.setFillRule(Qt::WindingFill);
    for (int y = 0; y < symbol.width; ++y) {
        for (int x = 0; x < symbol.width;) {
            if (!symbol.isDark(x, y)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < symbol.width && symbol.isDark(end, y))
                ++end;
            modules.addRect(QRectF(square.left() + (x + QrQuietModules) * moduleW,
                                   square.top() + (y + QrQuietModules) * moduleH,
                                   (end - x) * moduleW, moduleH));
            x = end;
        }
    }
    p.save();
    p.setPen(Qt::NoPen);
    p.fillRect(square, Qt::white);
    p.setBrush(dark);
    p.drawPath(modules);
    p.restore();
}

QrResult PlacedQrCode(const Card& card, QrCode& placed) {
    placed = card.Qr;
    const QSizeF size = CardSize(card);
    KeepQrOnCard(placed, size.width(), size.height());
    if (placed == card.Qr)
        return MakeQrCode(card);
    Card kept = card;
    kept.Qr = placed;
    return MakeQrCode(kept);
}

bool DrawQrCode(QPainter& p, const Card& card) {
    if (!card.Qr.On)
        return false;
    QrCode q;
    const QrResult code = PlacedQrCode(card, q);
    if (!code.drawable())
        return false;
    DrawQrSymbol(p, QRectF(q.Left, q.Top, q.Side, q.Side), code.symbol,
                 ColorFromRgb(quint32(q.Color)));
    return true;
}

bool QrCodePrintable(const Card& card, UiServices& ui) {
    if (!card.Qr.On)
        return true;
    QrCode q;
    const QrResult code = PlacedQrCode(card, q);
    if (code.drawable())
        return true;
    ui.beep();
    ui.message(code.problem +
               QStringLiteral("\r\nQRコードを読み取れないため、印刷も画像の保存もしません。"));
    return false;
}
