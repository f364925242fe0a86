#include "app/cardsession.h"
#include "app/commands.h"
#include "app/mainform.h"
#include "app/newcard.h"
#include "app/qtui.h"
#include "app/recentcards.h"
#include "base/settings.h"
#include "document/cardfile.h"
#include "editor/cardcanvas.h"
#include "editor/itemlayout.h"
#include "editor/linetab.h"
#include "layout/printstyleform.h"
#include "picture/cardpicture.h"
#include "picture/picturesettings.h"
#include "sessioncontext.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <map>

// What a desktop program is expected to do, on the real main window: undo and
// redo, the changed state at the save point, zoom, recent cards, windows that
// stay with their owner, Escape, Japanese standard buttons and messages that
// say which file.
class TestDesktop : public QObject {
    Q_OBJECT
private slots:
    void standardButtonsInJapanese_data();
    void standardButtonsInJapanese();
    void standardShortcuts_data();
    void standardShortcuts();
    void undoRedo_data();
    void undoRedo();
    void undoShowsTheChangedLine();
    void changedFollowsSavePoint_data();
    void changedFollowsSavePoint();
    void zoom_data();
    void zoom();
    void tabOrder();
    void recentCards_data();
    void recentCards();
    void windowsStayWithOwner_data();
    void windowsStayWithOwner();
    void messagesNameTheFile_data();
    void messagesNameTheFile();
    void exportLeavesTheCard_data();
    void exportLeavesTheCard();
    void firstSaveAsksWhere_data();
    void firstSaveAsksWhere();
    void lockedWindowTakesNoInput_data();
    void lockedWindowTakesNoInput();

private:
    struct Fixture {
        SessionContext t;
        MainForm form{*t.m};
        Fixture() {
            t.m->app.ScrHeight = 1080 * t.m->app.TppY;
            t.m->app.ScrWidth = 1920 * t.m->app.TppX;
            t.m->FontList = QStringList{QStringLiteral("IPAGothic"), QStringLiteral("IPAMincho")};
            NewCard(*t.m);
            for (int i = 0; i < LineCount; ++i)
                t.m->doc.card.TextItems[i].FontName = QStringLiteral("IPAGothic");
            t.m->doc.card.TextItems[0].Text = QStringLiteral("山田太郎");
            ShowCardData(*t.m);
            form.redrawCard();
            form.resize(900, 700);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            t.m->doc.history().reset();
            t.ui.messages.clear();
        }
        QAction* action(const char* name) { return form.findChild<QAction*>(name); }
        LineTab* line(int i) { return form.Lines[i]; }
        void type(QLineEdit* field, const QString& text, bool enter) {
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, text);
            if (enter)
                QTest::keyClick(field, Qt::Key_Return);
        }
        void tick(QCheckBox* box) { box->click(); }
        void spin(QScrollBar* bar, bool upOrLeft) {
            bar->triggerAction(upOrLeft ? QAbstractSlider::SliderSingleStepSub
                                        : QAbstractSlider::SliderSingleStepAdd);
        }
        void drag(int i, const QPoint& by) {
            QLabel* label = form.Picture1->MJLabel[i];
            const QPoint grab(3, 3);
            QTest::mousePress(label, Qt::LeftButton, {}, grab);
            for (int k = 1; k <= 4; ++k) {
                const QPointF to = QPointF(grab) + QPointF(by) * k / 4.0;
                QMouseEvent move(QEvent::MouseMove, to, label->mapToGlobal(to), Qt::NoButton,
                                 Qt::LeftButton, {});
                QApplication::sendEvent(label, &move);
            }
            QTest::mouseRelease(label, Qt::LeftButton, {}, grab);
        }
        // The windows the test opened, by class name, visible or not.
        QWidget* window(const QString& className) {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->isVisible() && w->inherits(className.toLatin1().constData()))
                    return w;
            }
            return nullptr;
        }
    };
};

void TestDesktop::standardButtonsInJapanese_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("yes") << int(QMessageBox::Yes) << QStringLiteral("はい");
    QTest::newRow("no") << int(QMessageBox::No) << QStringLiteral("いいえ");
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << QStringLiteral("キャンセル");
}

