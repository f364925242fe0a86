// The print style editor and the template chooser driven through their
// controls: typed values and their checks, spin steps, "更新" and "ｷｬﾝｾﾙ",
// the "自動" box, and a template chosen from a file.

#include "document/cp932.h"
#include "layout/printstyleform.h"
#include "layout/templateform.h"
#include "print/recordingprinter.h"
#include "testcontext.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

Q_DECLARE_METATYPE(PrintStyle)
Q_DECLARE_METATYPE(SheetField)

namespace {

// The value in a field is taken when the field loses the focus.
void leave(QLineEdit* field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field, &out);
}

PrintStyle style(double msY, std::int16_t rows, double top = 11, double ysX = 210) {
    PrintStyle s;
    s.MsY = msY;
    s.MaisuY = rows;
    s.Yhktop = top;
    s.YsX = ysX;
    return s;
}

void addRow(const char* name, const PrintStyle& s, SheetField f, const char* input,
            const char* shown, int beeps) {
    QTest::newRow(name) << s << f << QString::fromUtf8(input) << QString::fromUtf8(shown) << beeps;
}

// An editor on a card of the given style, the unprintable area typed by hand.
struct Fixture {
    TestContext t;
    QPointer<PrintsForm> form;
    explicit Fixture(const PrintStyle& s = {}) {
        t.settings->setText(QStringLiteral("sti"), QStringLiteral("ifkc"), QStringLiteral("0"));
        t.doc.card.PrintStyle = s;
        form = new PrintsForm(t.doc, t.ui, *t.settings, *t.printers, t.app);
    }
    ~Fixture() { delete form; }
};

} // namespace

class TestPrintStyleForm : public QObject {
    Q_OBJECT
private slots:
    void typedValues_data();
    void typedValues();
    void spinSteps_data();
    void spinSteps();
    void closing_data();
    void closing();
    void automaticBox();
    void templateChosen();
};

void TestPrintStyleForm::typedValues_data() {
    QTest::addColumn<PrintStyle>("style");
    QTest::addColumn<SheetField>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("beeps");

    const PrintStyle a4;
    const PrintStyle small = style(30, 5); // room for 9 rows
    addRow("margin 12.3", a4, SheetField::Yhktop, "12.3", "12.5", 0);
    addRow("margin 12.2", a4, SheetField::Yhktop, "12.2", "12.0", 0);
    addRow("margin 12.25", a4, SheetField::YhkLeft, "12.25", "12.5", 0);
    addRow("letters as card height", a4, SheetField::MsY, "abc", "55.0", 1);
    addRow("paper narrower than the cards", a4, SheetField::YsX, "150", "210.0", 1);
    addRow("2.5 rows", a4, SheetField::MaisuY, "2.5", "2", 0);
    addRow("8 rows beyond the sheet", a4, SheetField::MaisuY, "8", "5", 1);
    addRow("8 rows beyond the diagram", small, SheetField::MaisuY, "8", "5", 0);
    addRow("7 rows of small cards", small, SheetField::MaisuY, "7", "7", 0);
    addRow("unprintable area", a4, SheetField::IsfkY, "4.39", "4.3", 0);
}

void TestPrintStyleForm::typedValues() {
    QFETCH(PrintStyle, style);
    QFETCH(SheetField, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, beeps);
    Fixture f(style);
    QLineEdit* text = f.form->field(field);
    const double before = f.form->sheet.value(field);
    text->setText(typed);
    QTest::keyClick(text, Qt::Key_Return); // Enter takes no value
    QCOMPARE(f.form->sheet.value(field), before);
    leave(text);
    QCOMPARE(text->text(), shown);
    QCOMPARE(f.form->sheet.value(field), shown.toDouble());
    QCOMPARE(f.t.ui.beeps, beeps);
}

void TestPrintStyleForm::spinSteps_data() {
    QTest::addColumn<PrintStyle>("style");
    QTest::addColumn<SheetField>("field");
    QTest::addColumn<QString>("arrow");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("beeps");
    const PrintStyle a4;
    addRow("top margin up", a4, SheetField::Yhktop, "up", "11.5", 0);
    // 22 mm is all the room five rows leave.
    addRow("top margin up at its room", style(55, 5, 22), SheetField::Yhktop, "up", "22.0", 1);
    addRow("paper width down to the cards", style(55, 5, 11, 182.2), SheetField::YsX, "down",
           "182.0", 1);
    addRow("rows up beyond the diagram", style(30, 7), SheetField::MaisuY, "up", "7", 1);
}

void TestPrintStyleForm::spinSteps() {
    QFETCH(PrintStyle, style);
    QFETCH(SheetField, field);
    QFETCH(QString, arrow);
    QFETCH(QString, shown);
    QFETCH(int, beeps);
    Fixture f(style);
    QScrollBar* bar = f.form->spin(field);
    bar->setValue(arrow == "up" ? 0 : 2); // where the upper (lower) arrow leaves it
    QCOMPARE(f.form->field(field)->text(), shown);
    QCOMPARE(f.t.ui.beeps, beeps);
    QCOMPARE(bar->value(), 1);
}

