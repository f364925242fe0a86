#pragma once

#include "carditem.h"

// The card's logo on the canvas: drawn by the card renderer at its place and
// width, under or over the lines as the card says. It is dragged like a line
// (snapping to the guides) and resized by its bottom-right corner keeping its
// shape; both keep it on the card, and the place and width are in tenths of a
// millimetre, as the card file holds them. A logo whose file cannot be used
// shows as a crossed-out frame where it would stand.
class LogoItem : public CardItem {
    Q_OBJECT
public:
    LogoItem(CardDocument& doc, CardCanvas* canvas);

    // The box of the corner handle that resizes it, in its own pixels.
    QRect resizeHandle() const;

protected:
    bool keepOnCard() override;
    QRectF box() const override;
    void moveTo(QPointF corner) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // The picture's shape, or the one a logo without a usable picture is
    // shown with.
    double shownAspect() const;
};
