#include "carditem.h"

#include "cardcanvas.h"
#include "document/carddocument.h"

#include <QMouseEvent>

#include <cmath>

CardItem::CardItem(CardDocument& doc, CardCanvas* canvas, const QString& name, int snapId,
                   CardChange change)
    : QWidget(canvas), m_doc(doc), m_canvas(canvas), m_snapId(snapId), m_change(change) {
    setObjectName(name);
    setCursor(Qt::SizeAllCursor);
    setAttribute(Qt::WA_TranslucentBackground);
    setVisible(false);
}

double CardItem::tenths(double mm) {
    return std::round(mm * 10) / 10;
}

QPointF CardItem::pointerMm(const QMouseEvent* event) const {
    const QPointF onCanvas = mapToParent(event->position());
    return QPointF(onCanvas.x() / m_canvas->pixelsPerMmX(),
                   onCanvas.y() / m_canvas->pixelsPerMmY());
}

void CardItem::refresh() {
    if (!keepOnCard()) {
        setVisible(false);
        emit shown();
        return;
    }
    const QRectF mm = box();
    const double ppmX = m_canvas->pixelsPerMmX();
    const double ppmY = m_canvas->pixelsPerMmY();
    const int left = int(std::floor(mm.left() * ppmX));
    const int top = int(std::floor(mm.top() * ppmY));
    setGeometry(left, top, std::max(1, int(std::lround(mm.right() * ppmX)) - left),
                std::max(1, int(std::lround(mm.bottom() * ppmY)) - top));
    setVisible(true);
    m_canvas->stackItems();
    update();
    emit shown();
}

void CardItem::mousePressEvent(QMouseEvent* event) {
    m_drag = Drag::Move;
    // From the item's own corner, which the widget's whole pixels only
    // approach.
    m_grab = pointerMm(event) - box().topLeft();
    emit grabbed();
}

void CardItem::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag != Drag::Move)
        return;
    const QPointF to = m_canvas->snapDragged(QRectF(pointerMm(event) - m_grab, box().size()),
                                             m_snapId, event->modifiers() & Qt::AltModifier);
    moveTo(QPointF(tenths(to.x()), tenths(to.y())));
    refresh();
}

void CardItem::mouseReleaseEvent(QMouseEvent* event) {
    if (m_drag == Drag::None || event->buttons() != Qt::NoButton)
        return;
    m_drag = Drag::None;
    m_canvas->endGuides();
    m_doc.markChanged(m_change);
}
