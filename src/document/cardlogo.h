#pragma once

#include "card.h"

#include <QImage>
#include <QSizeF>
#include <QString>
#include <memory>

class QSvgRenderer;

// A logo file decoded for drawing, however often it is drawn: a raster
// picture with its transparency, or an SVG drawing kept as vectors. Copies
// share the decoded picture, so that every card position of a print draws
// the same one (a PDF then stores a raster logo once).
struct DecodedLogo {
    QImage raster;
    std::shared_ptr<QSvgRenderer> svg;
    QSizeF size; // the picture's own size: pixels, or the SVG's user units

    bool isNull() const { return raster.isNull() && !svg; }
    // Its shape, height over width; 0 for none.
    double aspect() const;
};

// The logo decoded for the open card. It is handed out only for the card
// whose logo file it was decoded from, so that a logo never outlives its
// file name; a file that could not be used counts as decoded (to nothing)
// until the name changes or the file is chosen again.
class LoadedLogo {
public:
    bool isFor(const Card& card) const { return m_made && m_path == card.Logo.Path; }
    DecodedLogo logoFor(const Card& card) const { return isFor(card) ? m_logo : DecodedLogo(); }
    void set(const Card& card, DecodedLogo logo);
    void clear();

private:
    DecodedLogo m_logo;
    QString m_path;
    bool m_made = false;
};

// The width a logo starts with when a file is first chosen, and the
// narrowest one the window offers.
constexpr double DefaultLogoWidth = 20;
constexpr double MinLogoWidth = 1;

// The logo's height on the card: its width times the picture's shape.
double LogoHeight(const CardLogo& logo, double aspect);

// Keeps the logo on a W × H card as a line is kept: 1 mm from the left and
// top edges, 2 mm from the right and bottom ones, the left and top rule
// last. A logo larger than the card is made smaller, keeping its shape.
void KeepLogoOnCard(CardLogo& logo, double aspect, double cardWidth, double cardHeight);

// The logo a card gets when its first file is chosen: switched on, under
// the lines, DefaultLogoWidth wide in the top right corner of a W × H card.
CardLogo DefaultCardLogo(const QString& path, double aspect, double cardWidth, double cardHeight);
