#pragma once

#include "cupsjob.h"
#include "painterprinter.h"

#include <QPageLayout>
#include <QSizeF>
#include <memory>

class ExactPdf;
class QPrinter;
class QPrinterInfo;
class QTemporaryDir;

// A printer of the system (CUPS). Its unprintable margins and resolution
// are the queue's, as Qt reads them; the pages are painted into a PDF
// document whose pages are the queue's paper for the sheet (QueuePaper),
// with the printable corner placed exactly, which EndDoc hands to CUPS with
// the options chosen in the printer settings and that paper. EndDoc then
// follows the job until CUPS has taken it for printing: a queue that
// rejects it or is stopped, or a job CUPS aborts or cancels, is a failed
// print (RuntimeError 57 with CUPS's reason as the detail). A KillDoc,
// before EndDoc or from the job watch while EndDoc follows the job, leaves
// nothing queued.
class SystemPrinter : public PainterPrinter {
public:
    explicit SystemPrinter(const QPrinterInfo& info);
    // A QPrinter the caller has set up. One that writes a PDF file gets the
    // document in that file instead of a queue.
    explicit SystemPrinter(std::unique_ptr<QPrinter> printer);
    ~SystemPrinter() override;

    QString DeviceName() const override;
    int PhysicalOffsetX() const override;
    int PhysicalOffsetY() const override;
    int PrintQuality() const override;
    QString JobRequestId() const override { return m_requestId; }

    // The QPrinter itself, for the system's print set-up dialog.
    QPrinter& qprinter() { return *m_printer; }

    // How long EndDoc follows a job that is neither printed nor refused; it
    // then counts as accepted, waiting in its queue.
    static constexpr int DefaultFollowMs = 30000;
    void setFollowLimit(int milliseconds) { m_followMs = milliseconds; }

    // The options a job on this queue is sent with: the printer settings'
    // (copies, sides, colour, the queue's own options), and the paper of
    // the document's first page.
    CupsJob::Options jobOptions(const QueuePaper& paper) const;

    // The page a sheet is printed on and how the queue is asked for it: the
    // queue's paper (CupsQueuePaper); printing into a file, the standard
    // paper's exact size, else the sheet's.
    QueuePaper paperFor(const QSizeF& sheetMillimetres) const;
    QString paperProblem(const QSizeF& millimetres) const override;

protected:
    Margins marginsFor(double widthTwips, double heightTwips) const override;
    bool acceptsPaperSize(int size) const override;
    double grantedHeight(double requestedTwips) const override;

    QPagedPaintDevice& openDocument() override;
    void preparePage(QPagedPaintDevice& device, double widthTwips, double heightTwips) override;
    void closeDocument(bool keep) override;

private:
    // The printer's layout for a page of this size: Qt's custom size and the
    // printer's minimum margins for it.
    QPageLayout layoutFor(double widthTwips, double heightTwips) const;
    bool printsToQueue() const;
    void sendToQueue(const QString& pdfPath);

    std::unique_ptr<QPrinter> m_printer;
    // Asked about page sizes, so the printer itself is never changed.
    std::unique_ptr<QPrinter> m_probe;
    mutable QSizeF m_probedSize;
    mutable QPageLayout m_probedLayout;

    std::unique_ptr<QTemporaryDir> m_spool; // where the document for the queue is made
    std::unique_ptr<ExactPdf> m_document;   // the document, for the queue or the file
    mutable QSizeF m_paperSheet;            // the sheet paperFor was last asked about
    mutable QueuePaper m_paper;
    QueuePaper m_firstPaper;
    bool m_firstPage = true;
    QString m_requestId;
    int m_followMs = DefaultFollowMs;
};

// The system's printers, its default destination first, then the built-in
// PDF printer. A name that both a queue and the built-in printer answer to
// ("PDF", as cards and settings of earlier versions name the built-in one)
// is the queue's when it exists.
class SystemPrinterHost : public PrinterHost {
public:
    // The default destination first.
    QStringList deviceNames() const override;
    QString defaultDeviceName() const override;
    std::unique_ptr<Printer> open(const QString& deviceName) const override;
};
