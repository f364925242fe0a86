#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <vector>

// Print shops ask that text stay this far inside the card's edge.
constexpr double SafeMarginMm = 3;

// A guide a dragged item snapped to: a vertical line at x = at across the
// card, or a horizontal one at y = at, in card millimetres.
struct SnapGuide {
    bool vertical = true;
    double at = 0;

    bool operator==(const SnapGuide&) const = default;
};

// Where a dragged item goes, and the guides it snapped to (none, or one in
// each direction).
struct SnapResult {
    QPointF topLeft;
    std::vector<SnapGuide> guides;
};

// Snaps the box of a dragged item, where the pointer put it, on a card of
// the given size, to what lies within reach (millimetres), each direction
// on its own and the nearest first:
// - across, its left edge, centre or right edge to the card's centre line
//   or to the left edge, centre or right edge of another item, its left
//   edge to the safe margin at the left and its right edge to the one at
//   the right;
// - down, its top, middle or bottom to the card's middle line or to the
//   middle of another item, its top to the safe margin at the top and its
//   bottom to the one at the bottom.
// Nothing within reach leaves the box where it is, without a guide.
SnapResult SnapBox(const QRectF& box, const QSizeF& card, const std::vector<QRectF>& others,
                   double reach);
