#include "exactpdf.h"

#include "base/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>

namespace {

constexpr double PointsPerMm = 72 / 25.4;

// qpdf's output into a device (the destination's SafeFile, which notes a
// failed write for its commit).
class DevicePipeline : public Pipeline {
public:
    explicit DevicePipeline(QIODevice& device) : Pipeline("quillo", nullptr), m_device(device) {}
    void write(unsigned char const* data, size_t len) override {
        m_device.write(reinterpret_cast<const char*>(data), qint64(len));
    }
    void finish() override {}

private:
    QIODevice& m_device;
};

QByteArray number(double value) {
    return QByteArray::number(value, 'f', 4);
}

} // namespace

ExactPdf::ExactPdf(const QString& destination, SafeFile::Kind kind, int resolution,
                   const QString& title) {
    auto target = std::make_unique<SafeFile>(destination, kind);
    if (const int error = target->open())
        throw WriteError(error, destination);
    auto folder =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quillo-XXXXXX"));
    if (!folder->isValid())
        throw RuntimeError(RuntimeError::DeviceIo);
    auto scratch = std::make_unique<SafeFile>(folder->filePath(QStringLiteral("written.pdf")),
                                              SafeFile::Kind::Scratch);
    if (const int error = scratch->open())
        throw RuntimeError(error);
    m_destination = std::move(target);
    m_folder = std::move(folder);
    m_scratch = std::move(scratch);
    m_writer = std::make_unique<QPdfWriter>(&m_scratch->device());
    m_writer->setResolution(resolution);
    m_writer->setCreator(QStringLiteral("Quillo"));
    m_writer->setTitle(title);
}

ExactPdf::~ExactPdf() {
    // The writer goes before the file it writes into.
    m_writer.reset();
}

void ExactPdf::setPage(const QSizeF& millimetres) {
    const QPageSize size(millimetres, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    const QPageLayout layout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                             QPageLayout::Point);
    m_writer->setPageLayout(layout);
    m_pages.push_back({millimetres * PointsPerMm, double(layout.fullRectPoints().height())});
}

void ExactPdf::finish() {
    m_writer.reset();
    if (const int error = m_scratch->commit())
        throw RuntimeError(error);
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(QFile::encodeName(m_scratch->path()).constData());
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        for (size_t i = 0; i < pages.size() && i < m_pages.size(); ++i) {
            const Page& page = m_pages[i];
            // The writer drew down from the top of its rounded page: the
            // drawing moves so that its top is the exact page's.
            const double shift = page.points.height() - page.writtenHeight;
            if (shift != 0)
                pages[i].addPageContents(
                    QPDFObjectHandle::newStream(&pdf, "1 0 0 1 0 " + number(shift).toStdString() +
                                                          " cm\n"),
                    true);
            QPDFObjectHandle box = QPDFObjectHandle::newArray(
                QPDFObjectHandle::Rectangle(0, 0, page.points.width(), page.points.height()));
            QPDFObjectHandle object = pages[i].getObjectHandle();
            object.replaceKey("/MediaBox", box);
            for (const char* other : {"/CropBox", "/BleedBox", "/TrimBox", "/ArtBox"})
                if (object.hasKey(other))
                    object.replaceKey(other, box);
        }
        DevicePipeline out(m_destination->device());
        QPDFWriter writer(pdf);
        // The streams go through as they are: nothing is decoded again.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setOutputPipeline(&out);
        writer.write();
    } catch (const std::exception&) {
        throw RuntimeError(RuntimeError::DeviceIo);
    }
    if (const int error = m_destination->commit())
        throw RuntimeError(error);
}
