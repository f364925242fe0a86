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

double tenths(double mm) {
    return std::round(mm * 10) / 10;
}

} // namespace

LogoItem::LogoItem(CardDocument& doc, CardCanvas* canvas)
    : QWidget(canvas), m_doc(doc), m_canvas(canvas) {
    setObjectName(QStringLiteral("LogoItem"));
    setCursor(Qt::SizeAllCursor);
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    setVisible(false);
}

QRect LogoItem::resizeHandle() const {
    return QRect(width() - HandlePixels, height() - HandlePixels, HandlePixels, HandlePixels);
}

void LogoItem::refresh() {
    CardLogo& logo = m_doc.card.Logo;
    if (!logo.On) {
        setVisible(false);
        emit shown();
        return;
    }
    const DecodedLogo decoded = m_doc.logoImage();
    // A logo whose picture is missing keeps its place as the file holds it:
    // its height is not known, so only its corner is kept on the card.
    KeepLogoOnCard(logo, decoded.aspect(), CardSize(m_doc.card).width(),
                   CardSize(m_doc.card).height());
    const double aspect = decoded.isNull() ? UnknownAspect : decoded.aspect();
    const double ppmX = m_canvas->pixelsPerMmX();
    const double ppmY = m_canvas->pixelsPerMmY();
    const int left = int(std::floor(logo.Left * ppmX));
    const int top = int(std::floor(logo.Top * ppmY));
    const double height = LogoHeight(logo, aspect);
    setGeometry(left, top, std::max(1, int(std::lround((logo.Left + logo.Width) * ppmX)) - left),
                std::max(1, int(std::lround((logo.Top + height) * ppmY)) - top));
    setVisible(true);
    m_canvas->stackItems();
    update();
    emit shown();
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
    const QPointF onCanvas = mapToParent(event->position());
    const CardLogo& logo = m_doc.card.Logo;
    const QPointF mm(onCanvas.x() / m_canvas->pixelsPerMmX(),
                     onCanvas.y() / m_canvas->pixelsPerMmY());
    if (resizeHandle().contains(event->position().toPoint())) {
        m_drag = Drag::Resize;
        // From the right edge, so that the edge follows the pointer.
        m_grab = QPointF(mm.x() - (logo.Left + logo.Width), 0);
    } else {
        m_drag = Drag::Move;
        m_grab = mm - QPointF(logo.Left, logo.Top);
    }
    emit grabbed();
}

void LogoItem::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag == Drag::None) {
        setCursor(resizeHandle().contains(event->position().toPoint()) ? Qt::SizeFDiagCursor
                                                                       : Qt::SizeAllCursor);
        update();
        return;
    }
    const QPointF onCanvas = mapToParent(event->position());
    const QPointF mm(onCanvas.x() / m_canvas->pixelsPerMmX(),
                     onCanvas.y() / m_canvas->pixelsPerMmY());
    CardLogo& logo = m_doc.card.Logo;
    const DecodedLogo decoded = m_doc.logoImage();
    const double aspect = decoded.isNull() ? UnknownAspect : decoded.aspect();
    if (m_drag == Drag::Resize) {
        // The corner stops at the card's margins; the logo stays where it is.
        const PrintStyle& s = m_doc.card.PrintStyle;
        const double widest =
            std::min(s.MsX - 2 - logo.Left, aspect > 0 ? (s.MsY - 2 - logo.Top) / aspect : s.MsX);
        const double wanted = mm.x() - m_grab.x() - logo.Left;
        logo.Width = tenths(std::clamp(wanted, MinLogoWidth, std::max(MinLogoWidth, widest)));
        if (logo.Width > widest)
            logo.Width = std::max(MinLogoWidth, std::floor(widest * 10) / 10);
    } else {
        const QRectF box(mm - m_grab, QSizeF(logo.Width, LogoHeight(logo, aspect)));
        const QPointF to = m_canvas->snapDragged(box, CardCanvas::LogoSnapId,
                                                 event->modifiers() & Qt::AltModifier);
        // The card file holds tenths of a millimetre.
        logo.Left = tenths(to.x());
        logo.Top = tenths(to.y());
    }
    refresh();
}

void LogoItem::mouseReleaseEvent(QMouseEvent* event) {
    if (m_drag == Drag::None || event->buttons() != Qt::NoButton)
        return;
    m_drag = Drag::None;
    m_canvas->endGuides();
    m_doc.markChanged(CardChange::Logo);
}