// The changed-card question in a ja_JP session: Qt's own buttons speak
// Japanese once its translations are loaded.
void TestDesktop::standardButtonsInJapanese() {
    QFETCH(int, button);
    QFETCH(QString, text);
    static const bool loaded = InstallQtTranslations(QLocale(QLocale::Japanese, QLocale::Japan));
    QVERIFY(loaded);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Quillo 2.40"),
                    QStringLiteral("このデータは変更されています。"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QString shown = box.button(QMessageBox::StandardButton(button))->text();
    shown.remove(u'&');
    QVERIFY2(shown.startsWith(text), qPrintable(shown));
}

void TestDesktop::standardShortcuts_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("key");
    // The key of the Linux desktops, where the platform has none.
    QTest::addColumn<QString>("otherwise");
    QTest::newRow("new") << "Sinki" << int(QKeySequence::New) << QStringLiteral("");
    QTest::newRow("open") << "Load_Hiraku" << int(QKeySequence::Open) << QStringLiteral("");
    QTest::newRow("save") << "Save_Uwagaki" << int(QKeySequence::Save) << QStringLiteral("");
    QTest::newRow("save as") << "Save_Name" << int(QKeySequence::SaveAs)
                             << QStringLiteral("Ctrl+Shift+S");
    QTest::newRow("print") << "Insatu" << int(QKeySequence::Print) << QStringLiteral("");
    QTest::newRow("quit") << "Shuryo" << int(QKeySequence::Quit) << QStringLiteral("Ctrl+Q");
    QTest::newRow("help") << "Houhou" << int(QKeySequence::HelpContents) << QStringLiteral("");
    QTest::newRow("undo") << "undoAction" << int(QKeySequence::Undo) << QStringLiteral("");
    QTest::newRow("redo") << "redoAction" << int(QKeySequence::Redo) << QStringLiteral("");
    QTest::newRow("zoom in") << "zoomInAction" << int(QKeySequence::ZoomIn) << QStringLiteral("");
    QTest::newRow("zoom out") << "zoomOutAction" << int(QKeySequence::ZoomOut)
                              << QStringLiteral("");
}

// The platform's standard keys on the menu entries, where the menus show
// them; the access keys of the captions stay.
void TestDesktop::standardShortcuts() {
    QFETCH(QString, entry);
    QFETCH(int, key);
    QFETCH(QString, otherwise);
    Fixture f;
    QAction* a = f.action(entry.toLatin1().constData());
    QVERIFY(a);
    QList<QKeySequence> expected = QKeySequence::keyBindings(QKeySequence::StandardKey(key));
    if (expected.isEmpty() && !otherwise.isEmpty())
        expected = {QKeySequence(otherwise)};
    QVERIFY(!expected.isEmpty());
    QCOMPARE(a->shortcuts(), expected);
    QVERIFY(a->text().contains(u'&'));
}

void TestDesktop::undoRedo_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("steps");
    QTest::newRow("typing in one field") << "type" << 1;
    QTest::newRow("typing in two fields") << "type two" << 2;
    QTest::newRow("font size typed") << "size" << 1;
    QTest::newRow("font chosen") << "font" << 1;
    QTest::newRow("two X spin steps") << "spin" << 2;
    QTest::newRow("bold") << "bold" << 1;
    QTest::newRow("縦書き") << "vertical" << 1;
    QTest::newRow("縦書き, then its digits") << "digits" << 2;
    QTest::newRow("colour") << "colour" << 1;
    QTest::newRow("3D on and its height") << "3d" << 2;
    QTest::newRow("3D direction") << "direction" << 1;
    QTest::newRow("drag") << "drag" << 1;
    QTest::newRow("Y typed") << "y" << 1;
    QTest::newRow("picture colour") << "picture" << 1;
    QTest::newRow("print style") << "style" << 1;
    // The current line moved by the arrow keys (lower case 0.1 mm, upper
    // case with Shift 1 mm); a key that is no arrow ends a run.
    QTest::newRow("arrows, one run") << "arrows 0 rrrD" << 1;
    QTest::newRow("arrows, two runs") << "arrows 0 UU.l" << 2;
    QTest::newRow("arrows on the third tab") << "arrows 2 Rd" << 1;
}

