#include "snapguides.h"

#include <array>
#include <cmath>

namespace {

// The nearest of the item's own lines to a guide line, along one direction.
struct Nearest {
    double shift = 0;
    double at = 0;
    bool found = false;

    // Item line `from` against guide line `to`: kept when nearer than all
    // before and within reach.
    void consider(double from, double to, double reach) {
        const double d = to - from;
        if (std::abs(d) > reach || (found && std::abs(d) >= std::abs(shift)))
            return;
        shift = d;
        at = to;
        found = true;
    }
};

} // namespace

SnapResult SnapBox(const QRectF& box, const QSizeF& card, const std::vector<QRectF>& others,
                   double reach) {
    Nearest across;
    Nearest down;
    const std::array<double, 3> xs{box.left(), box.center().x(), box.right()};
    const std::array<double, 3> ys{box.top(), box.center().y(), box.bottom()};
    for (double x : xs)
        across.consider(x, card.width() / 2, reach);
    for (double y : ys)
        down.consider(y, card.height() / 2, reach);
    across.consider(box.left(), SafeMarginMm, reach);
    across.consider(box.right(), card.width() - SafeMarginMm, reach);
    down.consider(box.top(), SafeMarginMm, reach);
    down.consider(box.bottom(), card.height() - SafeMarginMm, reach);
    for (const QRectF& other : others) {
        for (double x : xs)
            for (double to : {other.left(), other.center().x(), other.right()})
                across.consider(x, to, reach);
        for (double y : ys)
            down.consider(y, other.center().y(), reach);
    }
    SnapResult result{box.topLeft(), {}};
    if (across.found) {
        result.topLeft.rx() += across.shift;
        result.guides.push_back({true, across.at});
    }
    if (down.found) {
        result.topLeft.ry() += down.shift;
        result.guides.push_back({false, down.at});
    }
    return result;
}
