#include "app/cardsession.h"
#include "app/startup.h"
#include "base/runtimeerror.h"
#include "base/settings.h"
#include "document/cardfile.h"
#include "document/cardformat.h"
#include "document/cp932.h"
#include "sessioncontext.h"

#include <QtTest>

// Start-up: the settings with their defaults, the last card reopened or a new
// card in its place, the printers and the screen check.
class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void settingsDefaults();
    void badNumberSettings_data();
    void badNumberSettings();
    void storedSettingsAreRead();
    void firstStartGivesNewCard();
    void reopensLastCard();
    void lastCardGoneGivesNewCard_data();
    void lastCardGoneGivesNewCard();
    void unreadableLastCardGivesNewCard();
    void commandLineCard();
    void commandLineCardMissing();
    void screenCheck_data();
    void screenCheck();
    void capturePrinters();
    void fontListAndLineFonts();

private:
    static void writeCard(const QString& path, const QString& name);
};

void TestStartup::writeCard(const QString& path, const QString& name) {
    Card card;
    card.TextItems[0].Text = name;
    card.TextItems[0].FontName = QStringLiteral("IPAGothic");
    card.TextItems[0].FontSize = 14;
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Cp932::encode(WriteCard22(card)).value());
}

void TestStartup::settingsDefaults() {
    SessionContext t;
    Settings& s = *t.settings;
    QCOMPARE(s.text("sti", "file", QString()), QString());
    QCOMPARE(s.number("opt", "BackColor", 16777215), 16777215.0);
    InitApp(*t.m);
    QVERIFY(t.ui.messages.isEmpty());
    QCOMPARE(t.m->app.BackColor, 0xFFFFFFu);
    QCOMPARE(t.m->app.HaikeiFlg, 1);
    // The store is only read at start-up: nothing was written to it.
    QVERIFY(!QFileInfo::exists(t.path("qvrs.ini")) || QFileInfo(t.path("qvrs.ini")).size() == 0);
}

void TestStartup::badNumberSettings_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("error");
    QTest::newRow("ify") << "sti"
                         << "ify"
                         << "abc" << int(RuntimeError::TypeMismatch);
    QTest::newRow("ifx") << "sti"
                         << "ifx"
                         << "1,5" << int(RuntimeError::TypeMismatch);
    QTest::newRow("BackColor") << "opt"
                               << "BackColor"
                               << "white" << int(RuntimeError::TypeMismatch);
    QTest::newRow("HaikeiFlg") << "opt"
                               << "HaikeiFlg"
                               << "" << int(RuntimeError::TypeMismatch);
    QTest::newRow("BackColor too large") << "opt"
                                         << "BackColor"
                                         << "99999999" << int(RuntimeError::Overflow);
    QTest::newRow("HaikeiFlg too large") << "opt"
                                         << "HaikeiFlg"
                                         << "1e20" << int(RuntimeError::Overflow);
}

void TestStartup::badNumberSettings() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(int, error);
    SessionContext t;
    t.settings->setText(section, key, value);
    InitApp(*t.m);
    QCOMPARE(t.ui.texts(), QStringList{RuntimeError(error).message()});
    QCOMPARE(t.ui.messages.first().title, QStringLiteral("Quillo 2.40"));
    // Start-up went on with the default and ended with a card.
    QCOMPARE(t.m->app.BackColor, 0xFFFFFFu);
    QCOMPARE(t.m->app.HaikeiFlg, 1);
    QCOMPARE(t.m->doc.CardPath, DefaultCardPath(t.m->app));
    QCOMPARE(t.view.caption, CaptionFor(DefaultCardPath(t.m->app)));
    QCOMPARE(t.m->doc.ChangedFlg, 0);
}

