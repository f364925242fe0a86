#include "document/qrcode.h"
#include "editor/canvaszoom.h"
#include "editor/cardcanvas.h"
#include "editor/linetab.h"
#include "editor/qrform.h"
#include "editor/qritem.h"
#include "shownmainform.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
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
    void placedBesideTheCard_data();
    void placedBesideTheCard();
    void backslashShownAsBackslash();

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
    const QRect card(f.form.Picture1->mapToGlobal(QPoint(0, 0)), f.form.Picture1->size());
    QVERIFY(!f.qr->frameGeometry().intersects(card));
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
    // Typed and entered: Enter applies the number and presses no button
    // (the colour chooser would take the colour waiting for it).
    f.t.ui.colors.enqueue(0xFF0000u);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QString::number(typed));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(f.code(), expected);
    QCOMPARE(f.t.ui.colors.size(), 1);
    QVERIFY(f.qr->isVisible());
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

void TestQrForm::placedBesideTheCard_data() {
    QTest::addColumn<QRect>("mainWindow");
    QTest::addColumn<QRect>("card");
    QTest::addColumn<QRect>("free");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("expected");
    // A 1920 × 1040 free area (from freeTop down), a 344 × 207 card, a
    // 420 pixels wide window.
    const auto row = [](const char* tag, QRect main, QPoint cardAt, QPoint expected,
                        int windowHeight = 560, int freeTop = 0) {
        QTest::newRow(tag) << main << QRect(cardAt, QSize(344, 207))
                           << QRect(0, freeTop, 1920, 1040 - freeTop) << QSize(420, windowHeight)
                           << expected;
    };
    row("room on the right", {100, 100, 900, 700}, {400, 300}, {1008, 100});
    row("room on the left only", {1000, 50, 900, 700}, {1300, 250}, {572, 50});
    row("card on the left, below it", {0, 0, 1900, 700}, {300, 200}, {1500, 415});
    row("card on the right, no room below", {0, 0, 1900, 1000}, {1200, 600}, {0, 0});
    row("taller than the screen", {100, 500, 900, 500}, {400, 600}, {1008, 0}, 1200);
    row("low window kept above the bottom", {100, 700, 900, 300}, {400, 750}, {1008, 480});
    row("under a top panel", {100, 0, 900, 700}, {400, 300}, {1008, 30}, 560, 30);
}

// The tool windows open where the card stays in view, on the screen.
void TestQrForm::placedBesideTheCard() {
    QFETCH(QRect, mainWindow);
    QFETCH(QRect, card);
    QFETCH(QRect, free);
    QFETCH(QSize, window);
    QFETCH(QPoint, expected);
    QCOMPARE(PlaceBesideCard(mainWindow, card, free, window), expected);
}

// Japanese fonts often draw U+005C as a yen sign: the text to be encoded
// shows the backslash of a URL or a vCard escape in a font that is not one,
// even in a Japanese desktop's font.
void TestQrForm::backslashShownAsBackslash() {
    const QFont before = QApplication::font();
    QApplication::setFont(QFont(QStringLiteral("IPAGothic")));
    auto restore = qScopeGuard([&] { QApplication::setFont(before); });
    Fixture f;
    const QString shownIn = QFontInfo(f.qr->contentView->font()).family();
    QVERIFY2(!QFontDatabase::writingSystems(shownIn).contains(QFontDatabase::Japanese),
             qPrintable(shownIn));
}
