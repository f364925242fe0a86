// The picture settings and background settings dialogs: what they show from
// the card and the settings, and what OK and cancel leave behind.

#include "picture/backcolor.h"
#include "picture/picturesettings.h"
#include "testcontext.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

using Tint = std::array<std::int32_t, 3>;
Q_DECLARE_METATYPE(Tint)

class TestPictureDialogs : public QObject {
    Q_OBJECT
private slots:
    void pictureSettingsOpening_data();
    void pictureSettingsOpening();
    void pictureSettingsOk_data();
    void pictureSettingsOk();
    void backColorOpening_data();
    void backColorOpening();
    void backColorOkAppliesAndStores();
    void backColorCancel();
};

namespace {

// A card with a small picture, so that OK really reloads one.
void givePicture(TestContext& t) {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    t.doc.card.PicPath = t.path(QStringLiteral("photo.png"));
    QVERIFY(picture.save(t.doc.card.PicPath));
}

QColor swatch(const frmBackColor& d) {
    return d.picImg->palette().color(QPalette::Window);
}

} // namespace

void TestPictureDialogs::pictureSettingsOpening_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<Tint>("tint");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("channels"); // sliders enabled and values shown
    QTest::newRow("colour") << 0 << Tint{10, 20, 30} << 0 << "---";
    QTest::newRow("sepia at 0: no preset") << 1 << Tint{0, 0, 0} << 1 << "R--";
    QTest::newRow("green") << 2 << Tint{10, 20, 30} << 2 << "-G-";
    QTest::newRow("tint at 0: no preset") << 6 << Tint{0, 0, 0} << 6 << "RGB";
    QTest::newRow("mode 4 from a file") << 4 << Tint{1, 2, 3} << 0 << "---";
}

// Opening shows the stored values whatever preset the mode applies.
void TestPictureDialogs::pictureSettingsOpening() {
    QFETCH(int, stored);
    QFETCH(Tint, tint);
    QFETCH(int, shown);
    QFETCH(QString, channels);
    TestContext t;
    t.doc.card.PicColorMode = stored;
    t.doc.card.PicTint = tint;
    frmPictureSetting d(t.doc, t.ui, t.app);
    QCOMPARE(d.selectedMode(), shown);
    QVERIFY(d.optColor[shown]->isChecked());
    for (int k = 0; k < 3; ++k) {
        const bool used = channels[k] != QLatin1Char('-');
        QCOMPARE(d.position(k), 255 - tint[k]);
        QCOMPARE(d.lblRGB[k]->text(), QString::number(tint[k]));
        QCOMPARE(d.sldRGB[k]->isEnabled(), used);
        QCOMPARE(d.lblRGB[k]->isHidden(), !used);
    }
}

void TestPictureDialogs::pictureSettingsOk_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<Tint>("tint");
    QTest::addColumn<int>("chosen"); // -1: none
    QTest::addColumn<bool>("ok");    // false: cancel
    QTest::addColumn<int>("mode");
    QTest::addColumn<Tint>("result");
    QTest::newRow("black and white stores zeros")
        << 6 << Tint{10, 20, 30} << 5 << true << 5 << Tint{0, 0, 0};
    QTest::newRow("tint presets 127")
        << 0 << Tint{0, 0, 0} << 6 << true << 6 << Tint{127, 127, 127};
    QTest::newRow("tint keeps a set value")
        << 0 << Tint{0, 9, 0} << 6 << true << 6 << Tint{0, 9, 0};
    QTest::newRow("sepia presets 63") << 0 << Tint{0, 7, 8} << 1 << true << 1 << Tint{63, 7, 8};
    QTest::newRow("colour keeps the values")
        << 3 << Tint{1, 2, 250} << 0 << true << 0 << Tint{1, 2, 250};
    QTest::newRow("mode 4 is stored as 0")
        << 4 << Tint{1, 2, 3} << -1 << true << 0 << Tint{1, 2, 3};
    QTest::newRow("cancel after a preset")
        << 0 << Tint{0, 0, 0} << 6 << false << 0 << Tint{0, 0, 0};
}

