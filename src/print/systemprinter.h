#pragma once

#include "painterprinter.h"

#include <QList>
#include <QPageLayout>
#include <QSizeF>
#include <memory>

class QPrinter;
class QPrinterInfo;

// A printer of the system (CUPS) through QPrinter. The page is a custom size
// in points; the unprintable margins and the resolution are the printer's.
//
// Qt cannot withdraw a print job once painting on a QPrinter has begun, so
// the pages are collected and painted on the printer only by EndDoc: KillDoc
// then sends nothing at all.
class SystemPrinter : public PainterPrinter {
public:
    explicit SystemPrinter(const QPrinterInfo& info);
    // A QPrinter the caller has set up (a file output, for instance).
    explicit SystemPrinter(std::unique_ptr<QPrinter> printer);
    ~SystemPrinter() override;

    QString DeviceName() const override;
    int PhysicalOffsetX() const override;
    int PhysicalOffsetY() const override;
    int PrintQuality() const override;

    // The QPrinter itself, for the system's print set-up dialog.
    QPrinter& qprinter() { return *m_printer; }

protected:
    Margins marginsFor(double widthTwips, double heightTwips) const override;
    bool acceptsPaperSize(int size) const override;
    double grantedHeight(double requestedTwips) const override;

    QPagedPaintDevice& openDocument() override;
    void preparePage(QPagedPaintDevice& device, double widthTwips, double heightTwips) override;
    void closeDocument(bool) override {}

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

private:
    struct Operation {
        enum Kind { Text, Line, Picture, Painted } kind = Text;
        // twips; a picture's x, y, width, height; a painting's origin and unit
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        QString text;
        PrinterFont font;
        quint32 color = 0;
        bool transparent = true;
        QImage picture; // shares the caller's data and cache key
        PaintRoutine paint;
    };
    struct Page {
        double widthTwips = 0, heightTwips = 0;
        QList<Operation> operations;
    };

    // The printer's layout for a page of this size: Qt's custom size and the
    // printer's minimum margins for it.
    QPageLayout layoutFor(double widthTwips, double heightTwips) const;
    // Tells the print system the job's paper (its first page's).
    void nameJobPaper();
    void replay();

    std::unique_ptr<QPrinter> m_printer;
    // Asked about page sizes, so the printer that paints is never changed
    // in between.
    std::unique_ptr<QPrinter> m_probe;
    mutable QSizeF m_probedSize;
    mutable QPageLayout m_probedLayout;
    QList<Page> m_pages;
    bool m_jobPaperNamed = false;
};

// The system's printers, then the built-in "PDF".
class SystemPrinterHost : public PrinterHost {
public:
    QStringList deviceNames() const override;
    std::unique_ptr<Printer> open(const QString& deviceName) const override;
};
