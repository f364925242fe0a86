#include "qritem.h"

#include "cardcanvas.h"
#include "document/carddocument.h"
#include "document/qrcode.h"
#include "qrdraw.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

QrItem::QrItem(CardDocument& doc, CardCanvas* canvas)
    : QWidget(canvas), m_doc(doc), m_canvas(canvas) {
    setObjectName(QStringLiteral("QrItem"));
    setCursor(Qt::SizeAllCursor);
    setAttribute(Qt::WA_TranslucentBackground);
    setVisible(false);
}

void QrItem::refresh() {
    QrCode& q = m_doc.card.Qr;
    if (!q.On) {
        setVisible(false);
        emit shown();
        return;
    }
    const QSizeF card = CardSize(m_doc.card);
    KeepQrOnCard(q, card.width(), card.height());
    const double ppmX = m_canvas->pixelsPerMmX();
    const double ppmY = m_canvas->pixelsPerMmY();
    const int left = int(std::floor(q.Left * ppmX));
    const int top = int(std::floor(q.Top * ppmY));
    setGeometry(left, top, std::max(1, int(std::lround((q.Left + q.Side) * ppmX)) - left),
                std::max(1, int(std::lround((q.Top + q.Side) * ppmY)) - top));
    setVisible(true);
    m_canvas->stackItems();
    update();
    emit shown();
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

void QrItem::mousePressEvent(QMouseEvent* event) {
    m_dragging = true;
    // From the code's own corner, which the widget's whole pixels only
    // approach.
    const QPointF onCanvas = mapToParent(event->position());
    m_grab = QPointF(onCanvas.x() / m_canvas->pixelsPerMmX() - m_doc.card.Qr.Left,
                     onCanvas.y() / m_canvas->pixelsPerMmY() - m_doc.card.Qr.Top);
    emit grabbed();
}

void QrItem::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging)
        return;
    const QPointF onCanvas = mapToParent(event->position());
    QrCode& q = m_doc.card.Qr;
    const QPointF to = m_canvas->snapDragged(
        QRectF(onCanvas.x() / m_canvas->pixelsPerMmX() - m_grab.x(),
               onCanvas.y() / m_canvas->pixelsPerMmY() - m_grab.y(), q.Side, q.Side),
        CardCanvas::QrSnapId, event->modifiers() & Qt::AltModifier);
    // The card file holds tenths of a millimetre.
    q.Left = std::round(to.x() * 10) / 10;
    q.Top = std::round(to.y() * 10) / 10;
    refresh();
}

void QrItem::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragging || event->buttons() != Qt::NoButton)
        return;
    m_dragging = false;
    m_canvas->endGuides();
    m_doc.markChanged(CardChange::QrCode);
}
