#include "recordingprinter.h"

#include "base/runtimeerror.h"

#include <algorithm>
#include <cmath>

RecordingPrinter::RecordingPrinter(QString deviceName, int dpi)
    : m_deviceName(std::move(deviceName)), m_dpi(dpi) {}

int RecordingPrinter::PhysicalOffsetX() const {
    return int(std::lround(m_margins.left * m_dpi / 1440.0));
}

int RecordingPrinter::PhysicalOffsetY() const {
    return int(std::lround(m_margins.top * m_dpi / 1440.0));
}

QStringList RecordingPrinter::FontNames() const {
    return fontNames.isEmpty() ? Printer::FontNames() : fontNames;
}

QString RecordingPrinter::CurrentFontName() const {
    return currentFontName.isEmpty() ? Printer::CurrentFontName() : currentFontName;
}

void RecordingPrinter::setMarginsTwips(double left, double top, double right, double bottom) {
    m_margins = {left, top, right, bottom};
}

void RecordingPrinter::setMarginsMillimetres(double left, double top, double right, double bottom) {
    setMarginsTwips(left * TwipsPerMillimetre, top * TwipsPerMillimetre, right * TwipsPerMillimetre,
                    bottom * TwipsPerMillimetre);
}

QList<RecordingPrinter::Call> RecordingPrinter::callsOf(const QString& op) const {
    QList<Call> out;
    for (const Call& c : calls)
        if (c.op == op)
            out.append(c);
    return out;
}

void RecordingPrinter::clear() {
    calls.clear();
    documents.clear();
    discardedDocuments = 0;
}

void RecordingPrinter::traceCall(const QString& op, const QList<double>& args, const QString& text,
                                 const QImage* picture) {
    Call call;
    call.op = op;
    call.args = args;
    call.text = text;
    if (picture) {
        call.pictureKey = picture->cacheKey();
        call.pictureSize = picture->size();
    }
    call.color = ForeColor;
    call.font = Font;
    call.transparent = FontTransparent;
    calls.append(call);
    if (!failOn.isEmpty() && op == failOn) {
        if (failDetail.isEmpty())
            throw RuntimeError(failNumber);
        throw RuntimeError(failNumber, RuntimeError::describe(failNumber), failDetail);
    }
}

bool RecordingPrinter::acceptsPaperSize(int size) const {
    if (size == PaperUser && refuseUserPaper)
        return false;
    return Printer::acceptsPaperSize(size);
}

double RecordingPrinter::grantedHeight(double requestedTwips) const {
    return maxHeightTwips > 0 ? std::min(requestedTwips, maxHeightTwips) : requestedTwips;
}

double RecordingPrinter::lineHeightTwips(const PrinterFont& font) const {
    return fixedLineHeightTwips > 0 ? fixedLineHeightTwips : Printer::lineHeightTwips(font);
}

void RecordingPrinter::beginJob() {
    m_current.pages = {QSizeF(Width(), Height())};
}

void RecordingPrinter::startNewPage() {
    m_current.pages.append(QSizeF(Width(), Height()));
}

void RecordingPrinter::finishJob() {
    const int kills = KillDocCount();
    for (const QString& state : jobStates) {
        reportJobState(state);
        if (KillDocCount() != kills) {
            ++discardedDocuments;
            m_current = {};
            return;
        }
    }
    documents.append(m_current);
    m_current = {};
}

void RecordingPrinter::discardJob() {
    ++discardedDocuments;
    m_current = {};
}

RecordingPrinterHost::RecordingPrinterHost(QStringList names) : m_names(std::move(names)) {}

std::unique_ptr<Printer> RecordingPrinterHost::open(const QString& deviceName) const {
    if (!m_names.contains(deviceName))
        return nullptr;
    auto printer = std::make_unique<RecordingPrinter>(deviceName);
    if (configure)
        configure(*printer);
    lastOpened = printer.get();
    return printer;
}
