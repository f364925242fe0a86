#pragma once

#include <QString>
#include <QStringList>

// The font families installed on the system, in the font database's order.
QStringList InstalledFontFamilies();

// The family fontconfig chooses for Japanese sans-serif text: the font a new
// card's lines get and the one that replaces a font that is not installed.
QString DefaultJapaneseFont();
