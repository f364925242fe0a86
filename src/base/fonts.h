#pragma once

#include <QString>
#include <QStringList>

// The font families installed on the system, in the font database's order,
// each once, by the name of the desktop's language.
QStringList InstalledFontFamilies();

// The family fontconfig chooses for Japanese sans-serif text: the font a new
// card's lines get and the one that replaces a font that is not installed.
QString DefaultJapaneseFont();

// The installed family a card's font name stands for. Fontconfig gives most
// Japanese fonts a name in each of several languages ("IPAMincho" and
// "IPA明朝" are one font), and the font database knows each font by the name
// of the desktop's language only: the card's name is looked up among every
// name of every installed font, case-insensitively, and the font database's
// name for that font is returned. Empty when no installed font has that name.
QString InstalledFamilyFor(const QString& fontName);

// Whether a font list (the families a printer offers) holds the font a card
// names, by that name or by the name the list knows the font under.
bool FontListHas(const QStringList& fonts, const QString& fontName);