// Each change undoes to the card before it in the given number of steps, and
// redoes to the card after it; the editor shows the card each time.
void TestDesktop::undoRedo() {
    QFETCH(QString, change);
    QFETCH(int, steps);
    Fixture f;
    const Card before = f.t.m->doc.card;
    LineTab* l = f.line(0);
    if (change == u"type") {
        f.type(l->Text1, QStringLiteral("x"), false);
        QTest::keyClicks(l->Text1, QStringLiteral("abc"));
    } else if (change == u"type two") {
        f.type(l->Text1, QStringLiteral("abc"), false);
        f.form.SSTab1->setCurrentIndex(1);
        f.type(f.line(1)->Text1, QStringLiteral("kk"), false);
    } else if (change == u"size") {
        f.type(l->TextFsize, QStringLiteral("24"), true);
    } else if (change == u"font") {
        l->ComboFN->setCurrentIndex(1);
        emit l->ComboFN->activated(1);
    } else if (change == u"spin") {
        f.spin(l->HScroll1, false);
        f.spin(l->HScroll1, false);
    } else if (change == u"bold") {
        f.tick(l->Check1);
    } else if (change == u"vertical") {
        f.tick(l->Check5);
    } else if (change == u"digits") {
        f.tick(l->Check5);
        QVERIFY(l->digitsChoice->isEnabled());
        l->digitsChoice->setCurrentIndex(2);
        emit l->digitsChoice->activated(2);
    } else if (change == u"colour") {
        f.t.ui.colors.enqueue(quint32(0x0000FF));
        l->CmdC->click();
    } else if (change == u"3d") {
        f.tick(l->chk_Kage);
        f.spin(l->VSc_Takasa, true);
    } else if (change == u"direction") {
        l->cmb_Houkou->setCurrentIndex(6);
        emit l->cmb_Houkou->activated(6);
    } else if (change == u"drag") {
        f.drag(0, QPoint(30, 12));
    } else if (change == u"y") {
        f.type(l->TextY, QStringLiteral("30"), true);
    } else if (change == u"picture") {
        f.form.Cmd_PictureSetting->click();
        auto* dialog = f.form.findChild<frmPictureSetting*>();
        QVERIFY(dialog);
        dialog->optColor[1]->click();
        dialog->cmdOK->click();
    } else if (change.startsWith(u"arrows")) {
        const int line = change.mid(7, 1).toInt();
        f.form.SSTab1->setCurrentIndex(line);
        CardCanvas* canvas = f.form.Picture1;
        canvas->setFocus();
        QPointF by;
        for (const QChar c : change.mid(9)) {
            const double step = c.isUpper() ? 1.0 : 0.1;
            const Qt::KeyboardModifiers shift = c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
            const std::map<QChar, std::pair<Qt::Key, QPointF>> keys{
                {u'l', {Qt::Key_Left, {-step, 0}}},
                {u'r', {Qt::Key_Right, {step, 0}}},
                {u'u', {Qt::Key_Up, {0, -step}}},
                {u'd', {Qt::Key_Down, {0, step}}},
                {u'.', {Qt::Key_Space, {}}}};
            const auto& [key, move] = keys.at(c.toLower());
            QTest::keyClick(canvas, key, shift);
            by += move;
        }
        const TextItem& was = before.TextItems[line];
        const TextItem& now = f.t.m->doc.card.TextItems[line];
        QVERIFY(qAbs(now.Left - was.Left - by.x()) < 1e-9);
        QVERIFY(qAbs(now.Top - was.Top - by.y()) < 1e-9);
    } else if (change == u"style") {
        f.action("PrintS")->trigger();
        auto* style = qobject_cast<PrintsForm*>(f.window(QStringLiteral("PrintsForm")));
        QVERIFY(style);
        // A value is taken when the field is left for another.
        QApplication::setActiveWindow(style);
        f.type(style->field(SheetField::YhkLeft), QStringLiteral("10"), false);
        QTest::keyClick(style->field(SheetField::YhkLeft), Qt::Key_Tab);
        style->Command1->click();
        QTRY_VERIFY(f.form.isEnabled());
        QCOMPARE(f.t.m->doc.card.PrintStyle.YhkLeft, 10.0);
    }
    const Card after = f.t.m->doc.card;
    QVERIFY(!(after == before));
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);

    for (int k = 0; k < steps; ++k) {
        QVERIFY(f.action("undoAction")->isEnabled());
        f.action("undoAction")->trigger();
    }
    QVERIFY(f.t.m->doc.card == before);
    QVERIFY(!f.action("undoAction")->isEnabled());
    QCOMPARE(f.t.m->doc.ChangedFlg, 0);
    QCOMPARE(l->Text1->text(), before.TextItems[0].Text);
    QCOMPARE(l->TextX->text(), FormatPosition(before.TextItems[0].Left));

    // Redone with Ctrl+Y where the card has the keys, else from the menu.
    for (int k = 0; k < steps; ++k) {
        if (f.form.Picture1->hasFocus())
            QTest::keyClick(f.form.Picture1, Qt::Key_Y, Qt::ControlModifier);
        else
            f.action("redoAction")->trigger();
    }
    QVERIFY(f.t.m->doc.card == after);
    QVERIFY(!f.action("redoAction")->isEnabled());
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
    QCOMPARE(l->Text1->text(), after.TextItems[0].Text);
    QCOMPARE(l->Check1->isChecked(), after.TextItems[0].Bold);
    QCOMPARE(l->Check5->isChecked(), after.TextItems[0].Tategaki);
    QCOMPARE(l->digitsChoice->currentIndex(), int(after.TextItems[0].Digits));
    QCOMPARE(f.form.Picture1->MJLabel[0]->text(), after.TextItems[0].Text);
}

// Undo and redo bring the changed line's tab to the front.
void TestDesktop::undoShowsTheChangedLine() {
    Fixture f;
    f.form.SSTab1->setCurrentIndex(4);
    f.tick(f.line(4)->Check5);
    f.form.SSTab1->setCurrentIndex(0);
    f.action("undoAction")->trigger();
    QCOMPARE(f.form.SSTab1->currentIndex(), 4);
    QVERIFY(!f.line(4)->Check5->isChecked());
    f.form.SSTab1->setCurrentIndex(2);
    f.action("redoAction")->trigger();
    QCOMPARE(f.form.SSTab1->currentIndex(), 4);
    QVERIFY(f.line(4)->Check5->isChecked());
}

void TestDesktop::changedFollowsSavePoint_data() {
    // e: a change (one step to the right), s: save, u: undo, r: redo,
    // t: a letter typed and erased, k: Ctrl+Z typed in the text field
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("changed");
    QTest::newRow("change") << "e" << 1;
    QTest::newRow("change, undo") << "eu" << 0;
    QTest::newRow("change, save, change, undo") << "eseu" << 0;
    QTest::newRow("change, save, undo") << "esu" << 1;
    QTest::newRow("change, save, undo, redo") << "esur" << 0;
    QTest::newRow("typed and erased") << "t" << 0;
    QTest::newRow("typed, Ctrl+Z in the field") << "ek" << 0;
    QTest::newRow("saved, typed and erased") << "est" << 0;
}

