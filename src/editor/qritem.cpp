#include "qritem.h"

#include "cardcanvas.h"
#include "document/carddocument.h"
#include "document/qrcode.h"
#include "qrdraw.h"

#include <QPainter>

QrItem::QrItem(CardDocument& doc, CardCanvas* canvas)
    : CardItem(doc, canvas, QStringLiteral("QrItem"), CardCanvas::QrSnapId, CardChange::QrCode) {}

bool QrItem::keepOnCard() {
    QrCode& q = m_doc.card.Qr;
    if (!q.On)
        return false;
    const QSizeF card = CardSize(m_doc.card);
    KeepQrOnCard(q, card.width(), card.height());
    return true;
}

QRectF QrItem::box() const {
    const QrCode& q = m_doc.card.Qr;
    return QRectF(q.Left, q.Top, q.Side, q.Side);
}

void QrItem::moveTo(QPointF corner) {
    m_doc.card.Qr.Left = corner.x();
    m_doc.card.Qr.Top = corner.y();
}

void QrItem::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The card shown: the document's, or a person's of a merge.
    const Card& card = m_canvas->shownCard();
    const QrResult code = MakeQrCode(card);
    const QRectF square(0, 0, width(), height());
    if (code.drawable()) {
        DrawQrSymbol(p, square, code.symbol, ColorFromRgb(quint32(card.Qr.Color)));
        return;
    }
    // Refused: the place it takes, crossed out, so that the window's reason
    // has something to point at.
    p.fillRect(square, QColor(255, 255, 255, 200));
    p.setPen(QPen(Qt::red, 1));
    p.drawRect(square.adjusted(0.5, 0.5, -0.5, -0.5));
    p.drawLine(square.topLeft(), square.bottomRight());
    p.drawLine(square.topRight(), square.bottomLeft());
}
