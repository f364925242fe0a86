#pragma once

#include <QImage>

class TavorMain;

// The card image: one bitmap of the whole card, which printing, the preview
// and the export paint or save. Its outer size is that of a card 10 mm
// larger each way, (W + 10) × 56.7 × s by (H + 10) × 56.7 × s twips at the
// screen's twips per pixel, while its drawing scale spans W × s by H × s
// units: the whole bitmap stands for the card.
struct CardImageGeometry {
    double widthTwips;
    double heightTwips;
    double scaleWidth;
    double scaleHeight;
    int widthPixels;
    int heightPixels;
};

// The finest render scale: at 20 a card is about 7600 × 4900 pixels, far
// finer than any printer needs, and the image still fits in memory.
constexpr int MaxImgScale = 20;

// The surface geometry for a W × H card at render scale s (1 to MaxImgScale).
CardImageGeometry CardImageGeometryFor(double cardWidth, double cardHeight, int scale,
                                       int twipsPerPixelX, int twipsPerPixelY);

// Renders the card at the render scale ImgScale (raised to at least 1 and
// stored back): the card picture (Image1) stretched over the whole surface
// when withPicture, then each line's 3D copy and the line itself when
// withText. Text has on the finished card (the bitmap painted into W × H mm)
// the size and shape it has on the canvas. Yields after each line.
QImage RenderCardImage(TavorMain& m, bool withPicture, bool withText);

// Exports the rendered card to path: a Windows bitmap for ".bmp", a JPEG for
// ".jpg", a PNG for ".png". The old file stays intact on failure.
bool ExportCardImage(TavorMain& m, const QString& path);
