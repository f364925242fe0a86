#pragma once

#include <QString>

struct Card;
struct TextItem;
class TavorMain;

// Resets the whole card to a new card's defaults and shows it; the card is
// named Data00.qcd in the data folder and counts as unchanged.
void NewCard(TavorMain& m);

// Copies the card into the editor's controls. A line whose font is not
// installed gets the default Japanese font instead, without a message.
void ShowCardData(TavorMain& m);

// A line's colour, style flags and 3D settings as a new card has them:
// black, no flags, 3D off at 0.5 mm to the lower right.
void ResetLineStyle(TextItem& line);

// The twelve lines of a new card: default positions and sizes, empty texts,
// the given font, black, no style flags, 3D off at 0.5 mm to the lower right.
void ResetLines(Card& card, const QString& fontName);

// The printer's current font name, the font of a new card's lines.
QString CurrentFontName(TavorMain& m);
