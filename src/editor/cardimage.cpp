#include "cardimage.h"

#include "cardrenderer.h"

#include "base/runtimeerror.h"
#include "base/safewrite.h"
#include "base/uiservices.h"
#include "base/units.h"
#include "document/cardfile.h"
#include "document/tavormain.h"
#include "picture/cardpicture.h"
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

    // The background setting acts on the screen only: the image has the
    // card's picture whenever it asks for one.
    if (withPicture)
        PrepareCardPicture(m);
    try {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        // Card millimetres: the bitmap stands for the W × H mm card.
        p.scale(g.widthPixels / (W > 0 ? W : 1), g.heightPixels / (H > 0 ? H : 1));
        CardRenderer(m.card).paint(p, m.Image1, CardLayers{withPicture, withText}, [&](int) {
            m.ui().processEvents();
            return true;
        });
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
