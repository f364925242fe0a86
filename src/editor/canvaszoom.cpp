#include "canvaszoom.h"

#include <algorithm>
#include <array>

namespace {
constexpr std::array<double, 12> Steps{0.25, 0.5, 0.75, 1.0, 1.25, 1.5,
                                       2.0,  3.0, 4.0,  5.0, 6.0,  8.0};
// Steps closer than this count as equal, so that 100 % after 75 % is 125 %.
constexpr double Tolerance = 1e-6;
} // namespace

double ClampZoom(double zoom) {
    return std::clamp(zoom, MinZoom, MaxZoom);
}

double NextZoom(double current, bool in) {
    if (in) {
        for (double s : Steps) {
            if (s > current + Tolerance)
                return s;
        }
        return Steps.back();
    }
    for (auto it = Steps.rbegin(); it != Steps.rend(); ++it) {
        if (*it < current - Tolerance)
            return *it;
    }
    return Steps.front();
}

double FitZoom(const QSizeF& cardMm, const QSize& view, double pixelsPerMmX, double pixelsPerMmY,
               int margin) {
    const double w = cardMm.width() * pixelsPerMmX;
    const double h = cardMm.height() * pixelsPerMmY;
    if (w <= 0 || h <= 0)
        return 1.0;
    const double room =
        std::min((view.width() - 2.0 * margin) / w, (view.height() - 2.0 * margin) / h);
    return ClampZoom(room);
}

QPoint PlaceBesideCard(const QRect& mainWindow, const QRect& card, const QRect& free,
                       const QSize& window) {
    constexpr int Gap = 8; // free pixels between the windows, and below the card
    QPoint at(mainWindow.right() + 1 + Gap, mainWindow.top());
    if (at.x() + window.width() - 1 > free.right()) {
        at.setX(mainWindow.left() - Gap - window.width());
        if (at.x() < free.left()) {
            const bool cardOnLeft = card.center().x() < free.center().x();
            at.setX(cardOnLeft ? free.right() - window.width() + 1 : free.left());
            if (card.bottom() + Gap + window.height() <= free.bottom())
                at.setY(card.bottom() + 1 + Gap);
        }
    }
    at.setY(
        std::clamp(at.y(), free.top(), std::max(free.top(), free.bottom() - window.height() + 1)));
    return at;
}
