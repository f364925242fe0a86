#pragma once

#include "document/cardlogo.h"

#include <QByteArray>
#include <QString>

class CardDocument;
class UiServices;

// Reads a logo file: a PNG (its transparency kept), JPEG or BMP as a raster
// picture, at most 4096 pixels on its long side; an SVG as a drawing that
// stays vectors wherever it is drawn. Throws RuntimeError: 53 for a missing
// file, 75 for a folder, 481 for a file that is no readable picture, and 481
// naming what cannot be drawn for an SVG that uses it (SvgProblem).
DecodedLogo ReadLogo(const QString& path);

// Why an SVG cannot be drawn as its author meant it: Qt SVG draws SVG Tiny
// 1.2 and leaves out what that lacks (clip paths, masks, filters, patterns,
// markers, foreign objects), which would put a different logo on the card.
// Empty when it can be drawn as it stands.
QString SvgProblem(const QByteArray& svg);

// Decodes the card's logo file into the document and announces the logo.
// False when the card shows a logo whose file could not be used, after
// telling the user why: the card is shown and printed without it, and the
// command line tells scripts so by its exit status. A card whose logo is
// switched off needs no file.
bool LoadCardLogo(CardDocument& doc, UiServices& ui);

// The same, only when the document holds nothing decoded from the card's
// logo file yet; a file that failed is not tried (nor reported) again.
bool PrepareCardLogo(CardDocument& doc, UiServices& ui);

// The open dialog's filter for logo files.
extern const char16_t* const LogoFilter;

// Takes the picture at path as the card's logo, switched on. The file is
// read first: one that cannot be used, or whose name a card file cannot
// hold, is refused with the reason and the card stays as it was. The card's
// first logo is placed DefaultLogoWidth wide in its top right corner; another
// file keeps the place and width of the one before. One step of the history.
bool ChooseLogoFile(CardDocument& doc, UiServices& ui, const QString& path);
