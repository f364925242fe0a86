#pragma once

// A card file for the print command's tests: a picture of one colour behind
// a raised name, on the default A4 sheet.

#include "document/card.h"
#include "document/cardfile.h"
#include "document/cardformat.h"

#include <QImage>

inline Card PrintTestCard(const QString& picturePath) {
    Card card;
    ResetLines(card, QStringLiteral("IPAGothic"));
    card.PicPath = picturePath;
    TextItem& name = card.TextItems[0];
    name.Text = QStringLiteral("山田太郎");
    name.KageOn = true;
    name.KageColor = 0x808080;
    return card;
}

// Writes a picture of one colour at path (PNG).
inline bool WriteSolidPicture(const QString& path, QRgb colour) {
    QImage picture(364, 220, QImage::Format_RGB32);
    picture.fill(colour);
    return picture.save(path, "PNG");
}
