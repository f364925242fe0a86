#pragma once

#include "painterprinter.h"

#include <memory>

class ExactPdf;

// The built-in printer "PDFファイル": writes each document to a PDF file,
// 1200 dots per inch, with no unprintable area; its pages are the sheet's
// paper exactly, to the hundredth of a millimetre. The file is written
// beside its destination and moved into place by EndDoc, so a discarded or
// failed job leaves no partial file and an older file of that name intact.
class PdfPrinter : public PainterPrinter {
public:
    static constexpr int Resolution = 1200;

    PdfPrinter();
    ~PdfPrinter() override;

    static QString Name() { return PrinterHost::BuiltInPdfName(); }
    // Its name, or "PDF", the name earlier versions gave it.
    static bool isBuiltInName(const QString& name) {
        return name == Name() || name == QLatin1String("PDF");
    }

    QString DeviceName() const override { return Name(); }
    int PhysicalOffsetX() const override { return 0; }
    int PhysicalOffsetY() const override { return 0; }
    int PrintQuality() const override { return Resolution; }

    // Where the next document goes; a job started without one fails with
    // error 52.
    bool setOutputFile(const QString& path) override {
        m_outputFile = path;
        return true;
    }
    QString outputFile() const { return m_outputFile; }

protected:
    Margins marginsFor(double, double) const override { return {}; }
    QPagedPaintDevice& openDocument() override;
    void preparePage(QPagedPaintDevice& device, double widthTwips, double heightTwips) override;
    void closeDocument(bool keep) override;

private:
    QString m_outputFile;
    std::unique_ptr<ExactPdf> m_document;
};

// Only the built-in PDF printer: the command line and the tests.
class PdfOnlyPrinterHost : public PrinterHost {
public:
    QStringList deviceNames() const override;
    std::unique_ptr<Printer> open(const QString& deviceName) const override;
};