void TestStartup::storedSettingsAreRead() {
    SessionContext t;
    const QString card = t.path("mine.qcd");
    writeCard(card, QStringLiteral("佐藤"));
    t.settings->setText("sti", "file", card);
    t.settings->setText("sti", "ify", "3.5");
    t.settings->setText("sti", "ifx", " 4.25 ");
    t.settings->setText("opt", "BackColor", "255");
    t.settings->setText("opt", "HaikeiFlg", "0");
    InitApp(*t.m);
    QVERIFY(t.ui.messages.isEmpty());
    QCOMPARE(t.m->app.IsfkY, 3.5);
    QCOMPARE(t.m->app.IsfkX, 4.25);
    QCOMPARE(t.m->app.BackColor, 255u);
    QCOMPARE(t.m->app.HaikeiFlg, 0);
}

void TestStartup::firstStartGivesNewCard() {
    SessionContext t;
    t.m->doc.ChangedFlg = 1;
    InitApp(*t.m);
    QVERIFY(t.ui.messages.isEmpty());
    QCOMPARE(t.m->doc.CardPath, DataFolderPath(t.m->app) + QStringLiteral("/Data00.qcd"));
    QVERIFY(t.view.caption.endsWith(QStringLiteral("Data00.qcd")));
    QCOMPARE(t.m->doc.ChangedFlg, 0);
    QCOMPARE(t.m->doc.card.TextItems[0].FontSize, 18.0f);
    QCOMPARE(t.m->doc.card.TextItems[0].Left, 27.0);
    QCOMPARE(t.m->app.StartupFlg, 0);
    // One new card, not one for each way of getting there.
    QCOMPARE(t.view.pictureClears, 1);
}

void TestStartup::reopensLastCard() {
    SessionContext t;
    const QString card = t.path("last.qcd");
    writeCard(card, QStringLiteral("山田"));
    t.settings->setText("sti", "file", card);
    InitApp(*t.m);
    QVERIFY(t.ui.messages.isEmpty());
    QCOMPARE(t.m->doc.card.TextItems[0].Text, QStringLiteral("山田"));
    QCOMPARE(t.m->doc.CardPath, card);
    QCOMPARE(t.view.caption, CaptionFor(card));
    QCOMPARE(t.m->doc.ChangedFlg, 0);
    QVERIFY(t.view.redrawCalls >= 1);
    QVERIFY(t.view.pictureClears >= 1);
}

void TestStartup::lastCardGoneGivesNewCard_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // empty: no such file
    QTest::addColumn<QString>("shown");      // the message, if any
    QTest::newRow("card gone") << "deleted.qcd" << QByteArray() << QString();
    QTest::newRow("other file gone") << "notes.txt" << QByteArray() << QString();
    QTest::newRow("other file there")
        << "notes.txt" << QByteArray("hello\r\n") << QStringLiteral("名刺ファイルとして読めません");
    QTest::newRow("not a card inside")
        << "bad.qcd" << QByteArray("abc,def\r\n") << QStringLiteral("名刺ファイルとして読めません");
}

void TestStartup::lastCardGoneGivesNewCard() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, shown);
    SessionContext t;
    const QString path = t.path(name);
    if (!content.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    t.settings->setText("sti", "file", path);
    InitApp(*t.m);
    if (shown.isEmpty()) {
        QVERIFY(t.ui.messages.isEmpty());
    } else {
        QCOMPARE(t.ui.messages.size(), 1);
        QVERIFY(t.ui.messages[0].detail.contains(path));
        QVERIFY(t.ui.messages[0].detail.contains(shown));
    }
    // A whole new card under the default name, never half of one.
    QCOMPARE(t.m->doc.CardPath, DefaultCardPath(t.m->app));
    QCOMPARE(t.view.caption, CaptionFor(DefaultCardPath(t.m->app)));
    QVERIFY(t.m->doc.card.TextItems[0].Text.isEmpty());
    QCOMPARE(t.m->doc.card.TextItems[0].Left, 27.0);
    QCOMPARE(t.m->doc.card.TextItems[0].FontSize, 18.0f);
    QCOMPARE(t.m->doc.ChangedFlg, 0);
}

