#include "app/mainform.h"
#include "app/newcard.h"
#include "editor/cardcanvas.h"
#include "editor/itemlayout.h"
#include "editor/linetab.h"
#include "sessioncontext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QtTest>

// Editing the lines on the real main window: typing, spin buttons, check
// boxes, colours, tabs and dragging on the canvas.
class TestLineEditing : public QObject {
    Q_OBJECT
private slots:
    void typedFontSize_data();
    void typedFontSize();
    void typedPosition_data();
    void typedPosition();
    void fontSizeSpinLimits();
    void takasaSpinLimits();
    void takasaTypedPastTen();
    void positionSpins_data();
    void positionSpins();
    void takasaStepsDownToZero();
    void textKeystrokesRedrawOneLine();
    void textKeepsQuotesAndBreaksOut();
    void enablingByTab();
    void enablingByKageBox();
    void directionWithoutSelection();
    void colourCancelledChangesNothing();
    void shadowLabelWhenOff();
    void italicIsWider();
    void verticalBoxStandsTheLineUp();
    void dragPastEdges_data();
    void dragPastEdges();
    void clickWithoutMoveSelectsLine();
    void nothingMovesAfterRelease();
    void dragKeepsGrabbedPointUnderPointer_data();
    void dragKeepsGrabbedPointUnderPointer();

private:
    struct Fixture {
        SessionContext t;
        MainForm form{*t.m};
        Fixture() {
            t.m->FontList = QStringList{QStringLiteral("IPAGothic"), QStringLiteral("IPAMincho")};
            NewCard(*t.m);
            for (int i = 0; i < 12; ++i)
                t.m->doc.card.TextItems[i].FontName = QStringLiteral("IPAGothic");
            t.m->doc.card.TextItems[0].Text = QStringLiteral("山田太郎");
            t.m->doc.card.TextItems[1].Text = QStringLiteral("㈱クイロ");
            ShowCardData(*t.m);
            form.redrawCard();
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            t.ui.messages.clear();
            // The card as set up is where undo stops: unchanged.
            t.m->doc.history().reset();
        }
        LineTab* line(int i) { return form.Lines[i]; }
        TextItem& item(int i) { return t.m->doc.card.TextItems[i]; }
        void type(QLineEdit* field, const QString& text) {
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, text);
            QTest::keyClick(field, Qt::Key_Return);
        }
        // A click on a check box's indicator.
        void tick(QCheckBox* box) {
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        }
        // A click on a spin button's arrow: up/left is 0, down/right is 2.
        void spin(QScrollBar* bar, bool upOrLeft) {
            bar->triggerAction(upOrLeft ? QAbstractSlider::SliderSingleStepSub
                                        : QAbstractSlider::SliderSingleStepAdd);
        }
    };
};

void TestLineEditing::typedFontSize_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<int>("changed"); // a refused size leaves the card as it was
    QTest::newRow("12.25") << "12.25"
                           << "12.3" << 0 << 1;
    QTest::newRow("12.24") << "12.24"
                           << "12.2" << 0 << 1;
    QTest::newRow("300 refused") << "300"
                                 << "18.0" << 1 << 0;
    QTest::newRow("letters refused") << "abc"
                                     << "18.0" << 1 << 0;
}

void TestLineEditing::typedFontSize() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, beeps);
    QFETCH(int, changed);
    Fixture f;
    f.type(f.line(0)->TextFsize, typed);
    QCOMPARE(f.line(0)->TextFsize->text(), shown);
    QCOMPARE(f.item(0).FontSize, shown.toFloat());
    QCOMPARE(f.t.ui.beeps, beeps);
    QCOMPARE(f.t.m->doc.ChangedFlg, changed);
}

void TestLineEditing::typedPosition_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("isX");
    QTest::addColumn<double>("stored");
    QTest::newRow("Y 12.39") << "12.39" << false << 12.3;
    QTest::newRow("X 30.07") << "30.07" << true << 30.0;
    QTest::newRow("X letters clamp to 1") << "abc" << true << 1.0;
    QTest::newRow("Y -0.05 clamps to 1") << "-0.05" << false << 1.0;
}

