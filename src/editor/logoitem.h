#pragma once

#include <QWidget>

class CardCanvas;
class CardDocument;

// The card's logo on the canvas: drawn by the card renderer at its place and
// width, under or over the lines as the card says. It is dragged like a line
// (snapping to the guides) and resized by its bottom-right corner keeping its
// shape; both keep it on the card, and the place and width are in tenths of a
// millimetre, as the card file holds them. A logo whose file cannot be used
// shows as a crossed-out frame where it would stand.
class LogoItem : public QWidget {
    Q_OBJECT
public:
    LogoItem(CardDocument& doc, CardCanvas* canvas);

    // Keeps the logo on the card, places, stacks and repaints it, and tells
    // the logo window (shown) that it may have changed.
    void refresh();
    // The box of the corner handle that resizes it, in its own pixels.
    QRect resizeHandle() const;

signals:
    void shown();
    void grabbed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Drag { None, Move, Resize };

    CardDocument& m_doc;
    CardCanvas* m_canvas;
    Drag m_drag = Drag::None;
    QPointF m_grab; // mm from the logo's corner (moving) or far corner (resizing)
};