// The card counts as changed exactly when it differs from its file, and only
// then does New ask about saving.
void TestDesktop::changedFollowsSavePoint() {
    QFETCH(QString, steps);
    QFETCH(int, changed);
    Fixture f;
    f.t.m->doc.CardPath = f.t.path("card.qcd");
    SetCaption(*f.t.m);
    LineTab* l = f.line(0);
    for (const QChar c : steps) {
        switch (c.unicode()) {
        case 'e':
            f.spin(l->HScroll1, false);
            break;
        case 's':
            f.action("Save_Uwagaki")->trigger();
            QVERIFY(QFileInfo::exists(f.t.path("card.qcd")));
            break;
        case 'u':
            f.action("undoAction")->trigger();
            break;
        case 'r':
            f.action("redoAction")->trigger();
            break;
        case 't':
            l->Text1->setFocus();
            l->Text1->end(false);
            QTest::keyClick(l->Text1, Qt::Key_A);
            QTest::keyClick(l->Text1, Qt::Key_Backspace);
            break;
        case 'k':
            QTest::keySequence(l->Text1, QKeySequence::Undo);
            break;
        }
    }
    QCOMPARE(f.t.m->doc.ChangedFlg, changed);
    // The caption marks a changed card after its path, as the window system
    // shows it.
    QCOMPARE(f.form.windowHandle()->title(),
             CaptionFor(f.t.path("card.qcd")) + (changed ? QStringLiteral("*") : QString()));
    f.t.ui.messages.clear();
    f.t.ui.answers.enqueue(UiServices::AnswerCancel);
    f.action("Sinki")->trigger();
    QCOMPARE(f.t.ui.messages.size(), changed);
}

void TestDesktop::zoom_data() {
    // +: zoom in, -: zoom out, 1: actual size, f: fit, w: Ctrl+wheel up,
    // W: Ctrl+wheel down
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("expected"); // larger, smaller, actual, fit
    const auto row = [](const char* tag, const char* steps, const char* expected) {
        QTest::newRow(tag) << steps << expected;
    };
    row("in", "+", "larger");
    row("out", "-", "smaller");
    row("in, out", "+-", "actual");
    row("in twice, actual", "++1", "actual");
    row("wheel up", "w", "larger");
    row("wheel down", "W", "smaller");
    row("fit", "f", "fit");
    row("in, fit", "++f", "fit");
    // M: maximised, N: back to its size
    row("maximised", "+M", "fit");
    row("maximised and back", "-MN", "smaller");
}

// Zoom changes the card's size on screen, never the card: positions, sizes
// and the measured lines stay as they are in millimetres.
void TestDesktop::zoom() {
    QFETCH(QString, steps);
    QFETCH(QString, expected);
    Fixture f;
    CardCanvas* canvas = f.form.Picture1;
    const int actualWidth = int(std::lround(91 * 56.7)) / f.t.m->app.TppX;
    QCOMPARE(canvas->width(), actualWidth);
    const Card before = f.t.m->doc.card;
    for (const QChar c : steps) {
        switch (c.unicode()) {
        case '+':
            f.action("zoomInAction")->trigger();
            break;
        case '-':
            f.action("zoomOutAction")->trigger();
            break;
        case '1':
            f.action("actualSizeAction")->trigger();
            break;
        case 'f':
            f.action("fitToWindowAction")->trigger();
            break;
        case 'M':
            f.form.showMaximized();
            QTRY_VERIFY(f.form.size() != QSize(900, 700));
            break;
        case 'N':
            f.form.showNormal();
            QTRY_COMPARE(f.form.size(), QSize(900, 700));
            break;
        case 'w':
        case 'W': {
            // Over the card's frame; the card and its lines pass the wheel on.
            QWidget* view = f.form.Frame1->viewport();
            const QPoint at = view->rect().center();
            QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(),
                              QPoint(0, c == u'w' ? 120 : -120), Qt::NoButton, Qt::ControlModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(view, &wheel);
            break;
        }
        }
    }
    QVERIFY(f.t.m->doc.card == before);
    QCOMPARE(f.t.m->doc.ChangedFlg, 0);
    if (expected == u"larger")
        QVERIFY(canvas->width() > actualWidth);
    else if (expected == u"smaller")
        QVERIFY(canvas->width() < actualWidth);
    else if (expected == u"actual")
        QCOMPARE(canvas->width(), actualWidth);
    else {
        // Fitted: inside the visible frame, filling its width or its height
        // (the frame of a maximised window once it has its new size).
        auto fitted = [&] {
            const QSize view = f.form.Frame1->viewport()->size();
            return canvas->width() <= view.width() && canvas->height() <= view.height() &&
                   (canvas->width() > view.width() - 40 || canvas->height() > view.height() - 40);
        };
        QTRY_VERIFY(fitted());
    }
    // The lines sit at their millimetres at the zoom shown.
    const double perMm = canvas->width() / 91.0;
    const TextItem& name = f.t.m->doc.card.TextItems[0];
    QVERIFY(qAbs(canvas->MJLabel[0]->x() - name.Left * perMm) <= 1.5);
    QVERIFY(qAbs(canvas->MJLabel[0]->y() - name.Top * perMm) <= 1.5);

    // The status bar tells the zoom and the pointer's place on the card.
    auto* zoomLabel = f.form.findChild<QLabel*>(QStringLiteral("zoomLabel"));
    auto* pointerLabel = f.form.findChild<QLabel*>(QStringLiteral("pointerLabel"));
    QCOMPARE(zoomLabel->text(), QStringLiteral("倍率 %1%").arg(std::lround(100 * canvas->zoom())));
    const QPoint at(canvas->width() * 3 / 4, canvas->height() / 3);
    QMouseEvent move(QEvent::MouseMove, at, canvas->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     {});
    QApplication::sendEvent(canvas, &move);
    const QStringList shown = pointerLabel->text().split(u' ', Qt::SkipEmptyParts);
    QCOMPARE(shown.size(), 6);
    QVERIFY(qAbs(shown[1].toDouble() - at.x() / perMm) < 0.1);
    QVERIFY(qAbs(shown[4].toDouble() - at.y() / (canvas->height() / 55.0)) < 0.1);

    // The current line is outlined beside its glyphs, at every zoom.
    canvas->setFocus();
    const QImage drawn = canvas->grab().toImage();
    const QRect box(canvas->MJLabel[0]->pos(),
                    QSizeF(name.Width * perMm, name.Height * perMm).toSize());
    const QColor outline = canvas->palette().color(QPalette::Highlight);
    QCOMPARE(drawn.pixelColor(box.left() - 2, box.center().y()), outline);
    QCOMPARE(drawn.pixelColor(box.center().x(), box.top() - 2), outline);
}