void TestLineEditing::typedPosition() {
    QFETCH(QString, typed);
    QFETCH(bool, isX);
    QFETCH(double, stored);
    Fixture f;
    f.item(0).KageHoukou = 3; // down and right: the left/top limit is 1
    f.type(isX ? f.line(0)->TextX : f.line(0)->TextY, typed);
    QCOMPARE(isX ? f.item(0).Left : f.item(0).Top, stored);
    QCOMPARE((isX ? f.line(0)->TextX : f.line(0)->TextY)->text(), FormatPosition(stored));
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
}

void TestLineEditing::fontSizeSpinLimits() {
    Fixture f;
    QScrollBar* spin = f.line(0)->VScroll1;
    QCOMPARE(spin->value(), 1);
    f.spin(spin, true);
    QCOMPARE(f.item(0).FontSize, 18.5f);
    QCOMPARE(spin->value(), 1);
    f.item(0).FontSize = 256;
    f.spin(spin, true);
    QCOMPARE(f.item(0).FontSize, 256.0f);
    QCOMPARE(f.t.ui.beeps, 1);
    f.item(0).FontSize = 1;
    f.spin(spin, false);
    QCOMPARE(f.item(0).FontSize, 1.0f);
    QCOMPARE(f.t.ui.beeps, 2);
    QCOMPARE(f.line(0)->TextFsize->text(), QStringLiteral("1.0"));
}

void TestLineEditing::takasaSpinLimits() {
    Fixture f;
    f.tick(f.line(0)->chk_Kage);
    QScrollBar* spin = f.line(0)->VSc_Takasa;
    f.item(0).KageTakasa = 10;
    f.spin(spin, true);
    QCOMPARE(f.item(0).KageTakasa, 10.0);
    QCOMPARE(f.t.ui.beeps, 1);
    QCOMPARE(f.line(0)->txt_Takasa->text(), QStringLiteral("10.0"));
    f.item(0).KageTakasa = 0;
    f.spin(spin, false);
    QCOMPARE(f.item(0).KageTakasa, 0.0);
    QCOMPARE(f.t.ui.beeps, 2);
    f.spin(spin, true);
    QVERIFY(qFuzzyCompare(f.item(0).KageTakasa, 0.1));
    QCOMPARE(spin->value(), 1);
}

void TestLineEditing::takasaTypedPastTen() {
    Fixture f;
    f.tick(f.line(0)->chk_Kage);
    QVERIFY(f.line(0)->txt_Takasa->isEnabled());
    f.type(f.line(0)->txt_Takasa, QStringLiteral("25"));
    QCOMPARE(f.item(0).KageTakasa, 25.0);
    f.type(f.line(0)->txt_Takasa, QStringLiteral("2.57"));
    QCOMPARE(f.item(0).KageTakasa, 2.5);
    QCOMPARE(f.line(0)->txt_Takasa->text(), QStringLiteral("2.57")); // not rewritten
    QCOMPARE(f.t.ui.beeps, 0);
}

// The position spins step by 0.1 mm: left and up subtract, right and down add.
void TestLineEditing::positionSpins_data() {
    QTest::addColumn<bool>("isX");
    QTest::addColumn<bool>("upOrLeft");
    QTest::addColumn<double>("expected");
    QTest::newRow("X left") << true << true << 29.9;
    QTest::newRow("X right") << true << false << 30.1;
    QTest::newRow("Y up") << false << true << 19.9;
    QTest::newRow("Y down") << false << false << 20.1;
}

void TestLineEditing::positionSpins() {
    QFETCH(bool, isX);
    QFETCH(bool, upOrLeft);
    QFETCH(double, expected);
    Fixture f;
    f.item(0).Left = 30;
    f.item(0).Top = 20;
    QScrollBar* spin = isX ? f.line(0)->HScroll1 : f.line(0)->VScroll3;
    f.spin(spin, upOrLeft);
    QVERIFY(qFuzzyCompare(isX ? f.item(0).Left : f.item(0).Top, expected));
    QCOMPARE(isX ? f.item(0).Top : f.item(0).Left, isX ? 20.0 : 30.0);
    QCOMPARE((isX ? f.line(0)->TextX : f.line(0)->TextY)->text(), FormatPosition(expected));
    QCOMPARE(spin->value(), 1);
    QCOMPARE(f.t.ui.beeps, 0);
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
}

