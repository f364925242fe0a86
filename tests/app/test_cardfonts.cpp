// A card's fonts named by any of their names, in a Japanese session: the
// name kept through saving and reading the card, and the font selected in
// the main window's font list.

#include "app/cardsession.h"
#include "app/mainform.h"
#include "app/newcard.h"
#include "app/startup.h"
#include "base/fonts.h"
#include "editor/linetab.h"
#include "testcontext.h"

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
    TestContext t;
    ListPrinterFonts(*t.m);
    t.m->card.TextItems[0].FontName = QStringLiteral("IPAMincho");
    t.m->card.TextItems[1].FontName = QStringLiteral("ipaゴシック");
    t.m->card.TextItems[2].FontName = QStringLiteral("ＭＳ 明朝");
    const QString first = t.path(QStringLiteral("first.qcd"));
    t.m->CardPath = first;
    QVERIFY(SaveCardFile(*t.m));
    QVERIFY(OpenCardFile(*t.m, first));
    t.m->CardPath = t.path(QStringLiteral("second.qcd"));
    QVERIFY(SaveCardFile(*t.m));
    QVERIFY(OpenCardFile(*t.m, t.m->CardPath));
    QCOMPARE(t.m->card.TextItems[0].FontName, QStringLiteral("IPAMincho"));
    QCOMPARE(t.m->card.TextItems[1].FontName, QStringLiteral("ipaゴシック"));
    // A font absent under every name gives way to the default font.
    QCOMPARE(t.m->card.TextItems[2].FontName, DefaultJapaneseFont());
}

void TestCardFonts::fontListSelectsTheFont() {
    TestContext t;
    MainForm form(*t.m);
    t.m->setView(&form);
    ListPrinterFonts(*t.m);
    NewCard(*t.m);
    t.m->card.TextItems[0].FontName = QStringLiteral("IPAMincho");
    ShowCardData(*t.m);
    QCOMPARE(form.Lines[0]->ComboFN->currentText(), QStringLiteral("IPA明朝"));
    QCOMPARE(t.m->card.TextItems[0].FontName, QStringLiteral("IPAMincho"));
    t.m->setView(nullptr);
}

QTEST_MAIN(TestCardFonts)
#include "test_cardfonts.moc"
