#pragma once

#include "base/safewrite.h"

#include <QSizeF>
#include <QString>
#include <memory>
#include <vector>

class QPdfWriter;
class QTemporaryDir;

// A PDF document whose pages are exactly the sizes asked for. QPdfWriter
// gives every page whole points (an A4 page 595 × 842 pt, 209.90 ×
// 297.04 mm) and draws from the top edge of that rounded page; the document
// it writes is therefore kept in a scratch file of its own, and finish()
// writes it into the destination with each page's boxes set to its exact
// size and its drawing moved with the top edge (libqpdf). The painter's
// origin is the page's top-left corner: no margins.
class ExactPdf {
public:
    // Opens the destination (a SafeFile of that kind) and the scratch file
    // in a folder of its own under the temporary folder. Throws
    // RuntimeError with the error number when either cannot be opened.
    ExactPdf(const QString& destination, SafeFile::Kind kind, int resolution, const QString& title);
    ~ExactPdf(); // an unfinished document is dropped, the destination untouched

    QPdfWriter& writer() { return *m_writer; }

    // The next page (or the first, before the painter begins) is this size.
    void setPage(const QSizeF& millimetres);

    // Ends the writer and puts the exact document in place. Throws
    // RuntimeError: the number of a failed write (61 a full disk), or 57 when
    // the writer's document cannot be read back.
    void finish();

    const QString& destination() const { return m_destination->path(); }

private:
    struct Page {
        QSizeF points;        // the size asked for
        double writtenHeight; // the whole points QPdfWriter gives it
    };

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<SafeFile> m_scratch;
    std::unique_ptr<SafeFile> m_destination;
    std::unique_ptr<QPdfWriter> m_writer;
    std::vector<Page> m_pages;
};
