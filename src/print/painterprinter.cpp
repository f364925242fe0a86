#include "painterprinter.h"

#include "document/card.h"

#include "base/runtimeerror.h"

#include <QPagedPaintDevice>

PainterPrinter::PainterPrinter() = default;
PainterPrinter::~PainterPrinter() = default;

double PainterPrinter::toPixels(double twips) const {
    return twips * PrintQuality() / 1440.0;
}

void PainterPrinter::beginJob() {
    beginPainting(Width(), Height());
}

void PainterPrinter::startNewPage() {
    nextPage(Width(), Height());
}

void PainterPrinter::beginPainting(double widthTwips, double heightTwips) {
    QPagedPaintDevice& device = openDocument();
    preparePage(device, widthTwips, heightTwips);
    if (!m_painter.begin(&device)) {
        closeDocument(false);
        throw RuntimeError(RuntimeError::DeviceIo);
    }
    m_device = &device;
    m_shaped.clear();
    placeOrigin();
    // Pictures go to the page as they are: JPEG would blur the text of a
    // rendered card. Painted content is drawn smooth, as on the screen.
    m_painter.setRenderHint(QPainter::LosslessImageRendering);
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setRenderHint(QPainter::TextAntialiasing);
}

void PainterPrinter::drawText(double xTwips, double yTwips, const QString& text,
                              const PrinterFont& font, quint32 color, bool transparent) {
    m_painter.setPen(ColorFromRgb(color));
    // (x, y) is the top-left corner of the text; QPainter wants the baseline.
    const QPointF baseline(toPixels(xTwips), toPixels(yTwips + ascentTwips(font)));
    if (transparent) {
        // Each line is shaped once a job and its glyphs drawn at every card.
        m_shaped.line(text, toQFont(font), m_device).draw(m_painter, baseline);
        return;
    }
    m_painter.setFont(toQFont(font));
    m_painter.setBackgroundMode(Qt::OpaqueMode);
    m_painter.setBackground(Qt::white);
    m_painter.drawText(baseline, text);
    m_painter.setBackgroundMode(Qt::TransparentMode);
}

void PainterPrinter::drawLine(double x1, double y1, double x2, double y2, quint32 color) {
    // The default pen of a printer: one device pixel wide.
    m_painter.setPen(QPen(ColorFromRgb(color), 1.0));
    m_painter.drawLine(QPointF(toPixels(x1), toPixels(y1)), QPointF(toPixels(x2), toPixels(y2)));
}

void PainterPrinter::drawPicture(const QImage& picture, double x, double y, double w, double h) {
    // The caller's QImage itself is drawn: PDF output stores a picture once per
    // QImage (by its cache key), however many times it is painted.
    m_painter.drawImage(QRectF(toPixels(x), toPixels(y), toPixels(w), toPixels(h)), picture);
}

void PainterPrinter::paintWith(double xTwips, double yTwips, double unitXTwips, double unitYTwips,
                               const PaintRoutine& paint) {
    // The routine leaves the painter as it found it but for the transform
    // set here; a save and restore would write the whole painter state into
    // the page twice for every routine.
    const QTransform page = m_painter.worldTransform();
    m_painter.translate(toPixels(xTwips), toPixels(yTwips));
    m_painter.scale(toPixels(unitXTwips), toPixels(unitYTwips));
    try {
        paint(m_painter);
    } catch (...) {
        m_painter.setWorldTransform(page);
        throw;
    }
    m_painter.setWorldTransform(page);
}

void PainterPrinter::nextPage(double widthTwips, double heightTwips) {
    preparePage(*m_device, widthTwips, heightTwips);
    if (!m_device->newPage())
        throw RuntimeError(RuntimeError::DeviceIo);
    placeOrigin();
}

void PainterPrinter::placeOrigin() {
    m_painter.setWorldTransform(QTransform::fromTranslate(m_origin.x(), m_origin.y()));
}

void PainterPrinter::finishJob() {
    m_device = nullptr;
    m_shaped.clear();
    const bool ended = m_painter.end();
    closeDocument(ended);
    if (!ended)
        throw RuntimeError(RuntimeError::DeviceIo);
}

void PainterPrinter::discardJob() {
    abortDocument();
    m_device = nullptr;
    m_shaped.clear();
    if (m_painter.isActive())
        m_painter.end();
    closeDocument(false);
}
