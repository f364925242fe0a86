#pragma once

#include "document/card.h"

#include <QList>
#include <QString>
#include <QStringList>

struct Card;
struct TextItem;

// Keeps a line with its 3D copy on a card of W × H millimetres: 1 mm from
// the left and top edges, 2 mm from the right and bottom ones. The room for
// the 3D offset is kept whether the 3D copy is shown or not; the left and top
// rules run last, so a line larger than the card ends at the left/top margin.
void KeepItemOnCard(TextItem& item, double cardWidth, double cardHeight);

// Stores a line's measured size: width and height in millimetres as the
// canvas measured them (single precision), italic text widened by
// FontSize / 16 mm.
void StoreMeasuredSize(TextItem& item, double width, double height);

// The scale a line of naturalLength millimetres along its direction (its
// width, or its height when written top to bottom) is drawn with on a W × H
// card: its own percent when condensed; when fitted to the card, as far
// condensed as it needs to end where the card's margin begins (2 mm before
// the right edge, the bottom edge for a vertical line, with the room of the
// 3D copy) from where it stands, down to 50 %; 1 otherwise.
double LineScale(const TextItem& item, double naturalLength, double cardWidth, double cardHeight);

// Measures a line with the card renderer at the scale it is drawn with
// (Condense), stores its size and keeps it on the card. False when the line
// runs past the card's margin from where it stood, even condensed.
bool MeasureAndKeep(TextItem& item, double cardWidth, double cardHeight);

// Measures and places every line as drawing the card on the canvas does
// (RedrawCard): a line with a font name is measured with the card renderer (as
// far as it reaches the card) and kept on the card, once for its 3D copy and once for itself. Lines
// without a font name stay as they are. The lines (by index) that ran past the card's margin from
// where they stood, even condensed.
QList<int> PlaceCardLines(Card& card);

// What of the card the renderer draws otherwise than it is stored, a
// sentence for each line concerned, for the user to be told once when the
// card is opened: a font size past the largest the renderer draws, a line
// longer than can reach the card. Empty when the card is drawn as stored.
QString DrawingLimitsNotice(const Card& card);

// What of a placed card does not fit: the lines (by index) that run past
// the card's edge even where the keep-on-card rule put them, with their 3D
// copy, and the lines the QR code covers. Lines without text or font are
// never counted.
struct CardFit {
    QList<int> pastTheEdge;
    QList<int> underQrCode;
    bool fits() const { return pastTheEdge.isEmpty() && underQrCode.isEmpty(); }
};
CardFit CheckCardFit(const Card& card);
// One sentence a problem, naming the line by its tab's caption.
QStringList DescribeCardFit(const CardFit& fit);

class CardDocument;

// The card without a window (the command line): whenever the document
// announces a change, its lines are placed as the canvas would place them,
// so that what is saved or printed is what the window shows.
void PlaceLinesOnChange(CardDocument& doc);

// A position as the X and Y boxes show it: "###0.0", at least one integer
// digit and exactly one decimal, halves rounded away from zero.
QString FormatPosition(double value);