void TestPrintStyleForm::closing_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("commits");
    QTest::newRow("更新") << "Command1" << true;
    QTest::newRow("ｷｬﾝｾﾙ") << "Command2" << false;
    QTest::newRow("close box") << "" << false;
}

void TestPrintStyleForm::closing() {
    QFETCH(QString, button);
    QFETCH(bool, commits);
    Fixture f;
    f.t.doc.ChangedFlg = 0;
    f.form->show();
    f.form->Text1[0]->setText(QStringLiteral("12"));
    leave(f.form->Text1[0]);
    f.form->Text6[0]->setText(QStringLiteral("0.7"));
    leave(f.form->Text6[0]);
    if (button.isEmpty())
        f.form->close();
    else
        f.form->findChild<QPushButton*>(button)->click();
    QTRY_VERIFY(f.form.isNull());

    PrintStyle expected;
    if (commits) {
        expected.Yhktop = 12;
        expected.Yhkbtm = expected.YhkRgt = 0; // what the last calculation left
    }
    QCOMPARE(f.t.doc.card.PrintStyle, expected);
    QCOMPARE(f.t.app.IsfkY, commits ? 0.7 : 0.0);
    QCOMPARE(f.t.doc.ChangedFlg, commits ? 1 : 0);
    QCOMPARE(f.t.view.layoutCalls, commits ? 1 : 0);
    // 更新 announces the new print style once, and the canvas draws the
    // card again for it; closing without it changes nothing to draw.
    QCOMPARE(f.t.view.redrawCalls, commits ? 1 : 0);
}

void TestPrintStyleForm::automaticBox() {
    TestContext t;
    auto printer = std::make_unique<RecordingPrinter>();
    printer->setResolution(1440); // a twip a pixel: 567 twips are 10 mm
    printer->setMarginsTwips(2 * 567, 567, 0, 0);
    t.printers->setPrinter(std::move(printer));
    // Without a setting the box is ticked and the printer's offsets shown.
    PrintsForm form(t.doc, t.ui, *t.settings, *t.printers, t.app);
    form.setAttribute(Qt::WA_DeleteOnClose, false);
    auto locked = [&] {
        return form.Text6[0]->isReadOnly() && form.Text6[1]->isReadOnly() &&
               !form.VScroll6[0]->isEnabled() && !form.VScroll6[1]->isEnabled();
    };
    QVERIFY(form.Chk_Isfk->isChecked() && locked());
    QCOMPARE(form.Text6[1]->text(), QStringLiteral("20.0"));

    form.Chk_Isfk->click();
    QVERIFY(!form.Text6[0]->isReadOnly() && form.VScroll6[0]->isEnabled());
    form.VScroll6[0]->setValue(2);
    QCOMPARE(form.Text6[0]->text(), QStringLiteral("9.9"));
    // Ticked again: the printer is read once more.
    form.Chk_Isfk->click();
    QVERIFY(locked());
    QCOMPARE(form.Text6[0]->text(), QStringLiteral("10.0"));
}

void TestPrintStyleForm::templateChosen() {
    Fixture f;
    const QString path = f.t.path(QStringLiteral("Format.qfd"));
    f.form->setTemplateFile(path);
    // No file: a message, and no chooser (one that opens all the same is
    // closed, so that the test ends).
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    });
    guard.start(0);
    f.form->CmdYomiKomi->click();
    guard.stop();
    QCOMPARE(f.t.ui.texts(), QStringList{QStringLiteral("テンプレートファイルがありません。")});

    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QString unread(40, u' ');
    file.write(*Cp932::encode(QStringLiteral("0001 297 210  55  91  11  14   0   0   5   2") +
                              unread + QStringLiteral("標準\r\n") +
                              QStringLiteral("0002 297 210  51  91   5   7   8  14   5   2") +
                              unread + QStringLiteral("コクヨ KPC-U10-20\r\n")));
    file.close();
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
        auto* chooser = qobject_cast<frmFormat*>(QApplication::activeModalWidget());
        QVERIFY(chooser);
        QCOMPARE(chooser->lstFormat->item(1)->text().trimmed(),
                 QStringLiteral("コクヨ KPC-U10-20"));
        chooser->Command1->click(); // nothing selected: the chooser stays
        stayedOpen = chooser->isVisible();
        chooser->lstFormat->item(1)->setSelected(true);
        chooser->Command1->click();
    });
    f.form->CmdYomiKomi->click();

    QVERIFY(stayedOpen);
    QCOMPARE((QStringList{f.form->Text1[0]->text(), f.form->Text2[0]->text(),
                          f.form->Text2[1]->text(), f.form->Text4[0]->text()}),
             (QStringList{"5.0", "8.0", "14.0", "51.0"}));
    const QList<QRectF> cards = f.form->pic_back->cards();
    QCOMPARE(cards.size(), 10);
    QCOMPARE(cards.last(), QRectF(7 + 91 + 14, 5 + 4 * (51 + 8), 91, 51));
    QCOMPARE(f.t.doc.card.PrintStyle, PrintStyle{}); // nothing before "更新"
}

QTEST_MAIN(TestPrintStyleForm)
#include "test_printstyleform.moc"
