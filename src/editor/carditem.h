#pragma once

#include "document/cardhistory.h"

#include <QWidget>

class CardCanvas;
class CardDocument;

// What the QR code and the logo share on the canvas: a widget over the
// item's box on the card, moved by dragging like a line (snapping to the
// guides, free while Alt is held) and kept on the card, its place in tenths
// of a millimetre as the card file holds it. Letting go is one step of the
// card's history.
class CardItem : public QWidget {
    Q_OBJECT
public:
    // Keeps the item on the card, places, stacks and repaints it, and tells
    // its window (shown) that it may have changed.
    void refresh();

signals:
    void shown();
    void grabbed();

protected:
    CardItem(CardDocument& doc, CardCanvas* canvas, const QString& name, int snapId,
             CardChange change);

    // Keeps the item on the card; false while it is switched off.
    virtual bool keepOnCard() = 0;
    // Its box on the card, in millimetres.
    virtual QRectF box() const = 0;
    // Puts its top left corner at a place on the card, in millimetres.
    virtual void moveTo(QPointF corner) = 0;

    // The pointer's place on the card, in millimetres.
    QPointF pointerMm(const QMouseEvent* event) const;
    static double tenths(double mm);

    // Pressing takes hold of the item to move it.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    enum class Drag { None, Move, Resize };

    CardDocument& m_doc;
    CardCanvas* m_canvas;
    Drag m_drag = Drag::None;
    QPointF m_grab; // mm from the item's corner to the grabbed point, while moving

private:
    int m_snapId;
    CardChange m_change;
};
