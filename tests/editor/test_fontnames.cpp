// Fonts named by any of their names, in a Japanese session: the font is
// found, listed once and drawn.

#include "base/fonts.h"
#include "editor/cardimage.h"
#include "testcontext.h"

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
    t.app.ImgScale = 2;
    TextItem& line = t.doc.card.TextItems[0];
    line.Text = QStringLiteral("永遠の名刺");
    line.FontName = fontName;
    line.FontSize = 24;
    line.Left = 5;
    line.Top = 10;
    return t.renderCard(false, true);
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

QTEST_MAIN(TestFontNames)
#include "test_fontnames.moc"
