#include "app/cardsession.h"
#include "app/mainform.h"
#include "app/newcard.h"
#include "document/cardfile.h"
#include "editor/cardcanvas.h"
#include "sessioncontext.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolBar>
#include <QWindow>
#include <QtTest>

// The main window's menus, toolbar and the file commands driven through them
// with scripted answers.
class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void menusInOrder();
    void turningTheCardUpright_data();
    void turningTheCardUpright();
    void toolbarButtons();
    void toolbarSeparatorsDoNothing();
    void tabCaptions();
    void overwriteSaveEnabling();
    void newAnswerCancelKeepsCard();
    void newAnswerNoDiscards();
    void newAnswerYesSavesFirst();
    void yesThenCancelledDialogStops_data();
    void yesThenCancelledDialogStops();
    void yesThenFailedSaveStops();
    void openAnswerNoThenCancel();
    void openFormat20Caption();
    void overwriteSaveOfOtherEndingAsks_data();
    void overwriteSaveOfOtherEndingAsks();
    void overwriteSaveOfNewCardAsksWhere();
    void overwriteSaveAfterExportAsks();
    void saveAsWritesChosenFile();
    void exitCancelKeepsWindow();
    void exitStoresSettings();
    void exitReportsSettingsNotWritten();
    void toolWindowDisablesMainWindow();
    void entriesOpenTheirWindows_data();
    void entriesOpenTheirWindows();
    void closingWithToolWindowsOpen();

private:
    struct Fixture {
        SessionContext t;
        MainForm form{*t.m};
        // The caption as the window system shows it.
        QString caption() {
            form.winId();
            return form.windowHandle()->title();
        }
        Fixture() {
            NewCard(*t.m);
            t.ui.messages.clear();
        }
        QAction* action(const char* name) { return form.findChild<QAction*>(name); }
    };
};

