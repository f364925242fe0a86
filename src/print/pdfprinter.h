#pragma once

#include "painterprinter.h"

#include <memory>

class QPdfWriter;
class SafeFile;

// The built-in printer "PDF": writes each document to a PDF file, 1200 dots
// per inch, with no unprintable area. The file is written beside its
// destination and moved into place by EndDoc, so a discarded or failed job
// leaves no partial file and an older file of that name intact.
class PdfPrinter : public PainterPrinter {
public:
    static constexpr int Resolution = 1200;

    PdfPrinter();
    ~PdfPrinter() override;

    QString DeviceName() const override { return QStringLiteral("PDF"); }
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
    std::unique_ptr<SafeFile> m_file;
    std::unique_ptr<QPdfWriter> m_writer;
};

// Only the built-in PDF printer: the command line and the tests.
class PdfOnlyPrinterHost : public PrinterHost {
public:
    QStringList deviceNames() const override;
    std::unique_ptr<Printer> open(const QString& deviceName) const override;
};
