#pragma once

#include <QString>

class Session;

// Resets the whole card to a new card's defaults and shows it; the card is
// named Data00.qcd in the data folder and counts as unchanged.
void NewCard(Session& s);

// Copies the card into the editor's controls. A line whose font is not
// installed gets the default Japanese font instead, without a message.
void ShowCardData(Session& s);

// The printer's current font name, the font of a new card's lines.
QString CurrentFontName(Session& s);
