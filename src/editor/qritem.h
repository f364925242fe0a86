#pragma once

#include <QWidget>

class CardCanvas;
class CardDocument;

// The card's QR code on the canvas: drawn as the card image draws it, at
// its place and size in millimetres, and dragged like a line (kept on the
// card, the position in tenths of a millimetre as the card file holds it).
// A code whose content is refused shows as a crossed-out square.
class QrItem : public QWidget {
    Q_OBJECT
public:
    QrItem(CardDocument& doc, CardCanvas* canvas);

    // Keeps the code on the card, places and repaints it, and tells the
    // QR code window (shown) that it may have changed.
    void refresh();

signals:
    void shown();
    void grabbed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CardDocument& m_doc;
    CardCanvas* m_canvas;
    bool m_dragging = false;
    QPointF m_grab; // mm from the code's corner to the grabbed point
};
