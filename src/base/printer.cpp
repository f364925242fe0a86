#include "printer.h"

#include "base/fonts.h"
#include "base/runtimeerror.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

struct Printer::ResolvedFont {
    PrinterFont key;
    int dpi = 0;
    QFont font;
    double heightTwips = 0;
    double ascentTwips = 0;
};

// A card has twelve lines; a few more fonts than that are kept.
constexpr std::size_t ResolvedFontsKept = 32;

namespace {

struct StandardPaper {
    int number;
    double widthTwips;
    double heightTwips;
};

// The paper numbers a print job may name, portrait, in twips.
constexpr StandardPaper StandardPapers[] = {
    {1, 12240, 15840},  // Letter
    {5, 12240, 20160},  // Legal
    {8, 16838, 23811},  // A3
    {9, 11906, 16838},  // A4
    {11, 8391, 11906},  // A5
    {12, 14570, 20636}, // B4 (JIS)
    {13, 10318, 14570}, // B5 (JIS)
    {43, 5669, 8391},   // Japanese postcard (ハガキ)
};

const StandardPaper* findPaper(int number) {
    for (const StandardPaper& p : StandardPapers)
        if (p.number == number)
            return &p;
    return nullptr;
}

} // namespace

int Printer::StandardPaperNumberFor(const QSizeF& millimetres) {
    constexpr double TwipsOff = 2 * TwipsPerMillimetre;
    for (const StandardPaper& p : StandardPapers) {
        if (std::abs(p.widthTwips - millimetres.width() * TwipsPerMillimetre) < TwipsOff &&
            std::abs(p.heightTwips - millimetres.height() * TwipsPerMillimetre) < TwipsOff)
            return p.number;
    }
    return 0;
}

double Printer::PageTwips(double millimetres) {
    // nearbyint rounds halves to even in the default rounding mode.
    return std::nearbyint(millimetres * LayoutTwipsPerMillimetre);
}

Printer::Printer() = default;
Printer::~Printer() = default;

void Printer::initPage(int paperSize, double widthTwips, double heightTwips) {
    m_paperSize = paperSize;
    m_widthTwips = widthTwips;
    m_heightTwips = heightTwips;
}

void Printer::traceCall(const QString&, const QList<double>&, const QString&, const QImage*) {}

bool Printer::acceptsPaperSize(int size) const {
    return size == PaperUser || findPaper(size) != nullptr;
}

void Printer::setPaperSize(int size) {
    traceCall(QStringLiteral("PaperSize"), {double(size)}, {}, nullptr);
    if (!acceptsPaperSize(size))
        throw RuntimeError(RuntimeError::InvalidCall);
    if (const StandardPaper* p = findPaper(size)) {
        m_widthTwips = p->widthTwips;
        m_heightTwips = grantedHeight(p->heightTwips);
    }
    m_paperSize = size;
}

void Printer::setWidth(double twips) {
    traceCall(QStringLiteral("Width"), {twips}, {}, nullptr);
    if (!(twips >= 0))
        throw RuntimeError(RuntimeError::InvalidCall);
    m_widthTwips = twips;
    m_paperSize = PaperUser;
}

void Printer::setSheet(const QSizeF& millimetres) {
    traceCall(QStringLiteral("Sheet"), {millimetres.width(), millimetres.height()}, {}, nullptr);
    m_sheet = millimetres;
}

void Printer::setHeight(double twips) {
    traceCall(QStringLiteral("Height"), {twips}, {}, nullptr);
    if (!(twips >= 0))
        throw RuntimeError(RuntimeError::InvalidCall);
    m_heightTwips = grantedHeight(twips);
    m_paperSize = PaperUser;
}

double Printer::twipsPerUnit(int mode) const {
    switch (mode) {
    case ScaleTwips:
        return 1;
    case ScalePoints:
        return 20;
    case ScalePixels:
        return 1440.0 / PrintQuality();
    case ScaleInches:
        return 1440;
    case ScaleMillimetres:
        return TwipsPerMillimetre;
    case ScaleCentimetres:
        return TwipsPerMillimetre * 10;
    default:
        return 0;
    }
}

