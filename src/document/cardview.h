#pragma once

#include <QString>

// What the document routines ask of the editor window: the window implements
// these; without a window (the command line, tests) they do nothing.
class CardView {
public:
    virtual ~CardView() = default;
    virtual void setCaption(const QString& /*path*/) {}
    // Copies the card into the per-line controls.
    virtual void showCardData() {}
    virtual void layoutCanvas() {}
    virtual void redrawCard() {}
    // The canvas shows only its background colour until showCardPicture.
    virtual void clearCardPicture() {}
    // Paints the card picture (TavorMain::Image1) stretched over the canvas.
    virtual void showCardPicture() {}
};