void TestMainForm::menusInOrder() {
    Fixture f;
    QStringList seen;
    for (QAction* top : f.form.menuBar()->actions()) {
        seen << top->text();
        for (QAction* a : top->menu()->actions())
            seen << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    const QStringList expected{"ﾌｧｲﾙ(&F)",
                               "新規作成(&N)",
                               "開く(&O)",
                               "上書保存(&S)",
                               "名前を付けて保存(&A)",
                               "-",
                               "背景の読込(&H)",
                               "-",
                               "終了(&X)",
                               "編集(&E)",
                               "元に戻す(&U)",
                               "やり直し(&R)",
                               "表示(&V)",
                               "拡大(&I)",
                               "縮小(&O)",
                               "実際のサイズ(&A)",
                               "ウィンドウに合わせる(&W)",
                               "印刷(&I)",
                               "ｽﾀｲﾙ設定(&S)",
                               "-",
                               "印刷実行(&P)",
                               "差し込み印刷(&M)...",
                               "設定(&S)",
                               "背景(&H)",
                               "画像設定(&G)",
                               "QRコード(&Q)",
                               "ロゴ(&L)",
                               "縦型名刺(&T)",
                               "ﾍﾙﾌﾟ(&H)",
                               "目次(&M)"};
    QCOMPARE(seen, expected);
    for (const char* name : {"Sinki", "Load_Hiraku", "Save_Uwagaki", "Save_Name", "HaikeiLoad",
                             "Shuryo", "PrintS", "Insatu", "mnu_Haikei", "mnu_GazouSet", "Houhou"})
        QVERIFY2(f.action(name), name);
    QCOMPARE(f.form.Cmd_PictureSetting->text(), QStringLiteral("画像設定"));
}

// The menu item turns the card, one step that undo takes back; the canvas
// takes the card's shape, shown whole at the zoom chosen or smaller, the
// lines keep their place in proportion, and the item follows the card.
void TestMainForm::turningTheCardUpright_data() {
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("zoomSteps"); // zoom out before turning
    QTest::newRow("hidden window") << false << 0;
    QTest::newRow("shown at 100 %") << true << 0;
    QTest::newRow("shown at 50 %") << true << 2;
}

void TestMainForm::turningTheCardUpright() {
    QFETCH(bool, shown);
    QFETCH(int, zoomSteps);
    Fixture f;
    if (shown) {
        f.form.resize(900, 600);
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
    }
    for (int k = 0; k < zoomSteps; ++k)
        f.action("zoomOutAction")->trigger();
    CardCanvas* canvas = f.form.Picture1;
    const QSize landscape = canvas->size();
    const double zoom = canvas->zoom();
    f.form.uprightAction->trigger();
    QVERIFY(f.t.m->doc.card.Upright);
    QCOMPARE(f.t.m->doc.card.TextItems[0].Top, 36.4); // 22 mm of 55, of 91
    const QSize view = f.form.Frame1->viewport()->size();
    if (shown && landscape.width() > view.height()) {
        QVERIFY(canvas->zoom() < zoom);
        QVERIFY(canvas->height() <= view.height());
    } else {
        QCOMPARE(canvas->size(), landscape.transposed());
    }
    f.form.undoAction->trigger();
    QVERIFY(!f.t.m->doc.card.Upright);
    QVERIFY(!f.form.uprightAction->isChecked());
    QCOMPARE(f.t.m->doc.card.TextItems[0].Top, 22.0);
    QCOMPARE(canvas->zoom(), zoom);
    QCOMPARE(canvas->size(), landscape);
}

void TestMainForm::toolbarButtons() {
    Fixture f;
    QStringList tips;
    int index = 1;
    for (QAction* a : f.form.Toolbar1->actions()) {
        QCOMPARE(a->objectName(), QStringLiteral("Toolbar1_%1").arg(index++));
        tips << (a->isSeparator() ? QStringLiteral("-") : a->toolTip());
    }
    QCOMPARE(tips, (QStringList{"-", "新規作成", "開く", "上書保存", "-", "背景の読込", "-",
                                "印刷スタイル", "印刷", "-", "ヘルプ"}));
}

void TestMainForm::toolbarSeparatorsDoNothing() {
    Fixture f;
    f.t.m->doc.card.TextItems[0].Text = QStringLiteral("山田");
    f.t.m->doc.ChangedFlg = 1;
    for (int index : {0, 1, 5, 7, 10, 12})
        f.form.Toolbar1_ButtonClick(index);
    QVERIFY(f.t.ui.messages.isEmpty());
    QVERIFY(f.t.ui.openFilters.isEmpty() && f.t.ui.saveFilters.isEmpty());
    QCOMPARE(f.t.m->doc.card.TextItems[0].Text, QStringLiteral("山田"));
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
    // Button 2 is New: it asks about the modified card.
    f.form.Toolbar1_ButtonClick(2);
    QCOMPARE(f.t.ui.messages.size(), 1);
}

void TestMainForm::tabCaptions() {
    Fixture f;
    QCOMPARE(f.form.SSTab1->count(), 12);
    QStringList captions;
    for (int i = 0; i < 12; ++i)
        captions << f.form.SSTab1->tabText(i);
    QCOMPARE(captions, (QStringList{"名前", "会社・団体", "部課", "役職", "住所", "電話番号", "FAX",
                                    "携帯電話", "ﾎﾟｹﾍﾞﾙ", "E-Mail", "その他1", "その他2"}));
}

void TestMainForm::overwriteSaveEnabling() {
    Fixture f;
    emit f.form.MFile->aboutToShow();
    QVERIFY(f.action("Save_Uwagaki")->isEnabled());
    f.t.m->doc.CardPath.clear();
    emit f.form.MFile->aboutToShow();
    QVERIFY(!f.action("Save_Uwagaki")->isEnabled());
}

void TestMainForm::newAnswerCancelKeepsCard() {
    Fixture f;
    f.t.m->doc.card.TextItems[1].Text = QStringLiteral("㈱テスト");
    f.t.m->doc.ChangedFlg = 1;
    f.t.ui.answers.enqueue(UiServices::AnswerCancel);
    f.action("Sinki")->trigger();
    QCOMPARE(f.t.ui.messages.size(), 1);
    const ScriptedUi::Message& ask = f.t.ui.messages.first();
    QCOMPARE(ask.text, QStringLiteral("このデータは変更されています。\rデータを保存しますか？\r"));
    QCOMPARE(ask.title, QStringLiteral("Quillo 2.40"));
    QCOMPARE(ask.buttons, UiServices::YesNoCancel);
    QCOMPARE(f.t.m->doc.card.TextItems[1].Text, QStringLiteral("㈱テスト"));
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
}

void TestMainForm::newAnswerNoDiscards() {
    Fixture f;
    f.t.m->doc.card.TextItems[1].Text = QStringLiteral("㈱テスト");
    f.t.m->doc.CardPath = f.t.path("mine.qcd");
    f.t.m->doc.ChangedFlg = 1;
    f.t.ui.answers.enqueue(UiServices::AnswerNo);
    f.action("Sinki")->trigger();
    QVERIFY(f.t.m->doc.card.TextItems[1].Text.isEmpty());
    QCOMPARE(f.t.m->doc.CardPath, DefaultCardPath(f.t.m->app));
    QCOMPARE(f.caption(), CaptionFor(DefaultCardPath(f.t.m->app)));
    QCOMPARE(f.t.m->doc.ChangedFlg, 0);
    QVERIFY(!QFileInfo::exists(f.t.path("mine.qcd")));
}

void TestMainForm::newAnswerYesSavesFirst() {
    Fixture f;
    f.t.m->doc.card.TextItems[1].Text = QStringLiteral("㈱テスト");
    f.t.m->doc.CardPath = f.t.path("mine.qcd");
    f.t.m->doc.ChangedFlg = 1;
    f.t.ui.answers.enqueue(UiServices::AnswerYes);
    f.action("Sinki")->trigger();
    QVERIFY(f.t.ui.saveFilters.isEmpty()); // the card had a path: no dialog
    QVERIFY(QFileInfo::exists(f.t.path("mine.qcd")));
    QVERIFY(f.t.m->doc.card.TextItems[1].Text.isEmpty());
}

void TestMainForm::yesThenCancelledDialogStops_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("new") << "Sinki";
    QTest::newRow("open") << "Load_Hiraku";
    QTest::newRow("exit") << "Shuryo";
}

