#include "systemprinter.h"

#include "base/runtimeerror.h"
#include "pdfprinter.h"

#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

namespace {

QPageSize customPageSize(double widthTwips, double heightTwips) {
    // ExactMatch: a size near a standard one stays the size asked for.
    return QPageSize(QSizeF(widthTwips / 20.0, heightTwips / 20.0), QPageSize::Point, QString(),
                     QPageSize::ExactMatch);
}

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

QPagedPaintDevice& SystemPrinter::openDocument() {
    m_printer->setFullPage(false); // painter origin at the printable corner
    m_printer->setDocName(QStringLiteral("Quillo"));
    m_jobPaperNamed = false;
    return *m_printer;
}

void SystemPrinter::preparePage(QPagedPaintDevice&, double widthTwips, double heightTwips) {
    const QPageLayout probed = layoutFor(widthTwips, heightTwips);
    const QPageLayout page(probed.pageSize(), QPageLayout::Portrait, probed.minimumMargins(),
                           QPageLayout::Point, probed.minimumMargins());
    if (!m_printer->setPageLayout(page))
        m_printer->setPageSize(probed.pageSize());
    if (!m_jobPaperNamed) {
        nameJobPaper();
        m_jobPaperNamed = true;
    }
}

void SystemPrinter::nameJobPaper() {
    // Qt names a custom paper to CUPS only as "media=Custom.<w>x<h>" with the
    // size in fractional points, which CUPS does not match to the queue's
    // custom page size: its PDF filter then fits every page onto the queue's
    // default paper (A4), moving the cards by up to a millimetre. The PPD
    // option PageSize with the page's size in whole points, as Qt writes the
    // page into the document, is understood and leaves the pages unscaled.
    if (m_printer->outputFormat() != QPrinter::NativeFormat)
        return;
    const QPageLayout layout = m_printer->pageLayout();
    if (layout.pageSize().id() != QPageSize::Custom)
        return; // a paper of the queue's own list goes by its name already
    const QSize points = layout.fullRectPoints().size();
    // QPrinter's CUPS engine takes extra job options as name/value pairs
    // under this property (Qt's private PPK_CupsOptions).
    constexpr auto CupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    // The options chosen in the printer settings stay; only PageSize is set.
    QStringList options = m_printer->printEngine()->property(CupsOptions).toStringList();
    const QString size = QStringLiteral("Custom.%1x%2").arg(points.width()).arg(points.height());
    qsizetype at = -1;
    for (qsizetype i = 0; i + 1 < options.size(); i += 2) {
        if (options[i] == u"PageSize")
            at = i;
    }
    if (at >= 0)
        options[at + 1] = size;
    else
        options << QStringLiteral("PageSize") << size;
    m_printer->printEngine()->setProperty(CupsOptions, options);
}

void SystemPrinter::beginJob() {
    m_pages = {Page{Width(), Height(), {}}};
}

void SystemPrinter::startNewPage() {
    m_pages.append(Page{Width(), Height(), {}});
}

void SystemPrinter::drawText(double xTwips, double yTwips, const QString& text,
                             const PrinterFont& font, quint32 color, bool transparent) {
    Operation op;
    op.kind = Operation::Text;
    op.x1 = xTwips;
    op.y1 = yTwips;
    op.text = text;
    op.font = font;
    op.color = color;
    op.transparent = transparent;
    m_pages.last().operations.append(op);
}

void SystemPrinter::drawLine(double x1, double y1, double x2, double y2, quint32 color) {
    Operation op;
    op.kind = Operation::Line;
    op.x1 = x1;
    op.y1 = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.color = color;
    m_pages.last().operations.append(op);
}

void SystemPrinter::drawPicture(const QImage& picture, double x, double y, double w, double h) {
    Operation op;
    op.kind = Operation::Picture;
    op.x1 = x;
    op.y1 = y;
    op.x2 = w;
    op.y2 = h;
    op.picture = picture;
    m_pages.last().operations.append(op);
}

void SystemPrinter::paintWith(double xTwips, double yTwips, double unitXTwips, double unitYTwips,
                              const PaintRoutine& paint) {
    Operation op;
    op.kind = Operation::Painted;
    op.x1 = xTwips;
    op.y1 = yTwips;
    op.x2 = unitXTwips;
    op.y2 = unitYTwips;
    op.paint = paint;
    m_pages.last().operations.append(op);
}

void SystemPrinter::finishJob() {
    replay();
}

void SystemPrinter::discardJob() {
    m_pages.clear();
}

void SystemPrinter::replay() {
    const QList<Page> pages = std::move(m_pages);
    m_pages.clear();
    if (pages.isEmpty())
        return;
    beginPainting(pages.first().widthTwips, pages.first().heightTwips);
    try {
        for (qsizetype i = 0; i < pages.size(); ++i) {
            const Page& page = pages[i];
            if (i > 0)
                nextPage(page.widthTwips, page.heightTwips);
            for (const Operation& op : page.operations) {
                switch (op.kind) {
                case Operation::Text:
                    PainterPrinter::drawText(op.x1, op.y1, op.text, op.font, op.color,
                                             op.transparent);
                    break;
                case Operation::Line:
                    PainterPrinter::drawLine(op.x1, op.y1, op.x2, op.y2, op.color);
                    break;
                case Operation::Picture:
                    PainterPrinter::drawPicture(op.picture, op.x1, op.y1, op.x2, op.y2);
                    break;
                case Operation::Painted:
                    PainterPrinter::paintWith(op.x1, op.y1, op.x2, op.y2, op.paint);
                    break;
                }
            }
        }
    } catch (...) {
        PainterPrinter::discardJob();
        throw;
    }
    PainterPrinter::finishJob();
}

QStringList SystemPrinterHost::deviceNames() const {
    QStringList names = QPrinterInfo::availablePrinterNames();
    names.append(QStringLiteral("PDF"));
    return names;
}

std::unique_ptr<Printer> SystemPrinterHost::open(const QString& deviceName) const {
    // "PDF" is the built-in printer, even if a system queue has that name.
    if (deviceName == QLatin1String("PDF"))
        return std::make_unique<PdfPrinter>();
    const QPrinterInfo info = QPrinterInfo::printerInfo(deviceName);
    if (info.isNull())
        return nullptr;
    return std::make_unique<SystemPrinter>(info);
}
