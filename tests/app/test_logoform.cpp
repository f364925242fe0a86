#include "editor/cardcanvas.h"
#include "editor/logoform.h"
#include "editor/logoitem.h"
#include "logosheet.h"
#include "shownmainform.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

// The logo window and the logo on the canvas of the real main window.
class TestLogoForm : public QObject {
    Q_OBJECT
private slots:
    void chosenThenPlacedOneStepEach_data();
    void chosenThenPlacedOneStepEach();
    void lineSnapsToTheLogo_data();
    void lineSnapsToTheLogo();

private:
    struct Fixture : ShownMainForm {
        LogoForm* logo = nullptr;
        Fixture() {
            // The first file is chosen when the logo is switched on, and
            // nothing about it is said.
            t.ui.messages.clear();
            QVERIFY(WriteFramedLogoPng(t.path(u"logo.png"_s)));
            t.ui.openNames.enqueue(t.path(u"logo.png"_s));
            QTest::mouseClick(form.logoButton, Qt::LeftButton);
            logo = form.findChild<LogoForm*>();
            QVERIFY(logo);
            QTest::mouseClick(logo->enabledBox, Qt::LeftButton, {},
                              QPoint(6, logo->enabledBox->height() / 2));
        }
        CardLogo& card() { return t.m->doc.card.Logo; }
        LogoItem* item() { return form.Picture1->logoItem(); }
        // Presses at from in the item's pixels and moves by the given pixels.
        void drag(QWidget* w, QPoint from, QPoint by, Qt::KeyboardModifiers keys = {}) {
            QTest::mousePress(w, Qt::LeftButton, {}, from);
            QMouseEvent move(QEvent::MouseMove, QPointF(from + by),
                             w->mapToGlobal(QPointF(from + by)), Qt::NoButton, Qt::LeftButton,
                             keys);
            QApplication::sendEvent(w, &move);
        }
    };
};

void TestLogoForm::chosenThenPlacedOneStepEach_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("width");
    // As chosen: 20 mm wide in the top right corner, 2 mm from the right.
    QTest::newRow("chosen") << "" << 69.0 << 1.0 << 20.0;
    QTest::newRow("X typed past the right edge") << "leftField 80" << 69.0 << 1.0 << 20.0;
    QTest::newRow("width typed, kept on the card") << "widthField 40" << 49.0 << 1.0 << 40.0;
    QTest::newRow("width larger than the card") << "widthField 300" << 1.0 << 1.0 << 88.0;
    // 40 pixels left and 60 down with Alt held, in tenths of a millimetre.
    QTest::newRow("dragged") << "drag" << -40.0 << 60.0 << 20.0;
    QTest::newRow("resized by its corner") << "resize" << 69.0 << 1.0 << -40.0;
}