// Tab walks a line's tab as it reads: the text, the font group, the position
// (with 長体) and the 3D group, without stopping at the spin buttons.
void TestDesktop::tabOrder() {
    Fixture f;
    LineTab* l = f.line(0);
    f.tick(l->chk_Kage); // the 3D controls take part only when enabled
    l->Text1->setFocus();
    QTRY_VERIFY(l->Text1->hasFocus());
    QStringList walked;
    for (int k = 0; k < 16; ++k) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(walked, (QStringList{"ComboFN", "TextFsize", "Check1", "Check2", "Check3", "Check4",
                                  "Check5", "widthScale", "fitToCard", "CmdC", "TextX", "TextY",
                                  "chk_Kage", "txt_Takasa", "cmb_Houkou", "Cmd_Kage"}));
}

void TestDesktop::recentCards_data() {
    // o<n>: open card n, s<n>: save as card n, g<n>: delete card n, then
    // choose it from the list
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QStringList>("listed"); // newest first
    QTest::addColumn<int>("messages");
    QTest::newRow("three opened") << "o1 o2 o3" << QStringList{"3", "2", "1"} << 0;
    QTest::newRow("reopened goes first") << "o1 o2 o1" << QStringList{"1", "2"} << 0;
    QTest::newRow("eight kept") << "o0 o1 o2 o3 o4 o5 o6 o7 o8 o9"
                                << QStringList{"9", "8", "7", "6", "5", "4", "3", "2"} << 0;
    QTest::newRow("saved as") << "o1 s5" << QStringList{"5", "1"} << 0;
    QTest::newRow("gone card chosen") << "o1 o2 g1" << QStringList{"2"} << 1;
    QTest::newRow("card chosen from the list") << "o1 o2 c1" << QStringList{"1", "2"} << 0;
}

// The last eight cards opened or saved, newest first, in the File menu and
// in a settings group of their own.
void TestDesktop::recentCards() {
    QFETCH(QString, steps);
    QFETCH(QStringList, listed);
    QFETCH(int, messages);
    Fixture f;
    auto card = [&](QStringView n) { return f.t.path(QStringLiteral("card%1.qcd").arg(n)); };
    for (int n = 0; n < 10; ++n) {
        Card c;
        c.TextItems[0].Text = QStringLiteral("名刺%1").arg(n);
        c.TextItems[0].FontName = QStringLiteral("IPAGothic");
        c.TextItems[0].FontSize = 12;
        QCOMPARE(WriteCardFile(card(QString::number(n)), c), 0);
    }
    auto chooseFromList = [&](const QString& path) {
        f.form.updateRecentCards();
        for (QAction* a : f.form.RecentActions) {
            if (a->toolTip() == path) {
                a->trigger();
                return true;
            }
        }
        return false;
    };
    for (const QString& step : steps.split(u' ')) {
        const QString path = card(QStringView(step).mid(1));
        if (step[0] == u'o') {
            f.t.ui.openNames.enqueue(path);
            f.action("Load_Hiraku")->trigger();
        } else if (step[0] == u's') {
            QFile::remove(path);
            f.t.ui.saveNames.enqueue(path);
            f.action("Save_Name")->trigger();
        } else if (step[0] == u'g') {
            QVERIFY(QFile::remove(path));
            QVERIFY(chooseFromList(path));
        } else if (step[0] == u'c') {
            QVERIFY(chooseFromList(path));
            QCOMPARE(f.t.m->doc.CardPath, path);
        }
    }
    QCOMPARE(f.t.ui.messages.size(), messages);
    if (messages > 0) {
        QCOMPARE(f.t.ui.messages[0].text, QStringLiteral("ファイルが見つかりませんでした。"));
        QVERIFY(f.t.ui.messages[0].detail.contains(card(u"1")));
    }
    QStringList expected;
    for (const QString& n : listed)
        expected << card(n);
    f.form.updateRecentCards();
    QStringList shown;
    for (QAction* a : f.form.RecentActions)
        shown << a->toolTip();
    QCOMPARE(shown, expected);
    if (!shown.isEmpty())
        QVERIFY(f.form.RecentActions[0]->text().startsWith(QStringLiteral("&1 ")));
    // A group of their own: the program's sections hold nothing new.
    f.t.settings->sync();
    QSettings ini(f.t.path("qvrs.ini"), QSettings::IniFormat);
    QCOMPARE(ini.childGroups(), QStringList{QStringLiteral("recent")});
    QCOMPARE(ini.value(QStringLiteral("recent/file1")).toString(), expected.first());
}

