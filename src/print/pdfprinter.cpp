#include "pdfprinter.h"

#include "base/runtimeerror.h"
#include "base/safewrite.h"

#include <QFileInfo>
#include <QPageLayout>
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
    auto file = std::make_unique<SafeFile>(m_outputFile);
    if (const int error = file->open())
        throw WriteError(error, m_outputFile);
    m_file = std::move(file);
    m_writer = std::make_unique<QPdfWriter>(&m_file->device());
    m_writer->setResolution(Resolution);
    m_writer->setCreator(QStringLiteral("Quillo"));
    m_writer->setTitle(QFileInfo(m_outputFile).completeBaseName());
    return *m_writer;
}

void PdfPrinter::preparePage(QPagedPaintDevice& device, double widthTwips, double heightTwips) {
    // Twips are twentieths of a point. ExactMatch keeps a size that is close
    // to a standard one (210.02 mm wide) from being snapped to it.
    // The sheet, when one is set, is the page: the paper search's longer page
    // only measures the printable area.
    const QPageSize size =
        Sheet().isEmpty()
            ? QPageSize(QSizeF(widthTwips / 20.0, heightTwips / 20.0), QPageSize::Point, QString(),
                        QPageSize::ExactMatch)
            : QPageSize(Sheet(), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    device.setPageLayout(
        QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point));
}

void PdfPrinter::closeDocument(bool keep) {
    m_writer.reset();
    std::unique_ptr<SafeFile> file = std::move(m_file);
    if (!file || !keep)
        return; // the unfinished temporary file goes with the SafeFile
    // A write the disk refused (a full disk) fails here, and the older file
    // of that name stays.
    if (const int error = file->commit())
        throw RuntimeError(error);
}

QStringList PdfOnlyPrinterHost::deviceNames() const {
    return {PdfPrinter::Name()};
}

std::unique_ptr<Printer> PdfOnlyPrinterHost::open(const QString& deviceName) const {
    if (!PdfPrinter::isBuiltInName(deviceName))
        return nullptr;
    return std::make_unique<PdfPrinter>();
}
