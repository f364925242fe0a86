#include "fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QHash>
#include <QSet>

#include <fontconfig/fontconfig.h>

namespace {

// Every family name of every installed font, folded to lower case, mapped to
// the name the font database lists for that font.
QHash<QString, QString> familiesByAnyName() {
    QHash<QString, QString> byName;
    // Without a GUI application there is no font database: each font is
    // then known by the first name fontconfig gives it.
    const bool database = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    const QStringList listed = database ? QFontDatabase::families() : QStringList();
    QHash<QString, QString> listedFolded;
    for (const QString& family : listed) {
        byName.insert(family.toCaseFolded(), family);
        listedFolded.insert(family.toCaseFolded(), family);
    }

    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr;
    for (int f = 0; fonts && f < fonts->nfont; ++f) {
        QStringList names;
        FcChar8* value = nullptr;
        for (int n = 0; FcPatternGetString(fonts->fonts[f], FC_FAMILY, n, &value) == FcResultMatch;
             ++n)
            names.append(QString::fromUtf8(reinterpret_cast<const char*>(value)));
        // The name of this font the database lists; a font it does not list
        // (a bitmap font Qt leaves out) is no help.
        QString known;
        for (const QString& name : names) {
            known = listedFolded.value(name.toCaseFolded());
            if (!known.isEmpty())
                break;
        }
        if (known.isEmpty() && database)
            continue;
        if (known.isEmpty())
            known = names.value(0);
        for (const QString& name : names)
            byName.insert(name.toCaseFolded(), known);
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    if (objects)
        FcObjectSetDestroy(objects);
    if (pattern)
        FcPatternDestroy(pattern);
    return byName;
}

QString fontconfigJapaneseSans() {
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

} // namespace

QStringList InstalledFontFamilies() {
    QStringList families;
    QSet<QString> seen;
    for (const QString& family : QFontDatabase::families()) {
        if (!seen.contains(family.toCaseFolded())) {
            seen.insert(family.toCaseFolded());
            families.append(family);
        }
    }
    return families;
}

QString InstalledFamilyFor(const QString& fontName) {
    // Fontconfig is far too slow to ask for every line drawn; the fonts do
    // not change while the program runs.
    static const QHash<QString, QString> byName = familiesByAnyName();
    if (fontName.isEmpty())
        return {};
    // The few names of a card are asked for at every line drawn: kept as
    // written, they are found without folding their case again.
    static thread_local QHash<QString, QString> asked;
    if (const auto known = asked.constFind(fontName); known != asked.constEnd())
        return *known;
    const QString family = byName.value(fontName.toCaseFolded());
    asked.insert(fontName, family);
    return family;
}

bool FontListHas(const QStringList& fonts, const QString& fontName) {
    if (fonts.contains(fontName, Qt::CaseInsensitive))
        return true;
    const QString family = InstalledFamilyFor(fontName);
    return !family.isEmpty() && fonts.contains(family);
}

QString DefaultJapaneseFont() {
    static const QString font = [] {
        // The family fontconfig names first may be one of the font's other
        // names; the font database's name is the one the lists show.
        const QString family = InstalledFamilyFor(fontconfigJapaneseSans());
        if (!family.isEmpty())
            return family;
        const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
        if (!japanese.isEmpty())
            return japanese.first();
        return QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
    }();
    return font;
}