void TestDesktop::windowsStayWithOwner_data() {
    // how: the menu entry, or "preview" / "template" for the windows the
    // print dialog and the print style window open
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("owner");
    QTest::addColumn<bool>("modal");
    const auto row = [](const char* tag, const char* how, const char* window, const char* owner,
                        bool modal) { QTest::newRow(tag) << how << window << owner << modal; };
    row("image browser", "HaikeiLoad", "ViewForm", "MainForm", false);
    row("print style", "PrintS", "PrintsForm", "MainForm", false);
    row("print dialog", "Insatu", "IsForm2", "MainForm", false);
    row("background", "mnu_Haikei", "frmBackColor", "MainForm", true);
    row("picture settings", "mnu_GazouSet", "frmPictureSetting", "MainForm", true);
    row("help", "Houhou", "HelpWindow", "MainForm", false);
    row("preview", "preview", "frmPREVIEW", "IsForm2", true);
    row("template", "template", "frmFormat", "PrintsForm", true);
}

// Every window belongs to the window it was opened from, opens centred on
// it, and Escape closes it; the non-blocking ones leave only themselves
// usable while they are open.
void TestDesktop::windowsStayWithOwner() {
    QFETCH(QString, how);
    QFETCH(QString, window);
    QFETCH(QString, owner);
    QFETCH(bool, modal);
    Fixture f;
    struct Seen {
        QPointer<QWidget> window;
        QWidget* parent = nullptr;
        bool modal = false;
        int centreOff = -1;
        bool enabled = false;
        bool dialogType = false;
    } seen;
    auto inspect = [&] {
        QWidget* w = f.window(window);
        if (!w)
            return;
        seen.window = w;
        seen.parent = w->parentWidget();
        seen.modal = w->isModal();
        seen.enabled = w->isEnabled();
        // Only a dialog-type window is marked transient for its owner on
        // X11, which keeps it above the owner.
        seen.dialogType = w->windowType() == Qt::Dialog;
        if (seen.parent) {
            // Centred on the owner, moved only as far as the screen needs.
            const QRect free = w->screen()->availableGeometry();
            QRect expect(QPoint(), w->frameGeometry().size());
            expect.moveCenter(seen.parent->frameGeometry().center());
            expect.moveLeft(
                std::max(free.left(), std::min(expect.left(), free.right() - expect.width())));
            expect.moveTop(
                std::max(free.top(), std::min(expect.top(), free.bottom() - expect.height())));
            seen.centreOff = (w->frameGeometry().topLeft() - expect.topLeft()).manhattanLength();
        }
        QTest::keyClick(QApplication::focusWidget() && QApplication::focusWidget()->window() == w
                            ? QApplication::focusWidget()
                            : w,
                        Qt::Key_Escape);
    };
    if (how == u"preview" || how == u"template") {
        f.action(how == u"preview" ? "Insatu" : "PrintS")->trigger();
        QWidget* tool = f.window(owner);
        QVERIFY(tool);
        // The window is shown by exec(): look at it from inside its loop.
        QTimer::singleShot(200, this, inspect);
        if (how == u"preview")
            tool->findChild<QPushButton*>(QStringLiteral("Command5"))->click();
        else
            qobject_cast<PrintsForm*>(tool)->CmdYomiKomi->click();
        QVERIFY(seen.window.isNull());
        QCOMPARE(seen.parent, tool);
        tool->close();
    } else {
        f.action(how.toLatin1().constData())->trigger();
        QWidget* opened = f.window(window);
        QVERIFY2(opened, qPrintable(window));
        // Blocking or not, the main window takes no input meanwhile; the
        // help alone leaves it usable.
        QCOMPARE(f.form.isEnabled(), how == u"Houhou" || modal);
        inspect();
        QCOMPARE(seen.parent, &f.form);
        QTRY_VERIFY(!seen.window || !seen.window->isVisible());
    }
    QVERIFY2(seen.parent, "the window was not seen");
    QVERIFY(seen.enabled);
    QVERIFY(seen.dialogType);
    QCOMPARE(seen.modal, modal);
    QVERIFY2(seen.centreOff >= 0 && seen.centreOff <= 40,
             qPrintable(QString::number(seen.centreOff)));
    QTRY_VERIFY(f.form.isEnabled());
}

