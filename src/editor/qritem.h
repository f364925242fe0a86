#pragma once

#include "carditem.h"

// The card's QR code on the canvas: drawn as the card image draws it, at
// its place and size in millimetres, and dragged like a line (kept on the
// card, the position in tenths of a millimetre as the card file holds it).
// A code whose content is refused shows as a crossed-out square.
class QrItem : public CardItem {
    Q_OBJECT
public:
    QrItem(CardDocument& doc, CardCanvas* canvas);

protected:
    bool keepOnCard() override;
    QRectF box() const override;
    void moveTo(QPointF corner) override;
    void paintEvent(QPaintEvent* event) override;
};