void TestStartup::unreadableLastCardGivesNewCard() {
    SessionContext t;
    const QString card = t.path("broken.qcd");
    {
        QFile f(card);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\"\",55,91\r\n");
    }
    t.settings->setText("sti", "file", card);
    InitApp(*t.m);
    QCOMPARE(t.ui.texts(), QStringList{RuntimeError(RuntimeError::InputPastEnd).message()});
    // A new card under the default name: a later save cannot overwrite the
    // broken file with something else.
    QCOMPARE(t.m->doc.CardPath, DefaultCardPath(t.m->app));
    QCOMPARE(t.m->doc.card.PrintStyle, PrintStyle{});
}

void TestStartup::commandLineCard() {
    SessionContext t;
    const QString remembered = t.path("remembered.qcd");
    const QString named = t.path("named.qcd");
    writeCard(remembered, QStringLiteral("記憶"));
    writeCard(named, QStringLiteral("指定"));
    t.settings->setText("sti", "file", remembered);
    InitApp(*t.m, named);
    QCOMPARE(t.m->doc.card.TextItems[0].Text, QStringLiteral("指定"));
    QCOMPARE(t.view.caption, CaptionFor(named));
}

void TestStartup::commandLineCardMissing() {
    SessionContext t;
    InitApp(*t.m, t.path("typo.qcd"));
    QCOMPARE(t.ui.texts(), QStringList{QStringLiteral("ファイルが見つかりませんでした。")});
    QCOMPARE(t.m->doc.CardPath, DefaultCardPath(t.m->app));
}

void TestStartup::screenCheck_data() {
    QTest::addColumn<int>("heightPixels");
    QTest::addColumn<bool>("enough");
    QTest::newRow("480") << 480 << false;
    QTest::newRow("481") << 481 << true;
    QTest::newRow("768") << 768 << true;
}

void TestStartup::screenCheck() {
    QFETCH(int, heightPixels);
    QFETCH(bool, enough);
    SessionContext t;
    t.m->app.TppY = 15;
    t.m->app.ScrHeight = heightPixels * 15;
    QCOMPARE(ScreenCheck(*t.m), enough);
    QCOMPARE(t.ui.messages.size(), enough ? 0 : 1);
    if (!enough)
        QCOMPARE(t.ui.messages.first().text,
                 QStringLiteral("この解像度では、すべての機能を利用する事ができません。\r\n"
                                " (800 * 600) 以上の解像度をお勧めします。"));
}

void TestStartup::capturePrinters() {
    SessionContext t;
    TestPrinterHost withPdf({QStringLiteral("Recorder"), QStringLiteral("PDF")},
                            [&](const QString& n) { return t.host->open(n); });
    Session m(t.ui, *t.settings, withPdf);
    CapturePrinters(m);
    QCOMPARE(m.printers.PrinterList, (QStringList{"Recorder", "PDF"}));
    QVERIFY(t.ui.eventRuns >= 2);

    // The built-in PDF printer alone still prints: no message.
    TestPrinterHost pdfOnly({QStringLiteral("PDF")},
                            [&](const QString& n) { return t.host->open(n); });
    Session lonely(t.ui, *t.settings, pdfOnly);
    CapturePrinters(lonely);
    QCOMPARE(lonely.printers.PrinterList, QStringList{"PDF"});
    QVERIFY(t.ui.messages.isEmpty());

    TestPrinterHost none({}, [&](const QString& n) { return t.host->open(n); });
    Session without(t.ui, *t.settings, none);
    CapturePrinters(without);
    QVERIFY(without.printers.PrinterList.isEmpty());
    QCOMPARE(t.ui.texts(), QStringList{QStringLiteral("プリンタが設定されていません。\r\n"
                                                      "「Quillo」の印刷機能は使用できません。")});
}

void TestStartup::fontListAndLineFonts() {
    SessionContext t;
    InitApp(*t.m);
    const QString current = t.m->printers.printer().CurrentFontName();
    QVERIFY(!current.isEmpty());
    QCOMPARE(t.m->FontList, t.m->printers.printer().FontNames());
    QVERIFY(t.m->FontList.contains(current));
    for (int i = 0; i < LineCount; ++i)
        QCOMPARE(t.m->doc.card.TextItems[i].FontName, current);
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
