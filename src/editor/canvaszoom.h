#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QSizeF>

// The zoom of the card canvas: a factor on the card's actual size on screen
// (1 = 100 %). Positions stay in millimetres whatever the zoom; only the
// pixels a millimetre takes change.
constexpr double MinZoom = 0.25;
constexpr double MaxZoom = 8.0;

// The next step of the zoom list (25 % to 800 %) above or below current;
// current itself may lie between steps (after fitting to the window).
double NextZoom(double current, bool in);

// The largest zoom at which a card of cardMm fits into view pixels, keeping
// margin pixels on each side, at pixelsPerMm pixels a millimetre at 100 %.
double FitZoom(const QSizeF& cardMm, const QSize& view, double pixelsPerMmX, double pixelsPerMmY,
               int margin);

// A zoom kept to the range MinZoom..MaxZoom.
double ClampZoom(double zoom);

// Where a tool window of the given frame size opens so that the card stays
// in view while the window changes it: beside the main window where the
// screen's free area has room (right, else left); else at the free area's
// edge further from the card, below the card where that leaves it free.
// All in global pixels.
QPoint PlaceBesideCard(const QRect& mainWindow, const QRect& card, const QRect& free,
                       const QSize& window);
