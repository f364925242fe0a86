#include "fonts.h"

#include <QFontDatabase>
#include <QFontInfo>

#include <fontconfig/fontconfig.h>

QStringList InstalledFontFamilies() {
    return QFontDatabase::families();
}

static QString fontconfigJapaneseSans() {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:lang=ja"));
    if (!pattern)
        return {};
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    QString family;
    FcChar8* name = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
        family = QString::fromUtf8(reinterpret_cast<const char*>(name));
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return family;
}

QString DefaultJapaneseFont() {
    static const QString font = [] {
        const QString family = fontconfigJapaneseSans();
        if (!family.isEmpty())
            return family;
        const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
        if (!japanese.isEmpty())
            return japanese.first();
        return QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
    }();
    return font;
}