// OK always marks the card changed and reloads the picture; cancel leaves
// the card as it was. Either closes the dialog (deleted on close, as the
// main window shows it).
void TestPictureDialogs::pictureSettingsOk() {
    QFETCH(int, stored);
    QFETCH(Tint, tint);
    QFETCH(int, chosen);
    QFETCH(bool, ok);
    QFETCH(int, mode);
    QFETCH(Tint, result);
    TestContext t;
    givePicture(t);
    t.doc.card.PicColorMode = stored;
    t.doc.card.PicTint = tint;
    QPointer<frmPictureSetting> d = new frmPictureSetting(t.doc, t.ui, t.app);
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->show();
    if (chosen >= 0)
        d->optColor[chosen]->click();
    (ok ? d->cmdOK : d->cmdCansel)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QVERIFY(d.isNull());
    QCOMPARE(t.doc.card.PicColorMode, mode);
    QCOMPARE(t.doc.card.PicTint, result);
    QCOMPARE(t.doc.ChangedFlg, ok ? 1 : 0);
    QCOMPARE(t.view.pictureShows, ok ? 1 : 0);
    QCOMPARE(t.ui.texts(), QStringList{});
}

void TestPictureDialogs::backColorOpening_data() {
    // The stored texts ("none": no setting), the option and swatch shown.
    QTest::addColumn<QString>("flag");
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("color");
    QTest::addColumn<QColor>("shown");
    QTest::newRow("first run") << "none" << 0 << "none" << QColor(Qt::white);
    QTest::newRow("colour only, red") << "0" << 1 << "255" << QColor(Qt::red);
    QTest::newRow("flag 2 is colour only") << "2" << 1 << "65280" << QColor(Qt::green);
    QTest::newRow("not numbers") << "x" << 0 << "y" << QColor(Qt::white);
}

void TestPictureDialogs::backColorOpening() {
    QFETCH(QString, flag);
    QFETCH(int, option);
    QFETCH(QString, color);
    QFETCH(QColor, shown);
    TestContext t;
    if (flag != "none")
        t.settings->setText("opt", "HaikeiFlg", flag);
    if (color != "none")
        t.settings->setText("opt", "BackColor", color);
    frmBackColor d(t.doc, t.ui, *t.settings, t.app);
    QVERIFY(d.optHaikei[option]->isChecked());
    QCOMPARE(d.cmdCDShow->isEnabled(), option == 1);
    QCOMPARE(d.chosenFlag(), option == 0 ? 1 : 0);
    QCOMPARE(swatch(d), shown);
}

// Colour only in red, then the picture again over the still red canvas;
// neither marks the card changed.
void TestPictureDialogs::backColorOkAppliesAndStores() {
    TestContext t;
    givePicture(t);
    {
        frmBackColor d(t.doc, t.ui, *t.settings, t.app);
        d.optHaikei[1]->click();
        t.ui.colors.enqueue(0x0000FFu);
        d.cmdCDShow->click();
        QCOMPARE(swatch(d), QColor(Qt::red));
        d.cmdOK->click();
    }
    QCOMPARE(t.app.BackColor, 0x0000FFu);
    QCOMPARE(t.app.HaikeiFlg, 0);
    QCOMPARE(t.settings->text("opt", "BackColor", {}), QStringLiteral("255"));
    QCOMPARE(t.settings->text("opt", "HaikeiFlg", {}), QStringLiteral("0"));
    QCOMPARE(t.view.pictureClears, 1);
    QCOMPARE(t.view.pictureShows, 0);
    {
        frmBackColor d(t.doc, t.ui, *t.settings, t.app);
        QCOMPARE(swatch(d), QColor(Qt::red));
        d.optHaikei[0]->click();
        d.cmdOK->click();
    }
    QCOMPARE(t.app.BackColor, 0x0000FFu);
    QCOMPARE(t.app.HaikeiFlg, 1);
    QCOMPARE(t.settings->text("opt", "HaikeiFlg", {}), QStringLiteral("1"));
    QCOMPARE(t.view.pictureShows, 1);
    QCOMPARE(t.doc.ChangedFlg, 0);
}

void TestPictureDialogs::backColorCancel() {
    TestContext t;
    frmBackColor d(t.doc, t.ui, *t.settings, t.app);
    d.optHaikei[1]->click();
    d.cmdCan->click();
    QCOMPARE(t.app.HaikeiFlg, 1);
    QCOMPARE(t.settings->text("opt", "HaikeiFlg", "unset"), QStringLiteral("unset"));
    QCOMPARE(t.view.pictureClears, 0);
}

QTEST_MAIN(TestPictureDialogs)
#include "test_picturedialogs.moc"