void Printer::setScaleMode(int mode) {
    traceCall(QStringLiteral("ScaleMode"), {double(mode)}, {}, nullptr);
    if (mode == ScaleUser) {
        // The user scale starts out as the numbers of the scale it replaces.
        m_scaleWidth = ScaleWidth();
        m_scaleHeight = ScaleHeight();
    } else if (twipsPerUnit(mode) == 0) {
        throw RuntimeError(RuntimeError::InvalidCall);
    }
    m_scaleMode = mode;
}

float Printer::ScaleWidth() const {
    if (m_scaleMode == ScaleUser)
        return m_scaleWidth;
    return float(printableWidthTwips() / twipsPerUnit(m_scaleMode));
}

float Printer::ScaleHeight() const {
    if (m_scaleMode == ScaleUser)
        return m_scaleHeight;
    return float(printableHeightTwips() / twipsPerUnit(m_scaleMode));
}

void Printer::setScaleWidth(double w) {
    traceCall(QStringLiteral("ScaleWidth"), {w}, {}, nullptr);
    if (m_scaleMode != ScaleUser) {
        m_scaleHeight = ScaleHeight();
        m_scaleMode = ScaleUser;
    }
    m_scaleWidth = float(w);
}

void Printer::setScaleHeight(double h) {
    traceCall(QStringLiteral("ScaleHeight"), {h}, {}, nullptr);
    if (m_scaleMode != ScaleUser) {
        m_scaleWidth = ScaleWidth();
        m_scaleMode = ScaleUser;
    }
    m_scaleHeight = float(h);
}

QSizeF Printer::printableMillimetres() const {
    return QSizeF(printableWidthTwips(), printableHeightTwips()) / TwipsPerMillimetre;
}

double Printer::printableWidthTwips() const {
    const Margins m = marginsFor(m_widthTwips, m_heightTwips);
    return std::max(0.0, m_widthTwips - m.left - m.right);
}

double Printer::printableHeightTwips() const {
    const Margins m = marginsFor(m_widthTwips, m_heightTwips);
    return std::max(0.0, m_heightTwips - m.top - m.bottom);
}

// A user scale of 0 units maps everything onto the corner rather than
// dividing by zero; the paper search writes such a scale back when no print
// style is set.
double Printer::toTwipsX(double x) const {
    if (m_scaleMode != ScaleUser)
        return x * twipsPerUnit(m_scaleMode);
    return m_scaleWidth == 0 ? 0 : x * printableWidthTwips() / m_scaleWidth;
}

double Printer::toTwipsY(double y) const {
    if (m_scaleMode != ScaleUser)
        return y * twipsPerUnit(m_scaleMode);
    return m_scaleHeight == 0 ? 0 : y * printableHeightTwips() / m_scaleHeight;
}

double Printer::fromTwipsY(double twips) const {
    if (m_scaleMode != ScaleUser)
        return twips / twipsPerUnit(m_scaleMode);
    const double printable = printableHeightTwips();
    return printable == 0 ? 0 : twips * m_scaleHeight / printable;
}

void Printer::ensureJob() {
    if (!m_jobOpen) {
        beginJob();
        m_jobOpen = true;
    }
}

void Printer::Print(const QString& text) {
    traceCall(QStringLiteral("Print"), {CurrentX, CurrentY}, text, nullptr);
    ensureJob();
    if (!text.isEmpty())
        drawText(toTwipsX(CurrentX), toTwipsY(CurrentY), text, Font, ForeColor, FontTransparent);
    CurrentY += fromTwipsY(lineHeightTwips(Font));
    CurrentX = 0;
}

void Printer::Line(double x1, double y1, double x2, double y2) {
    traceCall(QStringLiteral("Line"), {x1, y1, x2, y2}, {}, nullptr);
    ensureJob();
    drawLine(toTwipsX(x1), toTwipsY(y1), toTwipsX(x2), toTwipsY(y2), ForeColor);
    CurrentX = x2;
    CurrentY = y2;
}

void Printer::PaintPicture(const QImage& picture, double x, double y, double width, double height) {
    traceCall(QStringLiteral("PaintPicture"), {x, y, width, height}, {}, &picture);
    if (picture.isNull())
        throw RuntimeError(RuntimeError::InvalidPicture);
    ensureJob();
    drawPicture(picture, toTwipsX(x), toTwipsY(y), toTwipsX(width), toTwipsY(height));
}

