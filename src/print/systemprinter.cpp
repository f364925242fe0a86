#include "systemprinter.h"

#include "base/runtimeerror.h"
#include "base/safewrite.h"
#include "exactpdf.h"
#include "pdfprinter.h"

#include <QDir>
#include <QPdfWriter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <cmath>

namespace {

QPageSize customPageSize(double widthTwips, double heightTwips) {
    // ExactMatch: a size near a standard one stays the size asked for.
    return QPageSize(QSizeF(widthTwips / 20.0, heightTwips / 20.0), QPageSize::Point, QString(),
                     QPageSize::ExactMatch);
}

// QPrinter's CUPS engine keeps the options chosen in the printer settings
// as name/value pairs under this property (Qt's private PPK_CupsOptions).
constexpr auto CupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

} // namespace

SystemPrinter::SystemPrinter(const QPrinterInfo& info)
    : SystemPrinter(std::make_unique<QPrinter>(info, QPrinter::HighResolution)) {}

SystemPrinter::SystemPrinter(std::unique_ptr<QPrinter> printer)
    : m_printer(std::move(printer)), m_probe(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    m_probe->setOutputFormat(m_printer->outputFormat());
    if (m_printer->outputFormat() == QPrinter::NativeFormat)
        m_probe->setPrinterName(m_printer->printerName());

    // Start with the printer's own paper, its number as the paper numbers go.
    QPageLayout layout = m_printer->pageLayout();
    const QSizeF points = layout.pageSize().size(QPageSize::Point);
    const int number = layout.pageSize().windowsId();
    initPage(number > 0 ? number : PaperUser, points.width() * 20, points.height() * 20);
}

SystemPrinter::~SystemPrinter() {
    if (jobOpen()) {
        try {
            KillDoc();
        } catch (const RuntimeError&) {
        }
    }
}

QString SystemPrinter::DeviceName() const {
    return m_printer->printerName();
}

int SystemPrinter::PrintQuality() const {
    return m_printer->resolution();
}

int SystemPrinter::PhysicalOffsetX() const {
    const Margins m = marginsFor(Width(), Height());
    return int(std::lround(m.left * PrintQuality() / 1440.0));
}

int SystemPrinter::PhysicalOffsetY() const {
    const Margins m = marginsFor(Width(), Height());
    return int(std::lround(m.top * PrintQuality() / 1440.0));
}

QPageLayout SystemPrinter::layoutFor(double widthTwips, double heightTwips) const {
    const QSizeF size(widthTwips, heightTwips);
    if (size != m_probedSize || !m_probedLayout.isValid()) {
        m_probe->setPageOrientation(QPageLayout::Portrait);
        m_probe->setPageSize(customPageSize(widthTwips, heightTwips));
        QPageLayout layout = m_probe->pageLayout();
        layout.setUnits(QPageLayout::Point);
        m_probedLayout = layout;
        m_probedSize = size;
    }
    return m_probedLayout;
}

Printer::Margins SystemPrinter::marginsFor(double widthTwips, double heightTwips) const {
    const QMarginsF m = layoutFor(widthTwips, heightTwips).minimumMargins(); // points
    return {m.left() * 20, m.top() * 20, m.right() * 20, m.bottom() * 20};
}

bool SystemPrinter::acceptsPaperSize(int size) const {
    if (size == PaperUser && m_printer->outputFormat() == QPrinter::NativeFormat)
        return QPrinterInfo(*m_printer).supportsCustomPageSizes();
    return Printer::acceptsPaperSize(size);
}

double SystemPrinter::grantedHeight(double requestedTwips) const {
    // The driver may put a size it knows in place of the one asked for.
    const QSizeF points = layoutFor(Width(), requestedTwips).pageSize().size(QPageSize::Point);
    return points.isValid() ? points.height() * 20 : requestedTwips;
}

bool SystemPrinter::printsToQueue() const {
    return m_printer->outputFormat() == QPrinter::NativeFormat;
}

QPagedPaintDevice& SystemPrinter::openDocument() {
    // The document for a queue is written as any file is, into a folder of
    // its own, and sent once it is complete: a full temporary folder fails
    // the print instead of sending a cut-off document.
    QString path = m_printer->outputFileName();
    SafeFile::Kind kind = SafeFile::Kind::Durable;
    std::unique_ptr<QTemporaryDir> spool;
    if (printsToQueue()) {
        spool =
            std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quillo-XXXXXX"));
        if (!spool->isValid())
            throw RuntimeError(RuntimeError::DeviceIo);
        path = spool->filePath(QStringLiteral("card.pdf"));
        kind = SafeFile::Kind::Scratch; // read back at once, never kept
    }
    auto document =
        std::make_unique<ExactPdf>(path, kind, PrintQuality(), QStringLiteral("Quillo"));
    m_spool = std::move(spool);
    m_document = std::move(document);
    m_firstPage = true;
    m_requestId.clear();
    return m_document->writer();
}