void TestDesktop::messagesNameTheFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hint");
    QTest::newRow("not a card inside")
        << "bad.qcd" << QByteArray("\"abc\",\"def\"\r\n") << QStringLiteral("型が一致しません。 13")
        << QStringLiteral("名刺ファイルとして読めません");
    QTest::newRow("card cut short") << "short.qcd" << QByteArray("\"\",55,91\r\n")
                                    << QStringLiteral("ファイルにこれ以上データがありません。 62")
                                    << QStringLiteral("名刺ファイルとして読めません");
    QTest::newRow("missing picture")
        << "picture" << QByteArray() << QStringLiteral("画像ファイルが見つかりません") << QString();
}

// The program's own message stays exact; its detail names the file and says
// plainly what is wrong.
void TestDesktop::messagesNameTheFile() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QFETCH(QString, hint);
    Fixture f;
    QString path = f.t.path(name);
    if (name == u"picture") {
        path = f.t.path("gone.jpg");
        f.t.m->doc.card.PicPath = path;
        LoadCardPicture(f.t.m->doc, f.t.m->ui(), f.t.m->app);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        f.t.ui.openNames.enqueue(path);
        f.action("Load_Hiraku")->trigger();
    }
    QCOMPARE(f.t.ui.messages.size(), 1);
    QCOMPARE(f.t.ui.messages[0].text, text);
    QVERIFY2(f.t.ui.messages[0].detail.contains(path), qPrintable(f.t.ui.messages[0].detail));
    QVERIFY(f.t.ui.messages[0].detail.contains(hint));
}

void TestDesktop::exportLeavesTheCard_data() {
    QTest::addColumn<bool>("ownFile"); // the card was saved under a name of the user's
    QTest::addColumn<QString>("picture");
    QTest::newRow("new card, JPEG") << false << "card.jpg";
    QTest::newRow("saved card, bitmap") << true << "card.bmp";
}

// An image export is a picture of the card, not its file: the card keeps its
// path, caption, changed state and place on the recent list, no card file is
// written beside the picture, and closing still asks to save.
void TestDesktop::exportLeavesTheCard() {
    QFETCH(bool, ownFile);
    QFETCH(QString, picture);
    Fixture f;
    QVERIFY(QDir().mkpath(f.t.path("cards")) && QDir().mkpath(f.t.path("pictures")));
    if (ownFile) {
        f.t.ui.saveNames.enqueue(f.t.path("cards/mine.qcd"));
        f.action("Save_Name")->trigger();
        QCOMPARE(f.t.m->doc.CardPath, f.t.path("cards/mine.qcd"));
    }
    f.spin(f.line(0)->HScroll1, false);
    const QString path = f.t.m->doc.CardPath;
    const QString caption = f.form.windowTitle();
    const QStringList recent = RecentCards(*f.t.settings);
    f.t.ui.saveNames.enqueue(f.t.path("pictures/" + picture));
    f.action("Save_Name")->trigger();

    QVERIFY(QFileInfo(f.t.path("pictures/" + picture)).size() > 0);
    QCOMPARE(QDir(f.t.path("pictures")).entryList(QDir::Files), QStringList{picture});
    QCOMPARE(f.t.m->doc.CardPath, path);
    QCOMPARE(f.form.windowTitle(), caption);
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
    QCOMPARE(RecentCards(*f.t.settings), recent);
    QCOMPARE(f.t.ui.messages.size(), 0);

    f.t.ui.answers.enqueue(UiServices::AnswerCancel);
    QVERIFY(!f.form.close());
    QCOMPARE(f.t.ui.texts(),
             QStringList{"このデータは変更されています。\rデータを保存しますか？\r"});
    QVERIFY(f.form.isVisible());
    // Closing without saving remembers the card itself, not the picture.
    f.t.ui.answers.enqueue(UiServices::AnswerNo);
    QVERIFY(f.form.close());
    QCOMPARE(f.t.settings->text("sti", "file", QString()), path);
}

void TestDesktop::firstSaveAsksWhere_data() {
    QTest::addColumn<QString>("how");   // the menu entry, or "yes <entry>": はい to its question
    QTest::addColumn<QString>("card");  // new, data (read from the data folder), own (cards/mine)
    QTest::addColumn<QString>("last");  // the folder the user chose last
    QTest::addColumn<QString>("start"); // the dialog's, in the home folder ("": saved in place)
    const auto row = [](const char* tag, const char* how, const char* card, const char* last,
                        const char* start) { QTest::newRow(tag) << how << card << last << start; };
    const char* documents = "Documents/山田太郎.qcd";
    row("上書保存, new card", "Save_Uwagaki", "new", "", documents);
    row("はい before 新規作成, new card", "yes Sinki", "new", "", documents);
    row("はい before 終了, new card", "yes Shuryo", "new", "", documents);
    row("上書保存, card from the data folder", "Save_Uwagaki", "data", "", documents);
    row("名前を付けて保存, new card, folder chosen before", "Save_Name", "new", "cards",
        "cards/山田太郎.qcd");
    row("上書保存, data folder chosen before", "Save_Uwagaki", "new", "data", documents);
    row("名前を付けて保存, own card", "Save_Name", "own", "pictures", "cards/mine.qcd");
    row("上書保存, own card", "Save_Uwagaki", "own", "", "");
    row("開く, new card", "Load_Hiraku", "new", "", "Documents");
    row("開く, new card, folder chosen before", "Load_Hiraku", "new", "pictures", "pictures");
    row("開く, own card", "Load_Hiraku", "own", "pictures", "cards/mine.qcd");
}

