#include "pdfprinter.h"

#include "base/runtimeerror.h"
#include "exactpdf.h"

#include <QFileInfo>
#include <QPdfWriter>

PdfPrinter::PdfPrinter() = default;

PdfPrinter::~PdfPrinter() {
    if (jobOpen()) {
        try {
            KillDoc();
        } catch (const RuntimeError&) {
        }
    }
}

QPagedPaintDevice& PdfPrinter::openDocument() {
    if (m_outputFile.isEmpty())
        throw RuntimeError(RuntimeError::BadFileName);
    m_document = std::make_unique<ExactPdf>(m_outputFile, SafeFile::Kind::Durable, Resolution,
                                            QFileInfo(m_outputFile).completeBaseName());
    return m_document->writer();
}

void PdfPrinter::preparePage(QPagedPaintDevice&, double widthTwips, double heightTwips) {
    // The sheet, when one is set, is the page: the paper search's longer page
    // only measures the printable area.
    m_document->setPage(Sheet().isEmpty()
                            ? QSizeF(widthTwips, heightTwips) / Printer::TwipsPerMillimetre
                            : Sheet());
}

void PdfPrinter::closeDocument(bool keep) {
    const std::unique_ptr<ExactPdf> document = std::move(m_document);
    if (!document || !keep)
        return; // the unfinished files go with the document
    // A write the disk refused (a full disk) fails here, and the older file
    // of that name stays.
    document->finish();
}

QStringList PdfOnlyPrinterHost::deviceNames() const {
    return {PdfPrinter::Name()};
}

std::unique_ptr<Printer> PdfOnlyPrinterHost::open(const QString& deviceName) const {
    if (!PdfPrinter::isBuiltInName(deviceName))
        return nullptr;
    return std::make_unique<PdfPrinter>();
}