QueuePaper SystemPrinter::paperFor(const QSizeF& sheet) const {
    if (sheet == m_paperSheet && !m_paper.millimetres.isEmpty())
        return m_paper;
    QueuePaper paper;
    if (printsToQueue()) {
        paper = CupsQueuePaper(m_printer->printerName(), sheet);
    } else {
        const StandardPaper* standard = StandardPaperFor(sheet);
        paper.millimetres = standard ? QPageSize(standard->id).size(QPageSize::Millimeter) : sheet;
    }
    m_paperSheet = sheet;
    m_paper = paper;
    return paper;
}

QString SystemPrinter::paperProblem(const QSizeF& millimetres) const {
    return paperFor(millimetres).problem;
}

void SystemPrinter::preparePage(QPagedPaintDevice&, double widthTwips, double heightTwips) {
    // The page is the paper the queue has for the sheet, which is the page
    // that was measured unless a sheet was set; the painter's origin is the
    // printable corner of that page, placed exactly.
    const QSizeF sheet =
        Sheet().isEmpty() ? QSizeF(widthTwips, heightTwips) / Printer::TwipsPerMillimetre : Sheet();
    QueuePaper paper;
    if (Sheet().isEmpty() && !printsToQueue())
        paper.millimetres = sheet; // a file takes the page as it was set
    else
        paper = paperFor(sheet);
    m_document->setPage(paper.millimetres);
    const QSizeF twips = paper.millimetres * Printer::TwipsPerMillimetre;
    const QMarginsF margins = layoutFor(twips.width(), twips.height()).minimumMargins(); // points
    setPageOrigin(QPointF(margins.left(), margins.top()) * PrintQuality() / 72.0);
    if (m_firstPage) {
        m_firstPaper = paper;
        m_firstPage = false;
    }
}

void SystemPrinter::closeDocument(bool keep) {
    const std::unique_ptr<QTemporaryDir> spool = std::move(m_spool);
    const std::unique_ptr<ExactPdf> document = std::move(m_document);
    if (!document || !keep)
        return; // the unfinished file goes with the document
    document->finish();
    if (spool)
        sendToQueue(document->destination());
}

CupsJob::Options SystemPrinter::jobOptions(const QueuePaper& paper) const {
    CupsJob::Options options;
    auto add = [&options](const QByteArray& name, const QByteArray& value) {
        options.append(qMakePair(name, value));
    };
    const QStringList chosen = m_printer->printEngine()->property(CupsOptionsKey).toStringList();
    for (qsizetype i = 0; i + 1 < chosen.size(); i += 2) {
        // The paper is the print style's, whatever the settings chose.
        if (chosen[i] == u"media" || chosen[i] == u"PageSize" || chosen[i] == u"PageRegion")
            continue;
        add(chosen[i].toUtf8(), chosen[i + 1].toUtf8());
    }
    if (m_printer->copyCount() > 1) {
        add("copies", QByteArray::number(m_printer->copyCount()));
        if (m_printer->collateCopies())
            add("Collate", "True");
    }
    switch (m_printer->duplex()) {
    case QPrinter::DuplexNone:
        add("sides", "one-sided");
        break;
    case QPrinter::DuplexAuto:
    case QPrinter::DuplexLongSide:
        add("sides", "two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        add("sides", "two-sided-short-edge");
        break;
    }
    if (m_printer->colorMode() == QPrinter::GrayScale)
        add("print-color-mode", "monochrome");
    // A standard paper by its name, any other as a custom size of exactly
    // the sheet (in millimetres: whole points would move the cards).
    if (!paper.option.isEmpty())
        add(paper.option, paper.value);
    return options;
}

void SystemPrinter::sendToQueue(const QString& pdfPath) {
    const int kills = KillDocCount();
    const QString queue = m_printer->printerName();
    CupsJob job(queue, QStringLiteral("Quillo"), pdfPath, jobOptions(m_firstPaper));
    m_requestId = job.requestId();
    CupsJobStatus last;
    const CupsVerdict verdict = job.follow(
        [&](const CupsJobStatus& s) {
            reportJobState(
                QStringLiteral("ジョブ %1: %2").arg(job.requestId(), CupsJobStateText(s.jobState)));
            return KillDocCount() == kills;
        },
        m_followMs, &last);
    // Withdrawn by a KillDoc: a discarded job, not a failure.
    if (verdict == CupsVerdict::Failed && KillDocCount() == kills)
        throw RuntimeError(RuntimeError::DeviceIo, RuntimeError::describe(RuntimeError::DeviceIo),
                           CupsFailureReason(queue, last));
}

QStringList SystemPrinterHost::deviceNames() const {
    QStringList names = QPrinterInfo::availablePrinterNames();
    const QString preferred = defaultDeviceName();
    if (names.removeAll(preferred) > 0)
        names.prepend(preferred);
    names.append(PdfPrinter::Name());
    return names;
}

QString SystemPrinterHost::defaultDeviceName() const {
    return CupsDefaultDestination();
}

std::unique_ptr<Printer> SystemPrinterHost::open(const QString& deviceName) const {
    const QPrinterInfo info = QPrinterInfo::printerInfo(deviceName);
    if (!info.isNull())
        return std::make_unique<SystemPrinter>(info);
    if (PdfPrinter::isBuiltInName(deviceName))
        return std::make_unique<PdfPrinter>();
    return nullptr;
}
