#pragma once

// A logo for the print tests and a look at where it lands on a sheet.

#include "document/card.h"

#include <QImage>
#include <QRectF>
#include <QString>

// The logo's frame: 400 × 200 pixels (or SVG units), transparent but for a
// dark blue frame 20 wide along its edges, so that its place and size can be
// measured on paper and the background seen through its middle.
constexpr QRgb LogoFrameColour = 0xff0000a0;
bool WriteFramedLogoPng(const QString& path);
bool WriteFramedLogoSvg(const QString& path);

// The default A4 card with a picture of one colour behind it and the logo
// 20 mm wide (10 mm high) with its corner at (68, 3) mm: its top right.
Card LogoTestCard(const QString& picturePath, const QString& logoPath);

// The frame's box on a page rendered at dpi, in millimetres, looked for
// within 2 mm around where it should be; empty when there is none.
QRectF FindLogoFrame(const QImage& page, int dpi, const QRectF& expectedMm);

// Checks every card position of the card's sheet on a page rendered at dpi:
// the frame within tolerance (mm) of the logo's place on the card at that
// position (turned with an upright card), and its middle of the colour
// inside (what shows through). An
// empty text when all positions hold; otherwise what is wrong where.
QString CheckLogoOnSheet(const QImage& page, int dpi, const Card& card, QRgb inside,
                         double tolerance = 0.1);
