#include "cardrenderer.h"

#include "base/fonts.h"
#include "base/shapedtext.h"
#include "document/card.h"
#include "qrdraw.h"
#include "verticaltext.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QSvgRenderer>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

// Text is laid out in tenths of a point: a line's font gets ten times its
// size in points as its size in drawing units. That keeps every font engine
// well inside the sizes it draws (a 256-point line is 2560 units; engines
// drop glyphs of some twenty thousand), and fine enough that no metric
// rounds visibly. The painter's transform takes the units to the device.
constexpr double UnitsPerPoint = 10;
constexpr double MmPerPoint = 25.4 / 72;
constexpr double MmPerUnit = MmPerPoint / UnitsPerPoint;

// Bold and italic a font has no face for, made the way FreeType makes them
// for the screen: the outline widened by a twenty-fourth of the size, the
// glyphs slanted by 12° (tan 12° ≈ 0.2126).
constexpr double EmboldenPerEm = 1.0 / 24;
constexpr double SlantPerUnit = 0.2126;

struct Faces {
    bool bold = false;
    bool italic = false;
};

// Whether the installed family has a bold and an italic face of its own.
Faces facesOf(const QString& family) {
    static thread_local QHash<QString, Faces> known;
    const auto found = known.constFind(family);
    if (found != known.constEnd())
        return *found;
    Faces faces;
    for (const QString& style : QFontDatabase::styles(family)) {
        if (QFontDatabase::weight(family, style) >= QFont::DemiBold)
            faces.bold = true;
        if (QFontDatabase::italic(family, style))
            faces.italic = true;
    }
    known.insert(family, faces);
    return faces;
}

// A line's font in drawing units, and the style effects the renderer makes
// itself because the font has no face for them.
struct LineFont {
    QFont font;
    bool embolden = false;
    bool slant = false;
};

// A line's size in drawing units: ten to the point.
double lineSize(const TextItem& t) {
    return CardRenderer::drawnFontSize(t) * UnitsPerPoint;
}

// The font for a device of dpi dots per inch: its size in drawing units is
// ten times the line's size in points, whatever the device.
LineFont makeLineFont(const TextItem& t, double dpi) {
    LineFont f;
    // A card names a font by any of its names; one that is not installed is
    // drawn in the default font, as the editor shows it.
    QString family = InstalledFamilyFor(t.FontName);
    if (family.isEmpty())
        family = DefaultJapaneseFont();
    const Faces faces = facesOf(family);
    f.embolden = t.Bold && !faces.bold;
    f.slant = t.Italic && !faces.italic;
    f.font = QFont(family);
    const double size = lineSize(t);
    f.font.setPointSizeF(size * 72.0 / (dpi > 0 ? dpi : 72.0));
    // The font engines' own synthetic styles differ from device to device;
    // what the font lacks is made here instead.
    f.font.setBold(t.Bold && faces.bold);
    f.font.setItalic(t.Italic && faces.italic);
    f.font.setUnderline(t.Underline);
    f.font.setStrikeOut(t.Strikethrough);
    f.font.setHintingPreference(QFont::PreferNoHinting);
    f.font.setKerning(true);
    return f;
}

// Each line's font is made once: a print asks for the same dozen fonts at
// every card of every sheet, and finding a family and its faces costs more
// than drawing the line.
LineFont lineFont(const TextItem& t, double dpi) {
    struct Key {
        QString name;
        float size;
        int dpi;
        int style;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const noexcept {
            return qHashMulti(0, k.name, k.size, k.dpi, k.style);
        }
    };
    static thread_local std::unordered_map<Key, LineFont, KeyHash> known;
    const Key key{t.FontName, t.FontSize, qRound(dpi),
                  int(t.Bold) | int(t.Italic) << 1 | int(t.Underline) << 2 |
                      int(t.Strikethrough) << 3};
    const auto found = known.find(key);
    if (found != known.end())
        return found->second;
    if (known.size() >= 1024)
        known.clear();
    return known.emplace(key, makeLineFont(t, dpi)).first->second;
}

// A stand-in device at 72 dots per inch, where a font's drawing units are
// its pixels: metrics taken on it are the same for every device.
const QImage& metricsProbe() {
    static const QImage probe = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        image.setDotsPerMeterX(qRound(72 / 0.0254));
        image.setDotsPerMeterY(qRound(72 / 0.0254));
        return image;
    }();
    return probe;
}

QFontMetricsF unitMetrics(const QFont& font) {
    return QFontMetricsF(font, &metricsProbe());
}

// The ascent of a font in drawing units; a print asks for the same few
// fonts' at every line it draws.
double unitAscent(const QFont& font) {
    static thread_local QHash<QFont, double> known;
    const auto found = known.constFind(font);
    if (found != known.constEnd())
        return *found;
    const double ascent = unitMetrics(font).ascent();
    known.insert(font, ascent);
    return ascent;
}

