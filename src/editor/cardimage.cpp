#include "cardimage.h"

#include "cardrenderer.h"

#include "base/runtimeerror.h"
#include "base/safewrite.h"
#include "base/uiservices.h"
#include "base/units.h"
#include "document/card.h"
#include "document/cardfile.h"
#include "document/qrcode.h"
#include "qrdraw.h"

#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <cerrno>
#include <cmath>

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

namespace {

double pixelsPerMm(double W, double H, int scale, int tppX, int tppY) {
    const CardImageGeometry g = CardImageGeometryFor(W, H, scale, tppX, tppY);
    return std::min(g.widthPixels / (W > 0 ? W : 1), g.heightPixels / (H > 0 ? H : 1));
}

} // namespace

int CardImageScaleForQr(const Card& card, int scale, int tppX, int tppY) {
    if (!card.Qr.On || scale < 1)
        return scale;
    QrCode placed;
    const QrResult code = PlacedQrCode(card, placed);
    if (!code.drawable())
        return scale;
    const double W = CardSize(card).width();
    const double H = CardSize(card).height();
    for (int s = scale; s <= MaxImgScale && CardImageScaleFor(W, H, s, tppX, tppY) == s; ++s)
        if (code.moduleMm * pixelsPerMm(W, H, s, tppX, tppY) >= QrMinModulePixels)
            return s;
    return 0;
}

QImage RenderCardImage(const Card& card, const QImage& picture, const DecodedLogo& logo,
                       const CardImageOptions& options, UiServices& ui) {
    const int tppX = options.twipsPerPixelX;
    const int tppY = options.twipsPerPixelY;
    // An upright card's image stands upright: the turn is the sheet's.
    const double W = CardSize(card).width();
    const double H = CardSize(card).height();
    int s = CardImageScaleFor(W, H, options.scale, tppX, tppY);
    if (s == 0) {
        ui.message(QStringLiteral("名刺が大きすぎて画像にできません（%1 × %2 mm）。")
                       .arg(W, 0, 'g', 6)
                       .arg(H, 0, 'g', 6));
        return {};
    }
    if (options.withText) {
        s = CardImageScaleForQr(card, s, tppX, tppY);
        if (s == 0) {
            QrCode placed;
            const double module = PlacedQrCode(card, placed).moduleMm;
            const int most = CardImageScaleFor(W, H, MaxImgScale, tppX, tppY);
            ui.beep();
            ui.message(
                QStringLiteral("QRコードの1モジュールが名刺の画像で %1 ピクセルにしかならず、"
                               "読み取れません (%2 ピクセル以上が必要です)。"
                               "QRコードの一辺を大きくしてください。")
                    .arg(QString::number(module * pixelsPerMm(W, H, most, tppX, tppY), 'f', 1))
                    .arg(QrMinModulePixels));
            return {};
        }
    }
    const CardImageGeometry g = CardImageGeometryFor(W, H, s, tppX, tppY);

    QImage image(g.widthPixels, g.heightPixels, QImage::Format_RGB32);
    if (image.isNull()) {
        // A render scale too large for memory.
        ui.message(RuntimeError(RuntimeError::OutOfMemory).message());
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
        // Card millimetres: the bitmap stands for the W × H mm card.
        p.scale(g.widthPixels / (W > 0 ? W : 1), g.heightPixels / (H > 0 ? H : 1));
        CardRenderer(card, logo)
            .paint(p, picture, CardLayers{options.withPicture, options.withText}, [&](int) {
                ui.processEvents();
                return true;
            });
    } catch (const RuntimeError& e) {
        ui.message(e.message());
    }
    return image;
}

bool ExportCardImage(const Card& card, const QImage& picture, const DecodedLogo& logo,
                     const CardImageOptions& options, UiServices& ui, const QString& path) {
    if (!QrCodePrintable(card, ui))
        return false;
    const QImage image = RenderCardImage(card, picture, logo, options, ui);
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
    ui.beep();
    ui.message(WriteErrorMessage(error, path), UiServices::fileDetail(path));
    return false;
}
