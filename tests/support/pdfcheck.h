#pragma once

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <optional>

// Looks into PDF files with poppler's command-line tools (poppler-utils).
namespace pdfcheck {

// Whether pdfinfo, pdftoppm and pdftotext can be run.
bool available();
// Page sizes in points, in page order; nothing when the file is no PDF.
std::optional<QList<QSizeF>> pageSizes(const QString& path);
// Page (1-based) rendered at dpi without anti-aliasing.
QImage renderPage(const QString& path, int page, int dpi);
// The text of all pages.
QString text(const QString& path);
// The centre of the ink within area (millimetres from the page's top-left
// corner) of page 1, rendered smooth at dpi: each pixel weighs as dark as
// its red is, so dark blue and dark green marks on white count whole.
// Nothing when the area holds no ink.
std::optional<QPointF> inkCentre(const QString& path, const QRectF& area, int dpi);
// A PostScript file (a driver's output) turned into a PDF by ghostscript's
// ps2pdf, for the looks above; false when ghostscript is missing or fails.
bool fromPostScript(const QString& ps, const QString& pdf);

// The pictures the pages draw, as pdfimages lists them: one entry for each
// time a page draws one, with the number of the object that holds it.
struct Image {
    int page = 0;
    QString type; // "image", or "smask" for the transparency of the one before
    QSize size;
    int object = 0;
};
QList<Image> images(const QString& path);
// A word as pdftotext -bbox finds it: its page (from 1) and box in points
// from the page's top-left corner.
struct Word {
    int page = 0;
    QRectF box;
    QString text;
};
QList<Word> words(const QString& path);

} // namespace pdfcheck