// Each change is one step back to the logo as chosen, and the window and the
// canvas follow it.
void TestLogoForm::chosenThenPlacedOneStepEach() {
    QFETCH(QString, how);
    QFETCH(double, left);
    QFETCH(double, top);
    QFETCH(double, width);
    Fixture f;
    QVERIFY2(f.t.ui.messages.isEmpty(), qPrintable(f.t.ui.texts().join(u'\n')));
    const CardLogo chosen = f.card();
    QCOMPARE(chosen.Path, f.t.path(u"logo.png"_s));
    const double perMmX = f.form.Picture1->pixelsPerMmX();
    const double perMmY = f.form.Picture1->pixelsPerMmY();
    const QStringList words = how.split(u' ');
    if (words.size() == 2) {
        // Typed and entered: Enter applies the number and presses no button
        // (the file chooser would take the name waiting for it).
        f.t.ui.openNames.enqueue(f.t.path(u"other.png"_s));
        auto* box = f.logo->findChild<QDoubleSpinBox*>(words[0]);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, words[1]);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(f.t.ui.openNames.size(), 1);
        QVERIFY(f.logo->isVisible());
    } else if (how == u"drag") {
        f.drag(f.item(), QPoint(20, 10), QPoint(-40, 60), Qt::AltModifier);
        QTest::mouseRelease(f.item(), Qt::LeftButton, {}, QPoint(20, 10));
        left = std::round((69 - 40 / perMmX) * 10) / 10;
        top = std::round((1 + 60 / perMmY) * 10) / 10;
    } else if (how == u"resize") {
        const QPoint corner = f.item()->resizeHandle().center();
        f.drag(f.item(), corner, QPoint(-40, 0));
        QTest::mouseRelease(f.item(), Qt::LeftButton, {}, corner);
        width = std::round((20 - 40 / perMmX) * 10) / 10;
    }
    QVERIFY(qAbs(f.card().Left - left) < 0.051);
    QVERIFY(qAbs(f.card().Top - top) < 0.051);
    QVERIFY(qAbs(f.card().Width - width) < 0.051);
    // The shape is kept: the frame is twice as wide as high.
    QCOMPARE(f.logo->heightLabel->text(), QString::number(f.card().Width / 2, 'f', 1) + " mm");
    QCOMPARE(f.logo->leftField->value(), f.card().Left);
    QVERIFY(qAbs(f.item()->x() - f.card().Left * perMmX) <= 1);
    QVERIFY(qAbs(f.item()->width() - f.card().Width * perMmX) <= 1);
    QVERIFY(!f.logo->thumbnail->pixmap().isNull());
    QCOMPARE(f.t.m->doc.ChangedFlg, 1);
    f.t.m->doc.history().undo();
    // A change the card's margins took back is no step: undo goes back to
    // before the file was chosen.
    if (left == 69 && top == 1 && width == 20) {
        QVERIFY(!f.card().On);
        return;
    }
    QVERIFY(f.card() == chosen);
    QCOMPARE(f.logo->widthField->value(), chosen.Width);
}

void TestLogoForm::lineSnapsToTheLogo_data() {
    QTest::addColumn<bool>("alt");
    QTest::newRow("snaps with a guide") << false;
    QTest::newRow("Alt held: free") << true;
}

// A line dragged to within a few pixels of the logo's left edge lines up
// with it exactly and shows a guide there until it is let go.
void TestLogoForm::lineSnapsToTheLogo() {
    QFETCH(bool, alt);
    Fixture f;
    CardCanvas* canvas = f.form.Picture1;
    TextItem& line = f.t.m->doc.card.TextItems[0];
    // In the middle of the card, where the line fits at its left edge.
    f.logo->leftField->setValue(40);
    const double logoLeft = f.card().Left;
    QCOMPARE(logoLeft, 40.0);
    QLabel* label = canvas->MJLabel[0];
    // Two pixels short of the logo's left edge.
    const int by = int(std::lround((logoLeft - line.Left) * canvas->pixelsPerMmX())) - 2;
    f.drag(label, QPoint(3, 3), QPoint(by, 0), alt ? Qt::AltModifier : Qt::NoModifier);
    QCOMPARE(line.Left == logoLeft, !alt);
    QCOMPARE(canvas->guides().empty(), alt);
    if (!alt) {
        QCOMPARE(canvas->guides().front(), (SnapGuide{true, logoLeft}));
        QWidget* layer = canvas->findChild<QWidget*>(u"GuideLayer"_s);
        QVERIFY(layer && layer->isVisible());
        // The guide is drawn on the canvas: magenta down its whole height.
        const QImage shot = canvas->grab().toImage();
        const int x = int(std::floor(logoLeft * canvas->pixelsPerMmX()));
        QCOMPARE(shot.pixelColor(x, shot.height() - 2), QColor(230, 0, 140));
    }
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(3, 3));
    QVERIFY(canvas->guides().empty());
}

QTEST_MAIN(TestLogoForm)
#include "test_logoform.moc"