// 0.1 stepped down reaches 0 without a beep; the next step down beeps.
void TestLineEditing::takasaStepsDownToZero() {
    Fixture f;
    f.tick(f.line(0)->chk_Kage);
    f.item(0).KageTakasa = 0.1;
    f.spin(f.line(0)->VSc_Takasa, false);
    QCOMPARE(f.item(0).KageTakasa, 0.0);
    QCOMPARE(f.t.ui.beeps, 0);
    QCOMPARE(f.line(0)->txt_Takasa->text(), QStringLiteral("0.0"));
    f.spin(f.line(0)->VSc_Takasa, false);
    QCOMPARE(f.item(0).KageTakasa, 0.0);
    QCOMPARE(f.t.ui.beeps, 1);
}

void TestLineEditing::textKeystrokesRedrawOneLine() {
    Fixture f;
    const QString other = f.form.Picture1->MJLabel[0]->text();
    f.line(1)->Text1->setFocus();
    f.line(1)->Text1->end(false);
    // Japanese arrives through the input method as a committed string.
    QInputMethodEvent ime;
    ime.setCommitString(QStringLiteral("商会"));
    QApplication::sendEvent(f.line(1)->Text1, &ime);
    QCOMPARE(f.item(1).Text, QStringLiteral("㈱クイロ商会"));
    QCOMPARE(f.form.Picture1->MJLabel[1]->text(), QStringLiteral("㈱クイロ商会"));
    QCOMPARE(f.form.Picture1->MJLabel[0]->text(), other);
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
    QTest::keyClick(f.line(1)->Text1, Qt::Key_Return);
    QCOMPARE(f.item(1).Text, QStringLiteral("㈱クイロ商会"));
}

void TestLineEditing::textKeepsQuotesAndBreaksOut() {
    Fixture f;
    f.line(0)->Text1->setFocus();
    QTest::keyClicks(f.line(0)->Text1, QStringLiteral("a\"b"));
    QVERIFY(!f.item(0).Text.contains(u'"'));
    QVERIFY(f.item(0).Text.endsWith(QStringLiteral("ab")));
    QCOMPARE(f.t.ui.beeps, 1);
}

void TestLineEditing::enablingByTab() {
    Fixture f;
    f.form.SSTab1->setCurrentIndex(4);
    for (int i = 0; i < 12; ++i) {
        const bool current = i == 4;
        QCOMPARE(f.line(i)->Text1->isEnabled(), current);
        QCOMPARE(f.line(i)->Frame2->isEnabled(), current);
        QCOMPARE(f.line(i)->Frame3->isEnabled(), current);
    }
    QVERIFY(f.line(4)->Text1->hasFocus());
    // The 3D group follows its own box, not the tab.
    QVERIFY(f.line(3)->frm_Kage->isEnabled());
}

void TestLineEditing::enablingByKageBox() {
    Fixture f;
    LineTab* l = f.line(0);
    const QList<QWidget*> group{l->txt_Takasa, l->VSc_Takasa, l->shp_Kage,  l->Cmd_Kage,
                                l->lbl_Kage1,  l->lbl_Kage2,  l->lbl_Kage3, l->cmb_Houkou};
    for (QWidget* w : group)
        QVERIFY(!w->isEnabled());
    f.tick(l->chk_Kage);
    QVERIFY(f.item(0).KageOn);
    for (QWidget* w : group)
        QVERIFY(w->isEnabled());
    QVERIFY(l->chk_Kage->isEnabled());
    QCOMPARE(f.form.Picture1->MJLabel_Kage[0]->text(), f.item(0).Text);
}

void TestLineEditing::directionWithoutSelection() {
    Fixture f;
    LineTab* l = f.line(0);
    f.tick(l->chk_Kage);
    emit l->cmb_Houkou->activated(6);
    QCOMPARE(f.item(0).KageHoukou, std::int16_t(6));
    emit l->cmb_Houkou->activated(-1);
    QCOMPARE(f.item(0).KageHoukou, std::int16_t(3));
    QStringList names;
    for (int i = 0; i < l->cmb_Houkou->count(); ++i)
        names << l->cmb_Houkou->itemText(i);
    QCOMPARE(names, (QStringList{" 上 ", "右上", " 右 ", "右下", " 下 ", "左下", " 左 ", "左上"}));
}

