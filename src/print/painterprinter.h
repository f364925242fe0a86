#pragma once

#include "base/printer.h"
#include "base/shapedtext.h"

#include <QPainter>

class QPagedPaintDevice;

// A printer whose pages are painted with QPainter on a paged device (a PDF
// writer, a QPrinter). Painter coordinates are device pixels at PrintQuality()
// dots per inch with their origin at the printable area's top-left corner;
// each device arranges its page layout so. By default every call paints at
// once; a device may collect the pages and paint them later through
// beginPainting, the draw hooks of this class and nextPage.
//
// Devices discard an unfinished job in their destructors (KillDoc).
class PainterPrinter : public Printer {
protected:
    PainterPrinter();
    ~PainterPrinter() override;

    // Opens a new document; throws RuntimeError when the device cannot.
    virtual QPagedPaintDevice& openDocument() = 0;
    // Sets the device's page size (twips) before a page begins.
    virtual void preparePage(QPagedPaintDevice& device, double widthTwips, double heightTwips) = 0;
    // Called on KillDoc while the painter is still active.
    virtual void abortDocument() {}
    // Called after the painter has ended: keep (EndDoc, the painter ended
    // cleanly) or throw the document away. Throws when keeping fails.
    virtual void closeDocument(bool keep) = 0;

    void beginJob() override;
    void drawText(double xTwips, double yTwips, const QString& text, const PrinterFont& font,
                  quint32 color, bool transparent) override;
    void drawLine(double x1, double y1, double x2, double y2, quint32 color) override;
    void drawPicture(const QImage& picture, double x, double y, double w, double h) override;
    void paintWith(double xTwips, double yTwips, double unitXTwips, double unitYTwips,
                   const PaintRoutine& paint) override;
    void startNewPage() override;
    void finishJob() override;
    void discardJob() override;

    // Opens the document with a first page of this size, and starts the next.
    void beginPainting(double widthTwips, double heightTwips);
    void nextPage(double widthTwips, double heightTwips);

    // Where the printable area's corner lies on the page preparePage set,
    // device pixels from its top-left corner: the painter's origin. The
    // device's pages are drawn whole (no margins of Qt's, which it rounds to
    // whole points), so the origin is placed here exactly.
    void setPageOrigin(QPointF pixels) { m_origin = pixels; }

private:
    double toPixels(double twips) const;
    void placeOrigin();

    QPainter m_painter;
    // The lines of the job: a sheet prints the same lines at every card.
    ShapedTextCache m_shaped;
    QPagedPaintDevice* m_device = nullptr;
    QPointF m_origin;
};