void Printer::Paint(double x, double y, const QString& text, const PaintRoutine& paint) {
    traceCall(QStringLiteral("Paint"), {x, y}, text, nullptr);
    ensureJob();
    drawPainted(x, y, paint);
}

void Printer::drawPainted(double x, double y, const PaintRoutine& paint) {
    const double x0 = toTwipsX(x);
    const double y0 = toTwipsY(y);
    paintWith(x0, y0, toTwipsX(x + 1) - x0, toTwipsY(y + 1) - y0, paint);
}

void Printer::NewPage() {
    traceCall(QStringLiteral("NewPage"), {}, {}, nullptr);
    ensureJob();
    startNewPage();
    CurrentX = 0;
    CurrentY = 0;
}

void Printer::EndDoc() {
    traceCall(QStringLiteral("EndDoc"), {}, {}, nullptr);
    CurrentX = 0;
    CurrentY = 0;
    if (!m_jobOpen)
        return;
    // Closed first: a device that fails while finishing has lost the job.
    m_jobOpen = false;
    finishJob();
}

void Printer::KillDoc() {
    traceCall(QStringLiteral("KillDoc"), {}, {}, nullptr);
    ++m_killDocCount;
    if (!m_jobOpen)
        return;
    m_jobOpen = false;
    discardJob();
}

const Printer::ResolvedFont& Printer::resolve(const PrinterFont& font) const {
    const int dpi = PrintQuality();
    for (const ResolvedFont& r : m_fonts)
        if (r.dpi == dpi && r.key == font)
            return r;
    if (m_fonts.size() >= ResolvedFontsKept)
        m_fonts.clear();

    ResolvedFont r;
    r.key = font;
    r.dpi = dpi;
    QString family = font.Name;
    family = InstalledFamilyFor(family);
    if (family.isEmpty())
        family = CurrentFontName();
    r.font = QFont(family);
    if (font.Size > 0)
        r.font.setPointSizeF(font.Size);
    r.font.setBold(font.Bold);
    r.font.setItalic(font.Italic);
    r.font.setUnderline(font.Underline);
    r.font.setStrikeOut(font.Strikethrough);
    // Metrics at the device's resolution: a one-pixel image stands in for the
    // device, which may not be open yet.
    QImage probe(1, 1, QImage::Format_ARGB32);
    probe.setDotsPerMeterX(qRound(dpi / 0.0254));
    probe.setDotsPerMeterY(qRound(dpi / 0.0254));
    const QFontMetricsF metrics(r.font, &probe);
    r.heightTwips = metrics.height() * 1440.0 / probe.logicalDpiY();
    r.ascentTwips = metrics.ascent() * 1440.0 / probe.logicalDpiY();
    m_fonts.push_back(std::move(r));
    return m_fonts.back();
}

QFont Printer::toQFont(const PrinterFont& font) const {
    return resolve(font).font;
}

double Printer::ascentTwips(const PrinterFont& font) const {
    return resolve(font).ascentTwips;
}

double Printer::lineHeightTwips(const PrinterFont& font) const {
    return resolve(font).heightTwips;
}

bool Printer::setOutputFile(const QString&) {
    return false;
}

QString Printer::paperProblem(const QSizeF&) const {
    return {};
}

QStringList Printer::FontNames() const {
    return InstalledFontFamilies();
}

QString Printer::CurrentFontName() const {
    return DefaultJapaneseFont();
}

Printer& PrinterChoice::printer() {
    if (!m_printer) {
        const QString preferred = m_host.defaultDeviceName();
        if (!preferred.isEmpty())
            m_printer = m_host.open(preferred);
        const QStringList names = m_printer ? QStringList() : m_host.deviceNames();
        if (!names.isEmpty())
            m_printer = m_host.open(names.first());
        // A printer that vanished since it was listed: the built-in one.
        if (!m_printer)
            m_printer = m_host.open(PrinterHost::BuiltInPdfName());
        if (!m_printer)
            throw RuntimeError(RuntimeError::DeviceIo);
    }
    return *m_printer;
}

bool PrinterChoice::selectPrinter(const QString& deviceName) {
    auto p = m_host.open(deviceName);
    if (!p)
        return false;
    m_printer = std::move(p);
    return true;
}

void PrinterChoice::setPrinter(std::unique_ptr<Printer> printer) {
    m_printer = std::move(printer);
}