void TestLineEditing::colourCancelledChangesNothing() {
    Fixture f;
    QTest::mouseClick(f.line(0)->CmdC, Qt::LeftButton); // the scripted dialog cancels
    QCOMPARE(f.item(0).ForeColor, 0);
    QCOMPARE(f.t.m->doc.ChangedFlg, 0);
    f.t.ui.colors.enqueue(quint32(0x0000FF));
    QTest::mouseClick(f.line(0)->CmdC, Qt::LeftButton);
    QCOMPARE(f.item(0).ForeColor, 0x0000FF);
    QCOMPARE(f.form.Picture1->MJLabel[0]->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
}

void TestLineEditing::shadowLabelWhenOff() {
    Fixture f;
    f.item(0).KageOn = false;
    f.item(0).KageTakasa = 2;
    f.item(0).KageHoukou = 3;
    f.form.Picture1->DrawTextItem(0);
    QLabel* shadow = f.form.Picture1->MJLabel_Kage[0];
    QLabel* text = f.form.Picture1->MJLabel[0];
    QVERIFY(shadow->text().isEmpty());
    // Placed all the same, 2 mm down and right of the text.
    const double px = f.form.Picture1->pixelsPerMmX();
    QVERIFY(qAbs(shadow->x() - text->x() - 2 * px) <= 1.0);
    QVERIFY(qAbs(shadow->y() - text->y() - 2 * f.form.Picture1->pixelsPerMmY()) <= 1.0);
}

void TestLineEditing::italicIsWider() {
    Fixture f;
    f.item(0).FontSize = 16;
    f.form.Picture1->DrawTextItem(0);
    const double upright = f.item(0).Width;
    f.tick(f.line(0)->Check2);
    QVERIFY(f.item(0).Italic);
    QVERIFY(qAbs(f.item(0).Width - upright - 1.0) < 0.3);
}

// 縦書き turns the line's box: the canvas shows it as a column, kept on the
// card by its new size.
void TestLineEditing::verticalBoxStandsTheLineUp() {
    Fixture f;
    f.item(0).Text = QStringLiteral("山田太郎");
    f.item(0).FontSize = 24;
    f.item(0).Top = 20;
    f.form.Picture1->DrawTextItem(0);
    QVERIFY(f.item(0).Width > 3 * f.item(0).Height);
    f.tick(f.line(0)->Check5);
    QVERIFY(f.item(0).Tategaki);
    QVERIFY(f.item(0).Height > 3 * f.item(0).Width);
    // A column of 34 mm from 20 mm down is moved up to keep room for its
    // 3D copy (0.5 mm down) and 2 mm to the card's bottom edge (55 mm).
    QVERIFY(qAbs(f.item(0).Top - (55 - f.item(0).Height - 0.5 - 2)) < 1e-9);
    const QLabel* label = f.form.Picture1->MJLabel[0];
    QVERIFY(label->height() > 3 * label->width());
}

void TestLineEditing::dragPastEdges_data() {
    QTest::addColumn<int>("dxMm");
    QTest::addColumn<int>("dyMm");
    QTest::addColumn<QString>("edge");
    QTest::newRow("right") << 200 << 0 << "right";
    QTest::newRow("left") << -200 << 0 << "left";
    QTest::newRow("down") << 0 << 200 << "bottom";
    QTest::newRow("up") << 0 << -200 << "top";
}

void TestLineEditing::dragPastEdges() {
    QFETCH(int, dxMm);
    QFETCH(int, dyMm);
    QFETCH(QString, edge);
    Fixture f;
    CardCanvas* canvas = f.form.Picture1;
    TextItem& t = f.item(1);
    t.KageHoukou = 3;
    t.KageTakasa = 1;
    // Grab the label 1 mm into it, then move far past the edge, with the
    // right button to show either button drags.
    canvas->MJLabel_MouseDown(1, 56.7, 56.7);
    QCOMPARE(f.form.SSTab1->currentIndex(), 1);
    const double startLeft = t.Left;
    canvas->MJLabel_MouseMove(56.7 + dxMm * 56.7, 56.7 + dyMm * 56.7);
    canvas->MJLabel_MouseUp();
    if (edge == u"right")
        QVERIFY(qFuzzyCompare(t.Left, 91 - t.Width - 1 - 2));
    else if (edge == u"left")
        QCOMPARE(t.Left, 1.0);
    else if (edge == u"bottom")
        QVERIFY(qFuzzyCompare(t.Top, 55 - t.Height - 1 - 2));
    else
        QCOMPARE(t.Top, 1.0);
    if (dxMm == 0)
        QCOMPARE(t.Left, startLeft);
    QCOMPARE(f.line(1)->TextX->text(), FormatPosition(t.Left));
    QCOMPARE(f.line(1)->TextY->text(), FormatPosition(t.Top));
}

void TestLineEditing::clickWithoutMoveSelectsLine() {
    Fixture f;
    f.form.SSTab1->setCurrentIndex(5);
    QLabel* label = f.form.Picture1->MJLabel[0];
    const double left = f.item(0).Left;
    QTest::mousePress(label, Qt::RightButton, {}, QPoint(3, 3));
    QTest::mouseRelease(label, Qt::RightButton, {}, QPoint(3, 3));
    QCOMPARE(f.form.SSTab1->currentIndex(), 0);
    QVERIFY(f.line(0)->Text1->hasFocus());
    QCOMPARE(f.item(0).Left, left);
    // Nothing moved: the card is as it was and counts as unchanged.
    QCOMPARE(f.t.m->doc.ChangedFlg, 0);
}

void TestLineEditing::nothingMovesAfterRelease() {
    Fixture f;
    QLabel* label = f.form.Picture1->MJLabel[0];
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(3, 3));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 20), label->mapToGlobal(QPointF(40, 20)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(label, &move);
    const double draggedLeft = f.item(0).Left;
    QVERIFY(f.form.Picture1->dragging());
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(3, 3));
    QVERIFY(!f.form.Picture1->dragging());
    QMouseEvent after(QEvent::MouseMove, QPointF(80, 30), label->mapToGlobal(QPointF(80, 30)),
                      Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(label, &after);
    QCOMPARE(f.item(0).Left, draggedLeft);
}

