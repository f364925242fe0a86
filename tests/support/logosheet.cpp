#include "logosheet.h"

#include <QDebug>
#include <QFile>
#include <QPainter>

#include <algorithm>

namespace {

constexpr QSize FrameSize(400, 200);
constexpr int FrameWidth = 20;

bool isFrame(QRgb c) {
    return qBlue(c) > 100 && qRed(c) < 80 && qGreen(c) < 80;
}

} // namespace

bool WriteFramedLogoPng(const QString& path) {
    QImage logo(FrameSize, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);
    QPainter p(&logo);
    p.fillRect(logo.rect(), QColor::fromRgba(LogoFrameColour));
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.fillRect(logo.rect().adjusted(FrameWidth, FrameWidth, -FrameWidth, -FrameWidth),
               Qt::transparent);
    p.end();
    return logo.save(path, "PNG");
}

bool WriteFramedLogoSvg(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) &&
           f.write("<svg xmlns='http://www.w3.org/2000/svg' version='1.2' baseProfile='tiny' "
                   "width='400' height='200' viewBox='0 0 400 200'><path fill='#0000a0' "
                   "fill-rule='evenodd' d='M0 0H400V200H0Z M20 20V180H380V20Z'/></svg>") > 0;
}

Card LogoTestCard(const QString& picturePath, const QString& logoPath) {
    Card card;
    ResetLines(card, QStringLiteral("IPAGothic"));
    card.PicPath = picturePath;
    card.TextItems[0].Text = QStringLiteral("山田太郎");
    card.Logo = CardLogo{true, logoPath, 68, 3, 20, LogoLayer::UnderLines};
    return card;
}

QRectF FindLogoFrame(const QImage& page, int dpi, const QRectF& expected) {
    const double perMm = dpi / 25.4;
    const QRectF area = expected.adjusted(-2, -2, 2, 2);
    const QRect search =
        QRectF(area.topLeft() * perMm, area.bottomRight() * perMm).toAlignedRect() & page.rect();
    QRect box;
    for (int y = search.top(); y <= search.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = search.left(); x <= search.right(); ++x)
            if (isFrame(row[x]))
                box |= QRect(x, y, 1, 1);
    }
    return box.isEmpty() ? QRectF()
                         : QRectF(QPointF(box.topLeft()) / perMm, QSizeF(box.size()) / perMm);
}

QString CheckLogoOnSheet(const QImage& page, int dpi, const Card& card, QRgb inside,
                         double tolerance) {
    const PrintStyle& s = card.PrintStyle;
    const CardLogo& logo = card.Logo;
    const double height = logo.Width * FrameSize.height() / FrameSize.width();
    QString wrong;
    QDebug out(&wrong);
    for (int r = 0; r < s.MaisuY; ++r) {
        for (int c = 0; c < s.MaisuX; ++c) {
            const double L = s.YhkLeft + c * (s.MsX + s.KkLeft);
            const double T = s.Yhktop + r * (s.MsY + s.Kktop);
            // An upright card lies turned with its top to the left: its
            // left edge along the bottom of the position.
            const QRectF expected =
                card.Upright
                    ? QRectF(L + logo.Top, T + s.MsY - logo.Left - logo.Width, height, logo.Width)
                    : QRectF(L + logo.Left, T + logo.Top, logo.Width, height);
            const QRectF found = FindLogoFrame(page, dpi, expected);
            const QPointF a = found.topLeft() - expected.topLeft(),
                          b = found.bottomRight() - expected.bottomRight();
            const QRgb middle = page.pixel((expected.center() * (dpi / 25.4)).toPoint());
            if (found.isEmpty() ||
                std::max({qAbs(a.x()), qAbs(a.y()), qAbs(b.x()), qAbs(b.y())}) > tolerance)
                out << "at" << r << c << "the frame" << found << "mm;";
            else if (middle != inside)
                out << "at" << r << c << "the middle" << Qt::hex << middle << Qt::dec << ";";
        }
    }
    return wrong;
}