void TestMainForm::yesThenCancelledDialogStops() {
    QFETCH(QString, command);
    Fixture f;
    f.form.show();
    f.t.m->doc.card.TextItems[0].Text = QStringLiteral("未保存");
    f.t.m->doc.CardPath.clear();
    f.t.m->doc.ChangedFlg = 1;
    f.t.ui.answers.enqueue(UiServices::AnswerYes);
    f.action(command.toLatin1().constData())->trigger();
    QCOMPARE(f.t.ui.saveFilters, QStringList{"名刺ﾌｧｲﾙ2.2|*.qcd|Jpegﾌｧｲﾙ|*.jpg|ﾋﾞｯﾄﾏｯﾌﾟ|*.bmp|"});
    QVERIFY(f.t.ui.openFilters.isEmpty());
    QCOMPARE(f.t.m->doc.card.TextItems[0].Text, QStringLiteral("未保存"));
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
    QVERIFY(f.form.isVisible());
}

void TestMainForm::yesThenFailedSaveStops() {
    Fixture f;
    f.t.m->doc.card.TextItems[0].Text = QStringLiteral("引用符\"");
    f.t.m->doc.CardPath = f.t.path("x.qcd");
    f.t.m->doc.ChangedFlg = 1;
    f.t.ui.answers.enqueue(UiServices::AnswerYes);
    f.action("Sinki")->trigger();
    QCOMPARE(f.t.ui.messages.size(), 2); // the question, then why nothing was saved
    QCOMPARE(f.t.m->doc.card.TextItems[0].Text, QStringLiteral("引用符\""));
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
}

