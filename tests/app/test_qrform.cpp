#include "document/qrcode.h"
#include "editor/cardcanvas.h"
#include "editor/linetab.h"
#include "editor/qrform.h"
#include "editor/qritem.h"
#include "shownmainform.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QrCode)

// The QR code window and the code on the canvas of the real main window.
class TestQrForm : public QObject {
    Q_OBJECT
private slots:
    void switchedOnAtTheTopRight();
    void followsTheLines();
    void typedPlaceKeptOnCard_data();
    void typedPlaceKeptOnCard();
    void draggedAndKeptOnCard();
    void tooSmallIsSaid();
    void linesTickedForTheVCard();

private:
    struct Fixture : ShownMainForm {
        QrForm* qr = nullptr;
        Fixture() {
            QTest::mouseClick(form.qrCodeButton, Qt::LeftButton);
            qr = form.findChild<QrForm*>();
            QVERIFY(qr);
            QTest::mouseClick(qr->enabledBox, Qt::LeftButton, {},
                              QPoint(6, qr->enabledBox->height() / 2));
        }
        QrCode& code() { return t.m->doc.card.Qr; }
        QrItem* item() { return form.Picture1->qrItem(); }
    };
};

void TestQrForm::switchedOnAtTheTopRight() {
    Fixture f;
    // 20 mm, level M, black, 2 mm from the right edge of a 91 mm card.
    QCOMPARE(f.code(), (QrCode{true, 0, 0, 69, 1, 20, 1, 0}));
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
    QVERIFY(f.item()->isVisible());
    QCOMPARE(f.qr->leftField->value(), 69.0);
    QVERIFY(f.qr->contentView->toPlainText().contains(u"\nFN:山田 太郎\n"_s));
    QVERIFY(f.qr->stateLabel->text().contains(u"モジュール"_s));
    QTest::mouseClick(f.qr->enabledBox, Qt::LeftButton, {},
                      QPoint(6, f.qr->enabledBox->height() / 2));
    QVERIFY(!f.code().On);
    QVERIFY(!f.item()->isVisible());
}

void TestQrForm::followsTheLines() {
    Fixture f;
    QLineEdit* text = f.form.Lines[3]->Text1;
    f.form.SSTab1->setCurrentIndex(3);
    text->setFocus();
    QTest::keyClicks(text, "Manager");
    QVERIFY(f.qr->contentView->toPlainText().contains(u"\nTITLE:Manager\n"_s));
}

void TestQrForm::typedPlaceKeptOnCard_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("typed");
    QTest::addColumn<QrCode>("expected");
    QTest::newRow("X inside") << u"leftField"_s << 30.5 << QrCode{true, 0, 0, 30.5, 1, 20, 1, 0};
    QTest::newRow("X past the right edge")
        << u"leftField"_s << 80.0 << QrCode{true, 0, 0, 69, 1, 20, 1, 0};
    QTest::newRow("Y past the bottom")
        << u"topField"_s << 50.0 << QrCode{true, 0, 0, 69, 33, 20, 1, 0};
    QTest::newRow("side larger than the card")
        << u"sideField"_s << 70.0 << QrCode{true, 0, 0, 37, 1, 52, 1, 0};
}

void TestQrForm::typedPlaceKeptOnCard() {
    QFETCH(QString, field);
    QFETCH(double, typed);
    QFETCH(QrCode, expected);
    Fixture f;
    auto* box = f.qr->findChild<QDoubleSpinBox*>(field);
    QVERIFY(box);
    box->setValue(typed);
    QCOMPARE(f.code(), expected);
    QCOMPARE(f.qr->leftField->value(), expected.Left);
    QCOMPARE(f.qr->sideField->value(), expected.Side);
}

void TestQrForm::draggedAndKeptOnCard() {
    Fixture f;
    f.t.m->doc.ChangedFlg = 0;
    QrItem* item = f.item();
    const QPoint grab(5, 5);
    QTest::mousePress(item, Qt::LeftButton, {}, grab);
    // Alt held: nothing snaps.
    QMouseEvent move(QEvent::MouseMove, QPointF(grab + QPoint(-100, 500)),
                     item->mapToGlobal(QPointF(grab + QPoint(-100, 500))), Qt::NoButton,
                     Qt::LeftButton, Qt::AltModifier);
    QApplication::sendEvent(item, &move);
    QTest::mouseRelease(item, Qt::LeftButton, {}, grab);
    // 100 pixels to the left of 69 mm, and stopped 2 mm above the bottom.
    QVERIFY(qAbs(f.code().Left - (69 - 100 / f.form.Picture1->pixelsPerMmX())) < 0.2);
    QCOMPARE(f.code().Top, 33.0);
    QCOMPARE(f.qr->topField->value(), 33.0);
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
}

void TestQrForm::tooSmallIsSaid() {
    Fixture f;
    f.qr->sideField->setValue(6);
    QVERIFY(f.qr->stateLabel->text().contains(u"一辺 6.0 mm"_s));
    QVERIFY(f.qr->stateLabel->text().contains(u"印刷しません"_s));
}

// The vCard takes the lines ticked; the last one stays ticked, since a
// mask of none would be stored as all.
void TestQrForm::linesTickedForTheVCard() {
    Fixture f;
    f.t.m->doc.card.TextItems[5].Text = u"TEL 03-1234-5678"_s;
    f.qr->showQr();
    QVERIFY(f.qr->contentView->toPlainText().contains(u"TEL;TYPE=WORK:03-1234-5678"_s));
    for (int line = LineCount - 1; line >= 0; --line) {
        QCheckBox* box = f.qr->lineBoxes[line];
        QVERIFY(box->isChecked() && box->isEnabled());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QCOMPARE(f.code().Lines, std::int16_t(line > 0 ? (1 << line) - 1 : 1));
    }
    QVERIFY(f.qr->lineBoxes[0]->isChecked());
    QCOMPARE(f.t.ui.beeps, 1);
    QVERIFY(!f.qr->contentView->toPlainText().contains(u"TEL"_s));
    f.qr->lineOption->click();
    QVERIFY(!f.qr->lineBoxes[0]->isEnabled());
}

QTEST_MAIN(TestQrForm)
#include "test_qrform.moc"
