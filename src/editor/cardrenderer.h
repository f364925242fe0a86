#pragma once

#include "document/cardlogo.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <functional>

class QImage;
class QPainter;
class ShapedTextCache;
struct Card;
struct TextItem;

// The largest font size the renderer draws, in points. Past some 1700
// points the font engines' metrics overflow (the ascent turns negative, the
// glyphs are dropped, a vertical line's font cannot be had at all); a line
// whose size is larger, which only a card file can hold (the editor offers 1
// to 256), is drawn at this size, glyphs of 35 cm, larger than any card.
constexpr double MaxDrawnFontSize = 1000;

// What of the card a drawing shows.
struct CardLayers {
    bool picture = true;
    bool text = true;
};

// The one drawing of the card. The canvas, the card image, the preview and
// every print kind paint through it, so a card looks the same on the screen,
// in an exported image and on paper.
//
// It paints onto any QPainter whose coordinates are the card's millimetres:
// origin at the card's top-left corner, x to the right, y downwards. The
// caller sets that transform for its device (pixels of a widget or an image,
// the printer's millimetre scale); text sizes are absolute (points) whatever
// the device, and nothing depends on the device's resolution, so a line is
// as wide, as heavy and in the same place on every surface.
//
// The content is painted in layers, each over the one before: the picture,
// the logo when it lies under the lines, each line in index order with its
// 3D copy beneath it, the logo when it lies over them, then the QR code. A
// new kind of card content gets its paint routine here and its place in
// paint(). The logo belongs to the text layer: the background print, which
// prints the picture alone, leaves it out.
class CardRenderer {
public:
    // The card and its logo as decoded from its file (none: the card is drawn
    // without one).
    explicit CardRenderer(const Card& card, DecodedLogo logo = {});

    // Paints the layers asked for. afterLine(i) runs after line i (a print
    // lets events run there); when it returns false the drawing stops and
    // paint returns false.
    bool paint(QPainter& p, const QImage& picture, CardLayers layers,
               const std::function<bool(int)>& afterLine = {}) const;

    // The picture stretched over the whole card; nothing for a null picture.
    void paintPicture(QPainter& p, const QImage& picture) const;
    // Line i at its place on the card: its 3D copy when shown, then its text.
    void paintLine(QPainter& p, int i) const;
    // The card's QR code, above the lines, as vector squares; nothing when
    // the card has none or its content is refused.
    void paintQrCode(QPainter& p) const;
    // The card's logo at its place; nothing when it is switched off or has
    // no picture.
    void paintLogo(QPainter& p) const;
    // Where the logo is drawn on the card, millimetres: its place kept on
    // the card, its height from the picture's shape. Empty when it is not
    // drawn.
    QRectF logoBox() const;
    // A logo into box: an SVG as vectors, a raster picture whole (never a
    // copy of it, so that a PDF stores it once however often it is drawn).
    static void paintLogo(QPainter& p, const DecodedLogo& logo, const QRectF& box);

    // One copy of a line's text in a colour, the top-left corner of its text
    // box at topLeft (millimetres). Draws the text as text, so that a PDF
    // keeps it searchable; bold and italic that the font has no face for are
    // made here (the outline widened by a twenty-fourth of the size, the
    // glyphs slanted by 12°), the same on every device. With a cache, the
    // text is shaped once for its font and device and the same glyphs drawn
    // every time after (a print draws the same lines at every card).
    static void paintText(QPainter& p, const TextItem& t, QPointF topLeft, const QColor& color,
                          ShapedTextCache* shaped = nullptr);

    // The size in points a line is drawn and measured at: its own, kept
    // within 0.1 and MaxDrawnFontSize.
    static double drawnFontSize(const TextItem& t);

    // The line as far as it can reach a card of this size (millimetres),
    // which is what is measured and drawn: its text cut, between characters,
    // where it has run two ems past the card's far edge and its 3D offset
    // (across for a line, down for 縦書き). A line of a hundred thousand
    // characters costs no more than one the card can show; the card itself
    // keeps every character.
    static TextItem drawnPart(const TextItem& t, QSizeF card);

    // Where a line's 3D copy lies from the line, millimetres: the unit step
    // of its direction times its 3D height.
    static QPointF kageOffset(const TextItem& t);

    // The size of a line's text box in millimetres: the advance of its text
    // and the height of its font (ascent and descent), independent of any
    // device. Italic correction is the caller's (StoreMeasuredSize).
    static QSizeF measureText(const TextItem& t);

private:
    QSizeF cardSize() const;

    const Card& m_card;
    DecodedLogo m_logo;
};