void TestMainForm::openAnswerNoThenCancel() {
    Fixture f;
    f.t.m->doc.card.TextItems[0].Text = QStringLiteral("古い");
    f.t.m->doc.ChangedFlg = 1;
    f.t.ui.answers.enqueue(UiServices::AnswerNo);
    f.action("Load_Hiraku")->trigger();
    QCOMPARE(f.t.ui.openFilters,
             QStringList{"すべての名刺ﾌｧｲﾙ|*.qcd *.qmd *.qms|"
                         "名刺ﾌｧｲﾙ2.2|*.qcd|名刺ﾌｧｲﾙ2.0|*.qmd|名刺ﾌｧｲﾙ1.1|*.qms|"});
    QCOMPARE(f.t.m->doc.card.TextItems[0].Text, QStringLiteral("古い"));
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
}

void TestMainForm::openFormat20Caption() {
    Fixture f;
    QVERIFY(QDir().mkpath(f.t.path("cards")));
    const QString qmd = f.t.path("cards/a.qmd");
    QVERIFY(QFile::copy(QStringLiteral(QUILLO_TEST_DATA "/card20.qmd"), qmd));
    f.t.ui.openNames.enqueue(qmd);
    f.action("Load_Hiraku")->trigger();
    QCOMPARE(f.caption(), QStringLiteral("Quillo 2.40   ") + f.t.path("cards/a.qcd"));
    QCOMPARE(f.t.m->doc.card.TextItems[0].Text, QStringLiteral("山田　太郎"));
    QCOMPARE(f.t.m->doc.ChangedFlg, 0);
}

void TestMainForm::overwriteSaveOfOtherEndingAsks_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("jpg") << "card.jpg";
    QTest::newRow("qmd") << "card.qmd";
    QTest::newRow("none") << "card";
}

void TestMainForm::overwriteSaveOfOtherEndingAsks() {
    QFETCH(QString, name);
    Fixture f;
    f.t.m->doc.CardPath = f.t.path(name);
    f.action("Save_Uwagaki")->trigger();
    QCOMPARE(f.t.ui.saveFilters.size(), 1);
    QVERIFY(!QFileInfo::exists(f.t.path(name)));
}

// A new card is never written over the program's default card: its first
// save asks where.
void TestMainForm::overwriteSaveOfNewCardAsksWhere() {
    Fixture f;
    f.t.m->doc.ChangedFlg = 1;
    f.action("Save_Uwagaki")->trigger();
    QCOMPARE(f.t.ui.saveFilters.size(), 1);
    QVERIFY(!QFileInfo::exists(DataFolderPath(f.t.m->app) + QStringLiteral("/Data00.qcd")));
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
}

// An image export writes no card file, whatever file its name would give:
// the card keeps its own name, and another card's file stays as it was.
void TestMainForm::overwriteSaveAfterExportAsks() {
    Fixture f;
    const QString other = f.t.path("card.qcd");
    {
        QFile file(other);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("another card");
    }
    f.t.ui.saveNames.enqueue(f.t.path("card.jpg"));
    f.action("Save_Name")->trigger();
    QVERIFY(QFileInfo::exists(f.t.path("card.jpg")));
    QCOMPARE(f.t.m->doc.CardPath, DefaultCardPath(f.t.m->app));
    QCOMPARE(f.caption(), CaptionFor(DefaultCardPath(f.t.m->app)));

    f.action("Save_Uwagaki")->trigger();
    QCOMPARE(f.t.ui.saveFilters.size(), 2);
    QFile kept(other);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("another card"));
}

void TestMainForm::saveAsWritesChosenFile() {
    Fixture f;
    f.t.m->doc.card.TextItems[0].Text = QStringLiteral("名刺");
    f.t.m->doc.ChangedFlg = 1;
    f.t.ui.saveNames.enqueue(f.t.path("card.qcd"));
    f.action("Save_Name")->trigger();
    QVERIFY(QFileInfo::exists(f.t.path("card.qcd")));
    QCOMPARE(f.t.m->doc.CardPath, f.t.path("card.qcd"));
    QCOMPARE(f.caption(), CaptionFor(f.t.path("card.qcd")));
    QCOMPARE(f.t.m->doc.ChangedFlg, 0);

    // A name nothing can be saved under keeps the card's old name and state.
    f.t.m->doc.ChangedFlg = 1;
    f.t.ui.saveNames.enqueue(f.t.path("card.txt"));
    f.action("Save_Name")->trigger();
    QCOMPARE(f.t.m->doc.CardPath, f.t.path("card.qcd"));
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
}

