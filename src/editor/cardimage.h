#pragma once

#include <QImage>

class UiServices;
struct Card;
struct DecodedLogo;

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

// The most pixels a card image may have. The largest card the print style
// allows (96 × 60 mm) at the finest render scale is 42.4 million pixels at 15
// twips a pixel (170 MB); 48 million (192 MB) leaves room for that, and the
// image, its PDF copy and the program together stay far below the memory a
// command may take.
constexpr qint64 MaxCardImagePixels = 48'000'000;

// The render scale a W × H card is drawn at: the requested one (1 to
// MaxImgScale), lowered as far as its image needs to stay within
// MaxCardImagePixels; 0 when not even scale 1 does (a card of metres, from a
// file anyone may have written), and the card cannot be made an image.
int CardImageScaleFor(double cardWidth, double cardHeight, int requested, int twipsPerPixelX,
                      int twipsPerPixelY);

// The render scale the card image is made at when it shows the card's QR
// code: the scale from CardImageScaleFor, raised until each module of the
// code spans QrMinModulePixels pixels, so that a code printed from the image
// or read from the file scans at any quality chosen. That scale itself for
// a card without a code (or with one that is not drawn); 0 when no scale
// the card's size allows reaches it.
int CardImageScaleForQr(const Card& card, int scale, int twipsPerPixelX, int twipsPerPixelY);

// The surface geometry for a W × H card at render scale s (1 to MaxImgScale).
CardImageGeometry CardImageGeometryFor(double cardWidth, double cardHeight, int scale,
                                       int twipsPerPixelX, int twipsPerPixelY);

// How a card image is made: the render scale (1 to MaxImgScale; drawn lower
// where CardImageScaleFor says so), the screen's twips per pixel, and the
// layers drawn.
struct CardImageOptions {
    int scale = 1;
    int twipsPerPixelX = 15;
    int twipsPerPixelY = 15;
    bool withPicture = true;
    bool withText = true;
};

// Renders the card: its picture stretched over the whole surface when
// withPicture, then its logo, each line's 3D copy and the line itself and
// its QR code when withText.
// Text has on the finished card (the bitmap painted into W × H mm) the size
// and shape it has on the canvas. Lets events run after each line. A card
// too large for any scale is refused with a message, giving a null image;
// with the text, the scale is raised where CardImageScaleForQr says so, and
// the image refused with the reason when the code cannot have enough pixels.
QImage RenderCardImage(const Card& card, const QImage& picture, const DecodedLogo& logo,
                       const CardImageOptions& options, UiServices& ui);

// Exports the rendered card to path: a Windows bitmap for ".bmp", a JPEG for
// ".jpg", a PNG for ".png". The old file stays intact on failure.
bool ExportCardImage(const Card& card, const QImage& picture, const DecodedLogo& logo,
                     const CardImageOptions& options, UiServices& ui, const QString& path);
