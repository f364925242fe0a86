#include "cardimage.h"

#include "base/runtimeerror.h"
#include "base/safewrite.h"
#include "base/uiservices.h"
#include "base/units.h"
#include "document/cardfile.h"
#include "document/tavormain.h"
#include "qrdraw.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace {

// Text is laid out in hundredths of a drawing unit, so that small fonts keep
// their exact size instead of snapping to whole pixels.
constexpr double Fine = 100;

QFont fontFor(const TextItem& t, double pointSize) {
    QFont f(t.FontName);
    f.setPointSizeF(pointSize > 0 ? pointSize : 1);
    f.setBold(t.Bold);
    f.setItalic(t.Italic);
    f.setUnderline(t.Underline);
    f.setStrikeOut(t.Strikethrough);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

} // namespace

CardImageGeometry CardImageGeometryFor(double W, double H, int scale, int tppX, int tppY) {
    const int s = std::clamp(scale, 1, MaxImgScale);
    CardImageGeometry g{};
    g.heightTwips = (H + 10) * TwipsPerMm * s;
    g.widthTwips = (W + 10) * TwipsPerMm * s;
    g.scaleHeight = H * s;
    g.scaleWidth = W * s;
    // A card file may hold any card size; what cannot be allocated is
    // refused by the renderer, but the pixel count must stay a number.
    constexpr double MostPixels = 1e6;
    g.widthPixels =
        std::max(1, int(std::lround(std::min(MostPixels, g.widthTwips / std::max(1, tppX)))));
    g.heightPixels =
        std::max(1, int(std::lround(std::min(MostPixels, g.heightTwips / std::max(1, tppY)))));
    return g;
}

int CardImageScaleFor(double W, double H, int requested, int tppX, int tppY) {
    if (!std::isfinite(W) || !std::isfinite(H))
        return 0;
    for (int s = std::clamp(requested, 1, MaxImgScale); s >= 1; --s) {
        const CardImageGeometry g = CardImageGeometryFor(W, H, s, tppX, tppY);
        const double pixels =
            g.widthTwips / std::max(1, tppX) * (g.heightTwips / std::max(1, tppY));
        if (pixels <= double(MaxCardImagePixels))
            return s;
    }
    return 0;
}

QImage RenderCardImage(TavorMain& m, bool withPicture, bool withText) {
    if (m.app.ImgScale < 1)
        m.app.ImgScale = 1;
    if (m.app.ImgScale > MaxImgScale)
        m.app.ImgScale = MaxImgScale;
    const double W = m.card.PrintStyle.MsX;
    const double H = m.card.PrintStyle.MsY;
    const int s = CardImageScaleFor(W, H, m.app.ImgScale, m.app.TppX, m.app.TppY);
    if (s == 0) {
        m.ui().message(QStringLiteral("名刺が大きすぎて画像にできません（%1 × %2 mm）。")
                           .arg(W, 0, 'g', 6)
                           .arg(H, 0, 'g', 6));
        return {};
    }
    const CardImageGeometry g = CardImageGeometryFor(W, H, s, m.app.TppX, m.app.TppY);

    QImage image(g.widthPixels, g.heightPixels, QImage::Format_RGB32);
    if (image.isNull()) {
        // A render scale too large for memory.
        m.ui().message(RuntimeError(RuntimeError::OutOfMemory).message());
        return image;
    }
    image.fill(Qt::white);
    // The bitmap stands for the card: its resolution is the card's real one.
    image.setDotsPerMeterX(int(std::lround(g.widthPixels / (W > 0 ? W : 1) * 1000)));
    image.setDotsPerMeterY(int(std::lround(g.heightPixels / (H > 0 ? H : 1) * 1000)));

    try {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        // The drawing scale: W × s units across, H × s down.
        const double unitX = g.widthPixels / (g.scaleWidth > 0 ? g.scaleWidth : 1);
        const double unitY = g.heightPixels / (g.scaleHeight > 0 ? g.scaleHeight : 1);

        if (withPicture && !m.Image1.isNull())
            p.drawImage(QRectF(0, 0, g.widthPixels, g.heightPixels), m.Image1);
        if (!withText)
            return image;

        p.scale(unitX / Fine, unitY / Fine);
        for (int i = 0; i < LineCount; ++i) {
            const TextItem& t = m.card.TextItems[i];
            const double xs = t.Left * s;
            const double ys = t.Top * s;
            const double hs = t.KageTakasa * s;
            // The font's size in drawing units: FontSize points are
            // FontSize × 25.4 / 72 mm on the card, s units a millimetre. In a
            // 72-dpi drawing space one point is one unit.
            const double pointsInUnits = double(t.FontSize) * 25.4 / 72.0 * s * Fine;
            const QFont font = fontFor(t, pointsInUnits * 72.0 / image.logicalDpiY());
            p.setFont(font);
            const double ascent = QFontMetricsF(font, &image).ascent();
            if (!t.Text.isEmpty()) {
                if (t.KageOn) {
                    const int dir = KageIndex(t.KageHoukou);
                    p.setPen(ColorFromRgb(quint32(t.KageColor)));
                    p.drawText(QPointF((xs + KageDX[dir] * hs) * Fine,
                                       (ys + KageDY[dir] * hs) * Fine + ascent),
                               t.Text);
                }
                p.setPen(ColorFromRgb(quint32(t.ForeColor)));
                p.drawText(QPointF(xs * Fine, ys * Fine + ascent), t.Text);
            }
            m.ui().processEvents();
        }
        // The QR code above the lines, in card millimetres; crisp module
        // edges read best from a bitmap.
        p.resetTransform();
        p.scale(unitX * s, unitY * s);
        p.setRenderHint(QPainter::Antialiasing, false);
        DrawQrCode(p, m.card);
    } catch (const RuntimeError& e) {
        m.ui().message(e.message());
    }
    return image;
}

bool ExportCardImage(TavorMain& m, const QString& path) {
    if (!QrCodePrintable(m))
        return false;
    const QImage image = RenderCardImage(m, true, true);
    if (image.isNull())
        return false;
    const QString ending = path.right(3).toLower();
    const QByteArray format = ending == u"jpg" ? "jpeg" : ending == u"png" ? "png" : "bmp";

    const int error = WriteFileSafely(path, [&](QIODevice& device) {
        QImageWriter writer(&device, format);
        if (format == "jpeg")
            writer.setQuality(95);
        return writer.write(image);
    });
    if (error == 0)
        return true;
    m.ui().beep();
    m.ui().message(WriteErrorMessage(error));
    return false;
}