// A line written top to bottom: its shaped glyphs placed piece by piece,
// the underline down the right side, the strikethrough down the centre.
void paintVerticalText(QPainter& p, const TextItem& t, QPointF topLeft, const QColor& color) {
    const LineFont f = lineFont(t, 72);
    const VerticalText& v = LayOutVertical(f.font, lineSize(t), t.Text, t.Digits);
    // As for a horizontal line, only what is changed here is put back, so
    // that a PDF page does not get the painter's whole state for each piece.
    const QTransform transform = p.worldTransform();
    const QPen pen = p.pen();
    p.translate(topLeft);
    // Condensed (長体) down the column.
    p.scale(MmPerUnit, MmPerUnit * DrawnScale(t));
    const QTransform box = p.worldTransform();
    p.setPen(color);
    const QPen outlinePen(color, lineSize(t) * EmboldenPerEm, Qt::SolidLine, Qt::RoundCap,
                          Qt::RoundJoin);
    for (const VerticalText::Piece& piece : v.pieces) {
        const QTransform placed = piece.transform * box;
        p.setWorldTransform(placed);
        if (!f.slant && !f.embolden) {
            p.drawGlyphRun(QPointF(0, 0), piece.glyphs);
            continue;
        }
        // Made styles glyph by glyph: each slanted about its own origin,
        // its outline widened.
        const QRawFont raw = piece.glyphs.rawFont();
        const QList<quint32> glyphs = piece.glyphs.glyphIndexes();
        const QList<QPointF> positions = piece.glyphs.positions();
        for (qsizetype g = 0; g < glyphs.size(); ++g) {
            QTransform glyph = QTransform::fromTranslate(positions[g].x(), positions[g].y());
            if (f.slant)
                glyph.shear(-SlantPerUnit, 0);
            p.setWorldTransform(glyph * placed);
            QGlyphRun one;
            one.setRawFont(raw);
            one.setGlyphIndexes({glyphs[g]});
            one.setPositions({QPointF(0, 0)});
            p.drawGlyphRun(QPointF(0, 0), one);
            if (f.embolden)
                p.strokePath(raw.pathForGlyph(glyphs[g]), outlinePen);
        }
    }
    p.setWorldTransform(box);
    if (t.Underline)
        p.fillRect(QRectF(v.underlineX - v.lineWidth / 2, 0, v.lineWidth, v.length), color);
    if (t.Strikethrough)
        p.fillRect(QRectF(v.axis - v.lineWidth / 2, 0, v.lineWidth, v.length), color);
    p.setWorldTransform(transform);
    p.setPen(pen);
}

} // namespace

CardRenderer::CardRenderer(const Card& card, DecodedLogo logo)
    : m_card(card), m_logo(std::move(logo)) {}

bool CardRenderer::paint(QPainter& p, const QImage& picture, CardLayers layers,
                         const std::function<bool(int)>& afterLine) const {
    if (layers.picture)
        paintPicture(p, picture);
    if (!layers.text)
        return true;
    const bool logoOver = m_card.Logo.Layer == LogoLayer::OverLines;
    if (!logoOver)
        paintLogo(p);
    for (int i = 0; i < LineCount; ++i) {
        paintLine(p, i);
        if (afterLine && !afterLine(i))
            return false;
    }
    if (logoOver)
        paintLogo(p);
    paintQrCode(p);
    return true;
}

QRectF CardRenderer::logoBox() const {
    if (!m_card.Logo.On || m_logo.isNull())
        return {};
    // Where the editor shows it: kept on the card.
    CardLogo placed = m_card.Logo;
    const double aspect = m_logo.aspect();
    KeepLogoOnCard(placed, aspect, cardSize().width(), cardSize().height());
    return QRectF(placed.Left, placed.Top, placed.Width, LogoHeight(placed, aspect));
}

void CardRenderer::paintLogo(QPainter& p) const {
    paintLogo(p, m_logo, logoBox());
}

void CardRenderer::paintLogo(QPainter& p, const DecodedLogo& logo, const QRectF& box) {
    if (logo.isNull() || box.isEmpty())
        return;
    if (logo.svg) {
        logo.svg->render(&p, box);
        return;
    }
    p.drawImage(box, logo.raster);
}

void CardRenderer::paintQrCode(QPainter& p) const {
    p.save();
    // Crisp module edges read best, on paper and in a bitmap.
    p.setRenderHint(QPainter::Antialiasing, false);
    DrawQrCode(p, m_card);
    p.restore();
}

void CardRenderer::paintPicture(QPainter& p, const QImage& picture) const {
    if (picture.isNull())
        return;
    p.drawImage(QRectF(QPointF(0, 0), cardSize()), picture);
}

void CardRenderer::paintLine(QPainter& p, int i) const {
    if (i < 0 || i >= LineCount)
        return;
    // A line without a font name is not shown on the canvas, so it is
    // drawn nowhere else either.
    if (m_card.TextItems[i].Text.isEmpty() || m_card.TextItems[i].FontName.isEmpty())
        return;
    const TextItem t = drawnPart(m_card.TextItems[i], cardSize());
    const QPointF at(t.Left, t.Top);
    if (t.KageOn)
        paintText(p, t, at + kageOffset(t), ColorFromRgb(quint32(t.KageColor)));
    paintText(p, t, at, ColorFromRgb(quint32(t.ForeColor)));
}

