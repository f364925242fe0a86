// Fonts named by any of their names, in a Japanese session: the font is
// found, drawn, shown in the font list, and its name kept in the card.

#include "app/cardsession.h"
#include "app/mainform.h"
#include "app/newcard.h"
#include "app/startup.h"
#include "base/fonts.h"
#include "editor/cardimage.h"
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

QImage lineImage(const QString& fontName) {
    TestContext t;
    t.m->app.ImgScale = 2;
    TextItem& line = t.m->card.TextItems[0];
    line.Text = QStringLiteral("永遠の名刺");
    line.FontName = fontName;
    line.FontSize = 24;
    line.Left = 5;
    line.Top = 10;
    return RenderCardImage(*t.m, false, true);
}

} // namespace

class TestFontNames : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void familyByAnyName_data();
    void familyByAnyName();
    void listShowsEachFontOnce();
    void minchoDrawnByItsEnglishName();
    void nameKeptThroughSave();
    void fontListSelectsTheFont();
};

void TestFontNames::initTestCase() {
    QVERIFY(japaneseSession);
    if (!QFontDatabase::families().contains(QStringLiteral("IPA明朝")))
        QSKIP("IPA fonts with Japanese names are not installed (scripts/install-deps)");
}

void TestFontNames::familyByAnyName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("family"); // as a Japanese session lists it
    QTest::newRow("English name") << "IPAMincho"
                                  << "IPA明朝";
    QTest::newRow("Japanese name") << "IPA明朝"
                                   << "IPA明朝";
    QTest::newRow("other case") << "ipamincho"
                                << "IPA明朝";
    QTest::newRow("Gothic") << "IPAGothic"
                            << "IPAゴシック";
    QTest::newRow("Gothic, Japanese, other case") << "ipaゴシック"
                                                  << "IPAゴシック";
    QTest::newRow("a Windows font") << "ＭＳ 明朝"
                                    << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestFontNames::familyByAnyName() {
    QFETCH(QString, name);
    QFETCH(QString, family);
    QCOMPARE(InstalledFamilyFor(name), family);
}

void TestFontNames::listShowsEachFontOnce() {
    const QStringList fonts = InstalledFontFamilies();
    QCOMPARE(fonts.count(QStringLiteral("IPA明朝")), 1);
    QVERIFY(!fonts.contains(QStringLiteral("IPAMincho")));
}

void TestFontNames::minchoDrawnByItsEnglishName() {
    const QImage english = lineImage(QStringLiteral("IPAMincho"));
    QCOMPARE(english, lineImage(QStringLiteral("IPA明朝")));
    QVERIFY(english != lineImage(QStringLiteral("IPAゴシック")));
}

void TestFontNames::nameKeptThroughSave() {
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

void TestFontNames::fontListSelectsTheFont() {
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

QTEST_MAIN(TestFontNames)
#include "test_fontnames.moc"