void TestMainForm::exitCancelKeepsWindow() {
    Fixture f;
    f.form.show();
    f.t.m->doc.ChangedFlg = 1;
    f.t.ui.answers.enqueue(UiServices::AnswerCancel);
    f.action("Shuryo")->trigger();
    QVERIFY(f.form.isVisible());
    QVERIFY(f.t.settings->text("sti", "file", "unset") == "unset");
}

void TestMainForm::exitStoresSettings() {
    Fixture f;
    f.form.show();
    f.t.m->doc.CardPath = f.t.path("last.qcd");
    f.t.m->app.IsfkY = 4.2328042328042326;
    f.t.m->app.IsfkX = 0;
    f.t.m->doc.ChangedFlg = 0;
    QVERIFY(f.form.close());
    QVERIFY(!f.form.isVisible());
    Settings stored(f.t.path("qvrs.ini"));
    QCOMPARE(stored.text("sti", "file", QString()), f.t.path("last.qcd"));
    QCOMPARE(stored.text("sti", "ify", QString()), QStringLiteral("4.23280423280423"));
    QCOMPARE(stored.text("sti", "ifx", QString()), QStringLiteral("0"));
}

// A folder where the settings file belongs: the window closes and says the
// settings were not written.
void TestMainForm::exitReportsSettingsNotWritten() {
    Fixture f;
    f.form.show();
    f.t.m->doc.ChangedFlg = 0;
    QVERIFY(QDir().mkdir(f.t.path("qvrs.ini")));
    QVERIFY(f.form.close());
    QVERIFY(!f.form.isVisible());
    QCOMPARE(f.t.ui.texts().size(), 1);
    QVERIFY2(f.t.ui.texts().first().startsWith(QStringLiteral("書き込みエラーです。 # 75")),
             qPrintable(f.t.ui.texts().first()));
}

void TestMainForm::toolWindowDisablesMainWindow() {
    Fixture f;
    f.form.show();
    QPointer<QWidget> tool = new QWidget;
    f.form.showToolWindow(tool);
    QVERIFY(!f.form.isEnabled());
    QVERIFY(tool->isVisible());
    tool->close();
    QTRY_VERIFY(tool.isNull());
    QVERIFY(f.form.isEnabled());
}

void TestMainForm::entriesOpenTheirWindows_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("disablesMain");
    QTest::newRow("image browser") << "HaikeiLoad"
                                   << "ViewForm" << true;
    QTest::newRow("print style") << "PrintS"
                                 << "PrintsForm" << true;
    QTest::newRow("print dialog") << "Insatu"
                                  << "IsForm2" << true;
    QTest::newRow("background") << "mnu_Haikei"
                                << "frmBackColor" << false;
    QTest::newRow("picture settings") << "mnu_GazouSet"
                                      << "frmPictureSetting" << false;
}

void TestMainForm::entriesOpenTheirWindows() {
    QFETCH(QString, entry);
    QFETCH(QString, window);
    QFETCH(bool, disablesMain);
    Fixture f;
    f.form.show();
    f.action(entry.toLatin1().constData())->trigger();
    QWidget* opened = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->inherits(window.toLatin1().constData()))
            opened = w;
    }
    QVERIFY2(opened, qPrintable(window));
    QCOMPARE(!f.form.isEnabled(), disablesMain);
    QCOMPARE(opened->isModal(), !disablesMain);
    opened->close();
    QTRY_VERIFY(f.form.isEnabled());
}

void TestMainForm::closingWithToolWindowsOpen() {
    QPointer<QWidget> first = new QWidget;
    QPointer<QWidget> second = new QWidget;
    {
        Fixture f;
        f.form.show();
        f.form.showToolWindow(first);
        f.form.showToolWindow(second);
    }
    QVERIFY(first.isNull());
    QVERIFY(second.isNull());
}

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
