// A card's fonts named by any of their names, in a Japanese session: the
// name kept through saving and reading the card, and the font selected in
// the main window's font list.

#include "app/cardsession.h"
#include "app/mainform.h"
#include "app/newcard.h"
#include "app/startup.h"
#include "base/fonts.h"
#include "editor/linetab.h"
#include "sessioncontext.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QtTest>

namespace {

// Fontconfig and the font database take the session's language from the
// environment, before the application starts.
const bool japaneseSession = [] {
    qputenv("LC_ALL", "ja_JP.UTF-8");
    qputenv("LANG", "ja_JP.UTF-8");
    return true;
}();

} // namespace

class TestCardFonts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void nameKeptThroughSave();
    void fontListSelectsTheFont();
};

void TestCardFonts::initTestCase() {
    QVERIFY(japaneseSession);
    if (!QFontDatabase::families().contains(QStringLiteral("IPA明朝")))
        QSKIP("IPA fonts with Japanese names are not installed (scripts/install-deps)");
}

void TestCardFonts::nameKeptThroughSave() {
    SessionContext t;
    ListPrinterFonts(*t.m);
    t.m->doc.card.TextItems[0].FontName = QStringLiteral("IPAMincho");
    t.m->doc.card.TextItems[1].FontName = QStringLiteral("ipaゴシック");
    t.m->doc.card.TextItems[2].FontName = QStringLiteral("ＭＳ 明朝");
    const QString first = t.path(QStringLiteral("first.qcd"));
    t.m->doc.CardPath = first;
    QVERIFY(SaveCardFile(*t.m));
    QVERIFY(OpenCardFile(*t.m, first));
    t.m->doc.CardPath = t.path(QStringLiteral("second.qcd"));
    QVERIFY(SaveCardFile(*t.m));
    QVERIFY(OpenCardFile(*t.m, t.m->doc.CardPath));
    QCOMPARE(t.m->doc.card.TextItems[0].FontName, QStringLiteral("IPAMincho"));
    QCOMPARE(t.m->doc.card.TextItems[1].FontName, QStringLiteral("ipaゴシック"));
    // A font absent under every name gives way to the default font.
    QCOMPARE(t.m->doc.card.TextItems[2].FontName, DefaultJapaneseFont());
}

void TestCardFonts::fontListSelectsTheFont() {
    SessionContext t;
    MainForm form(*t.m);
    ListPrinterFonts(*t.m);
    NewCard(*t.m);
    t.m->doc.card.TextItems[0].FontName = QStringLiteral("IPAMincho");
    ShowCardData(*t.m);
    QCOMPARE(form.Lines[0]->ComboFN->currentText(), QStringLiteral("IPA明朝"));
    QCOMPARE(t.m->doc.card.TextItems[0].FontName, QStringLiteral("IPAMincho"));
}

QTEST_MAIN(TestCardFonts)
#include "test_cardfonts.moc"
