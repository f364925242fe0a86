#include "logoitem.h"

#include "cardcanvas.h"
#include "cardrenderer.h"
#include "document/carddocument.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// The corner handle, in pixels: large enough to hit, small enough to leave
// a small logo its picture.
constexpr int HandlePixels = 7;

// The shape a logo without a usable picture is shown with.
constexpr double UnknownAspect = 0.5;

} // namespace

LogoItem::LogoItem(CardDocument& doc, CardCanvas* canvas)
    : CardItem(doc, canvas, QStringLiteral("LogoItem"), CardCanvas::LogoSnapId, CardChange::Logo) {
    setMouseTracking(true);
}

QRect LogoItem::resizeHandle() const {
    return QRect(width() - HandlePixels, height() - HandlePixels, HandlePixels, HandlePixels);
}

double LogoItem::shownAspect() const {
    const DecodedLogo decoded = m_doc.logoImage();
    return decoded.isNull() ? UnknownAspect : decoded.aspect();
}

bool LogoItem::keepOnCard() {
    CardLogo& logo = m_doc.card.Logo;
    if (!logo.On)
        return false;
    // A logo whose picture is missing keeps its place as the file holds it:
    // its height is not known, so only its corner is kept on the card.
    KeepLogoOnCard(logo, m_doc.logoImage().aspect(), CardSize(m_doc.card).width(),
                   CardSize(m_doc.card).height());
    return true;
}

QRectF LogoItem::box() const {
    const CardLogo& logo = m_doc.card.Logo;
    return QRectF(logo.Left, logo.Top, logo.Width, LogoHeight(logo, shownAspect()));
}

void LogoItem::moveTo(QPointF corner) {
    m_doc.card.Logo.Left = corner.x();
    m_doc.card.Logo.Top = corner.y();
}

void LogoItem::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const DecodedLogo decoded = m_doc.logoImage();
    if (decoded.isNull()) {
        const QRectF frame(0.5, 0.5, width() - 1, height() - 1);
        p.setPen(QPen(Qt::red, 1));
        p.drawRect(frame);
        p.drawLine(frame.topLeft(), frame.bottomRight());
        p.drawLine(frame.topRight(), frame.bottomLeft());
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // Card millimetres, as the renderer draws the card.
    p.translate(-x(), -y());
    p.scale(m_canvas->pixelsPerMmX(), m_canvas->pixelsPerMmY());
    const CardRenderer renderer(m_doc.card, decoded);
    CardRenderer::paintLogo(p, decoded, renderer.logoBox());
    // The handle, while the pointer is over the logo.
    if (underMouse() || m_drag == Drag::Resize) {
        p.resetTransform();
        p.fillRect(resizeHandle(), QColor(40, 90, 200));
    }
}

void LogoItem::mousePressEvent(QMouseEvent* event) {
    if (!resizeHandle().contains(event->position().toPoint())) {
        CardItem::mousePressEvent(event);
        return;
    }
    m_drag = Drag::Resize;
    // From the right edge, so that the edge follows the pointer.
    const CardLogo& logo = m_doc.card.Logo;
    m_grab = QPointF(pointerMm(event).x() - (logo.Left + logo.Width), 0);
    emit grabbed();
}

void LogoItem::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag == Drag::None) {
        setCursor(resizeHandle().contains(event->position().toPoint()) ? Qt::SizeFDiagCursor
                                                                       : Qt::SizeAllCursor);
        update();
        return;
    }
    if (m_drag == Drag::Move) {
        CardItem::mouseMoveEvent(event);
        return;
    }
    // The corner stops at the card's margins; the logo stays where it is.
    CardLogo& logo = m_doc.card.Logo;
    const double aspect = shownAspect();
    const PrintStyle& s = m_doc.card.PrintStyle;
    const double widest =
        std::min(s.MsX - 2 - logo.Left, aspect > 0 ? (s.MsY - 2 - logo.Top) / aspect : s.MsX);
    const double wanted = pointerMm(event).x() - m_grab.x() - logo.Left;
    logo.Width = tenths(std::clamp(wanted, MinLogoWidth, std::max(MinLogoWidth, widest)));
    if (logo.Width > widest)
        logo.Width = std::max(MinLogoWidth, std::floor(widest * 10) / 10);
    refresh();
}