// A card the user never saved is not written over the program's default
// card in its hidden data folder: its first save asks where, proposing the
// name line's text in the documents folder or the folder chosen last. The
// dialogs open in the card's own folder, or that folder, never in the data
// folder.
void TestDesktop::firstSaveAsksWhere() {
    QFETCH(QString, how);
    QFETCH(QString, card);
    QFETCH(QString, last);
    QFETCH(QString, start);
    Fixture f;
    const QByteArray home = qgetenv("HOME");
    const auto restore = qScopeGuard([&] { qputenv("HOME", home); });
    qputenv("HOME", QFile::encodeName(f.t.path("home")));
    for (const char* folder : {"home/Documents", "home/cards", "home/pictures"})
        QVERIFY(QDir().mkpath(f.t.path(folder)));
    const QString data00 = DefaultCardPath(f.t.m->app);
    if (card == u"own") {
        f.t.m->doc.CardPath = f.t.path("home/cards/mine.qcd");
    } else if (card == u"data") {
        QCOMPARE(WriteCardFile(data00, f.t.m->doc.card), 0);
        QVERIFY(OpenCardFile(*f.t.m, data00));
    }
    if (last == u"data")
        RememberChosenFolder(*f.t.settings, data00);
    else if (!last.isEmpty())
        RememberChosenFolder(*f.t.settings, f.t.path("home/" + last + "/x.qcd"));
    f.spin(f.line(0)->HScroll1, false);
    QFile::remove(data00);

    QString entry = how;
    if (how.startsWith(u"yes ")) {
        entry = how.mid(4);
        f.t.ui.answers.enqueue(UiServices::AnswerYes);
    } else if (how == u"Load_Hiraku") {
        f.t.ui.answers.enqueue(UiServices::AnswerNo);
    }
    f.action(entry.toLatin1().constData())->trigger();

    const QStringList starts = entry == u"Load_Hiraku" ? f.t.ui.openStarts : f.t.ui.saveStarts;
    QCOMPARE(starts, start.isEmpty() ? QStringList{} : QStringList{f.t.path("home/" + start)});
    // The dialog was cancelled: nothing was written in the data folder, and
    // the card is still there, unsaved.
    QVERIFY(!QFileInfo::exists(data00));
    QCOMPARE(QFileInfo::exists(f.t.path("home/cards/mine.qcd")), start.isEmpty());
    QCOMPARE(f.t.m->doc.ChangedFlg, start.isEmpty() ? 0 : 1);
    QVERIFY(f.form.isVisible());
}

void TestDesktop::lockedWindowTakesNoInput_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("window");
    for (const auto& [entry, window] :
         {std::pair{"Insatu", "IsForm2"}, {"PrintS", "PrintsForm"}, {"HaikeiLoad", "ViewForm"}})
        QTest::newRow(window) << entry << window;
}

// While a tool window is open the main window takes no input: a drag or a
// click on a line, a Ctrl+wheel over the card change nothing, and a click on
// the main window gives the keyboard back to the tool window, where Escape
// still closes it.
void TestDesktop::lockedWindowTakesNoInput() {
    QFETCH(QString, entry);
    QFETCH(QString, window);
    Fixture f;
    f.form.SSTab1->setCurrentIndex(3);
    const Card before = f.t.m->doc.card;
    const int width = f.form.Picture1->width();
    f.action(entry.toLatin1().constData())->trigger();
    QWidget* tool = f.window(window);
    QVERIFY(tool);
    QApplication::setActiveWindow(tool);

    f.drag(0, QPoint(30, 12));
    QTest::mouseClick(f.form.Picture1->MJLabel[1], Qt::LeftButton, {}, QPoint(3, 3));
    QWidget* view = f.form.Frame1->viewport();
    QWheelEvent wheel(view->rect().center(), view->mapToGlobal(view->rect().center()), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);

    // (The print style window measures the printer into the card as it opens.)
    QVERIFY(f.t.m->doc.card.TextItems == before.TextItems);
    QCOMPARE(f.t.m->doc.ChangedFlg, 0);
    QCOMPARE(f.form.SSTab1->currentIndex(), 3);
    QCOMPARE(f.form.Picture1->width(), width);

    QApplication::setActiveWindow(&f.form);
    QTRY_COMPARE(QApplication::activeWindow(), tool);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : tool,
                    Qt::Key_Escape);
    QTRY_VERIFY(f.form.isEnabled());
}

QTEST_MAIN(TestDesktop)
#include "test_desktop.moc"