void TestLineEditing::dragKeepsGrabbedPointUnderPointer_data() {
    QTest::addColumn<double>("zoom");
    QTest::newRow("100 %") << 1.0;
    QTest::newRow("50 %") << 0.5;
    QTest::newRow("200 %") << 2.0;
    QTest::newRow("300 %") << 3.0;
}

// At every zoom a drag moves the line by the pointer's way in millimetres
// (pixels over the zoomed pixels a millimetre), and a spin step stays 0.1 mm.
void TestLineEditing::dragKeepsGrabbedPointUnderPointer() {
    QFETCH(double, zoom);
    Fixture f;
    CardCanvas* canvas = f.form.Picture1;
    canvas->setZoom(zoom);
    const double perMmX = 56.7 / f.t.m->app.TppX * zoom;
    const double perMmY = 56.7 / f.t.m->app.TppY * zoom;
    QCOMPARE(canvas->width(), int(std::lround(91 * 56.7 * zoom)) / f.t.m->app.TppX);
    QLabel* label = canvas->MJLabel[1];
    QCOMPARE(label->x(), int(std::floor(f.item(1).Left * perMmX)));
    const double left = f.item(1).Left;
    const double top = f.item(1).Top;
    const QPoint grab(4, 4);
    QTest::mousePress(label, Qt::RightButton, {}, grab);
    // One move of 40 × 20 pixels from the grabbed point, Alt held so that
    // nothing snaps.
    QMouseEvent move(QEvent::MouseMove, QPointF(grab + QPoint(40, 20)),
                     label->mapToGlobal(QPointF(grab + QPoint(40, 20))), Qt::NoButton,
                     Qt::RightButton, Qt::AltModifier);
    QApplication::sendEvent(label, &move);
    QTest::mouseRelease(label, Qt::RightButton, {}, grab);
    QVERIFY(qAbs(f.item(1).Left - (left + 40 / perMmX)) < 1e-4);
    QVERIFY(qAbs(f.item(1).Top - (top + 20 / perMmY)) < 1e-4);
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
    const double dragged = f.item(1).Left;
    f.spin(f.line(1)->HScroll1, false);
    QCOMPARE(f.item(1).Left, dragged + 0.1);
}

QTEST_MAIN(TestLineEditing)
#include "test_lineediting.moc"