double CardRenderer::drawnFontSize(const TextItem& t) {
    const double size = t.FontSize;
    if (!(size >= 0.1)) // NaN as well
        return 0.1;
    return std::min(size, MaxDrawnFontSize);
}

TextItem CardRenderer::drawnPart(const TextItem& t, QSizeF card) {
    // Lines as long as a card's are taken whole without a look.
    constexpr qsizetype FirstStep = 64;
    // No card needs more: at the smallest size a hundred millimetres take a
    // few thousand characters.
    constexpr qsizetype MostCharacters = 16384;
    // The far edge of a card ten metres long is as far as anything is drawn.
    constexpr double MostReach = 10000;
    if (t.Text.size() <= FirstStep)
        return t;
    const double em = drawnFontSize(t) * MmPerPoint;
    const QPointF kage = kageOffset(t);
    double extent =
        t.Tategaki ? card.height() + std::abs(kage.y()) : card.width() + std::abs(kage.x());
    if (!(extent >= 0)) // NaN as well
        extent = 0;
    const double reach = std::min(extent, MostReach) + 2 * em;
    // Every character but the marks that lean on another advances by a
    // fiftieth of an em at least: past that many, none reaches the card.
    const qsizetype most = qsizetype(
        std::min(double(std::min(MostCharacters, t.Text.size())), std::ceil(reach / em * 50)));
    TextItem part = t;
    for (qsizetype n = FirstStep;; n *= 2) {
        n = std::min(n, most);
        // Cut between characters, never inside one that takes several
        // code units or marks.
        const qsizetype look = std::min(t.Text.size(), n + 32);
        QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, t.Text.constData(), look);
        characters.setPosition(n);
        if (!characters.isAtBoundary())
            characters.toPreviousBoundary();
        // A cluster of more marks than that is cut where it must be.
        qsizetype at = characters.position() > 0 ? characters.position() : n;
        if (t.Text.at(at - 1).isHighSurrogate())
            ++at;
        part.Text = t.Text.left(at);
        if (n >= most)
            return part;
        const QSizeF size = measureText(part);
        if ((t.Tategaki ? size.height() : size.width()) > reach)
            return part;
    }
}

QSizeF CardRenderer::cardSize() const {
    return CardSize(m_card);
}

QPointF CardRenderer::kageOffset(const TextItem& t) {
    const int dir = KageDirection(t);
    return QPointF(KageDX[dir] * t.KageTakasa, KageDY[dir] * t.KageTakasa);
}

void CardRenderer::paintText(QPainter& p, const TextItem& t, QPointF topLeft, const QColor& color,
                             ShapedTextCache* shaped) {
    if (t.Text.isEmpty())
        return;
    if (t.Tategaki) {
        paintVerticalText(p, t, topLeft, color);
        return;
    }
    const QPaintDevice* device = p.device();
    const LineFont f = lineFont(t, device ? device->logicalDpiY() : 72);
    const double ascent = unitAscent(lineFont(t, 72).font);

    // Only what is changed here is put back afterwards: a save and restore
    // would write the painter's whole state into a PDF page twice a line.
    const QTransform transform = p.worldTransform();
    const QPen pen = p.pen();
    const QFont font = p.font();
    const Qt::BGMode mode = p.backgroundMode();
    // Drawing units from the top-left corner of the text box, then the
    // baseline's start as the origin; condensed (長体) along the line.
    p.translate(topLeft);
    p.scale(MmPerUnit * DrawnScale(t), MmPerUnit);
    p.translate(0, ascent);
    if (f.slant)
        p.shear(-SlantPerUnit, 0);
    p.setFont(f.font);
    p.setPen(color);
    p.setBackgroundMode(Qt::TransparentMode);
    if (shaped)
        shaped->line(t.Text, f.font, p.device()).draw(p, QPointF(0, 0));
    else
        p.drawText(QPointF(0, 0), t.Text);
    if (f.embolden) {
        // The outline widened on both sides; the text itself stays text.
        // A path has no device: its font is sized for the probe, where
        // drawing units are pixels.
        QFont outlineFont(lineFont(t, 72).font, &metricsProbe());
        outlineFont.setUnderline(false);
        outlineFont.setStrikeOut(false);
        QPainterPath outline;
        outline.addText(QPointF(0, 0), outlineFont, t.Text);
        const double width = lineSize(t) * EmboldenPerEm;
        p.strokePath(outline, QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    p.setWorldTransform(transform);
    p.setPen(pen);
    p.setFont(font);
    p.setBackgroundMode(mode);
}

QSizeF CardRenderer::measureText(const TextItem& t) {
    const LineFont f = lineFont(t, 72);
    if (t.Tategaki) {
        const VerticalText& v = LayOutVertical(f.font, lineSize(t), t.Text, t.Digits);
        return QSizeF(v.width * MmPerUnit, v.length * MmPerUnit);
    }
    const QFontMetricsF metrics = unitMetrics(f.font);
    return QSizeF(metrics.horizontalAdvance(t.Text) * MmPerUnit, metrics.height() * MmPerUnit);
}
