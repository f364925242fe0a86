// The print dialog driven through its controls on a recording and the PDF
// printer, and the preview's picture of the sheet.

#include "base/runtimeerror.h"
#include "pdfcheck.h"
#include "print/cardsource.h"
#include "print/pdfprinter.h"
#include "print/preview.h"
#include "print/printdialog.h"
#include "print/recordingprinter.h"
#include "testcontext.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTimer>
#include <QtTest>

namespace {

const QString Opt = QStringLiteral("opt");

struct Fixture {
    TestContext t;
    QPointer<IsForm2> form;

    // settings: "key=value key=value" in section "opt".
    explicit Fixture(const QString& settings = {}) {
        *t.host = TestPrinterHost({QStringLiteral("Recorder"), QStringLiteral("PDFファイル")},
                                  [](const QString& name) -> std::unique_ptr<Printer> {
                                      if (name == u"PDFファイル")
                                          return std::make_unique<PdfPrinter>();
                                      return std::make_unique<RecordingPrinter>(name);
                                  });
        t.printers->PrinterList = t.host->deviceNames();
        QImage filled(40, 24, QImage::Format_RGB32);
        filled.fill(Qt::red);
        t.doc.picture.set(t.doc.card, filled);
        for (const QString& pair : settings.split(u' ', Qt::SkipEmptyParts))
            t.settings->setText(Opt, pair.section(u'=', 0, 0), pair.section(u'=', 1));
        form = new IsForm2(t.doc, t.ui, *t.settings, *t.printers, t.app);
        form->show();
    }
    ~Fixture() { delete form; }
    RecordingPrinter* recorder() { return dynamic_cast<RecordingPrinter*>(&t.printers->printer()); }
    void choosePdf() {
        form->cmbPrinter->setCurrentIndex(1);
        form->cmbPrinter_Click(1);
    }
    QString setting(const char* key) {
        return t.settings->text(Opt, QString::fromLatin1(key), "-");
    }
    bool closed() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return form.isNull();
    }
    QList<QWidget*> jobControls() const {
        return {form->Command2, form->Command3, form->Text1,    form->VScroll1,
                form->Check1,   form->Command4, form->Command5, form->cmbPrinter};
    }
};

// Whether the colour appears within a pixel of (x, y).
bool colourNear(const QImage& image, int x, int y, QColor colour) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.valid(x + dx, y + dy) && image.pixelColor(x + dx, y + dy) == colour)
                return true;
    return false;
}

} // namespace

class TestPrintDialog : public QObject {
    Q_OBJECT
private slots:
    void loadsItsSettings_data();
    void loadsItsSettings();
    void printToPdf_data();
    void printToPdf();
    void closeDuringJobDiscardsIt_data();
    void closeDuringJobDiscardsIt();
    void cutLineSettingsWritten_data();
    void cutLineSettingsWritten();
    void previewShowsCards_data();
    void previewShowsCards();
    void previewButtonOpensAtHalfArea();
    void sheetCountTakenOnLeaving_data();
    void sheetCountTakenOnLeaving();
    void failedPrintKeepsTheDialog();
    void progressUnderTheStatus();
    void closeWhileThePrintSystemTakesTheJob();
    void printSaysWhatItDid_data();
    void printSaysWhatItDid();
    void previewAtDevicePixelRatio();
};

void TestPrintDialog::loadsItsSettings_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("bottomChecked");
    QTest::addColumn<bool>("cutsChecked");

    QTest::newRow("defaults") << "" << 0 << false << false;
    QTest::newRow("no picture, both switches on")
        << "HaikeiFlg=0 KiritoriFlag=1 KiritoriFlag0=1" << 1 << true << true;
    QTest::newRow("not numbers") << "HaikeiFlg=x KiritoriFlag=y KiritoriFlag0=2" << 0 << false
                                 << false;
}

void TestPrintDialog::loadsItsSettings() {
    QFETCH(QString, settings);
    QFETCH(int, kind);
    QFETCH(bool, bottomChecked);
    QFETCH(bool, cutsChecked);
    Fixture f(settings);

    QCOMPARE(f.form->mPKBN, kind);
    QVERIFY(f.form->optPKBN[kind]->isChecked());
    QCOMPARE(f.form->sldScreen->isEnabled(), kind == 0);
    QCOMPARE(f.form->chkKasen->isChecked(), bottomChecked);
    QCOMPARE(f.form->Check1->isChecked(), cutsChecked);
    QCOMPARE(f.form->chkKasen->isEnabled(), cutsChecked);
    QCOMPARE(f.form->Text1->text(), QStringLiteral("1"));
    QCOMPARE(f.form->cmbPrinter->currentText(), QStringLiteral("Recorder"));
    QCOMPARE(f.form->Label1->text(), QStringLiteral("600 dpi"));
    // Choosing a printer makes it the one in use.
    f.choosePdf();
    QCOMPARE(f.t.printers->printer().DeviceName(), QStringLiteral("PDFファイル"));
    QCOMPARE(f.form->Label1->text(), QStringLiteral("1200 dpi"));
}

void TestPrintDialog::printToPdf_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("fileChosen");
    QTest::addColumn<int>("pages"); // 0: no file
    QTest::addColumn<bool>("staysOpen");

    QTest::newRow("print, 3 sheets") << "Command2" << true << 3 << false;
    QTest::newRow("position print") << "Command4" << true << 1 << true;
    QTest::newRow("print, save dialog cancelled") << "Command2" << false << 0 << true;
}

void TestPrintDialog::printToPdf() {
    QFETCH(QString, button);
    QFETCH(bool, fileChosen);
    QFETCH(int, pages);
    QFETCH(bool, staysOpen);
    Fixture f;
    const QString out = f.t.path("sheet.pdf");
    if (fileChosen)
        f.t.ui.saveNames.enqueue(out);
    f.choosePdf();
    f.form->Mais = 3;
    f.form->sldScreen->setValue(2);
    f.form->findChild<QPushButton*>(button)->click();

    QCOMPARE(f.t.ui.saveFilters, QStringList{"PDF|*.pdf|"});
    QCOMPARE(f.closed(), !staysOpen);
    QCOMPARE(QFileInfo::exists(out), pages > 0);
    if (staysOpen) {
        QCOMPARE(f.form->IjF, 0);
        QVERIFY(f.form->Label2->text().isEmpty());
        for (QWidget* w : f.jobControls())
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    }
    if (button == u"Command2" && fileChosen)
        QCOMPARE(f.t.app.ImgScale, 2);
    if (pages > 0 && pdfcheck::available())
        QCOMPARE(pdfcheck::pageSizes(out).value_or(QList<QSizeF>{}).size(), pages);
}

void TestPrintDialog::closeDuringJobDiscardsIt_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("kind");

    QTest::newRow("text print") << "Command2" << 1;
    QTest::newRow("standard print, while rendering") << "Command2" << 0;
    QTest::newRow("position print") << "Command4" << 0;
}

void TestPrintDialog::closeDuringJobDiscardsIt() {
    QFETCH(QString, button);
    QFETCH(int, kind);
    Fixture f;
    RecordingPrinter* p = f.recorder();
    f.form->optPKBN[kind]->setChecked(true);
    f.form->Mais = 2;
    f.form->Check1->setChecked(true);
    QStringList enabledWhileRunning;
    f.t.ui.onProcessEvents = [&] {
        if (!f.form->Command1->isEnabled())
            return;
        for (QWidget* w : f.jobControls())
            if (w->isEnabled())
                enabledWhileRunning << w->objectName();
        QCOMPARE(f.form->IjF, 1);
        f.form->Command1->click();
        QVERIFY(!f.closed()); // never deleted under the running handler
    };
    f.form->findChild<QPushButton*>(button)->click();

    QCOMPARE(enabledWhileRunning, QStringList{});
    QVERIFY(f.closed());
    QVERIFY(p->documents.isEmpty());
    // Nothing was drawn after the discard.
    bool discarded = false;
    for (const RecordingPrinter::Call& c : p->calls) {
        discarded = discarded || c.op == u"KillDoc";
        QVERIFY2(!discarded || c.op == u"KillDoc" || c.op == u"EndDoc", qPrintable(c.op));
    }
    QCOMPARE(f.setting("KiritoriFlag0"), QStringLiteral("1"));
}

void TestPrintDialog::cutLineSettingsWritten_data() {
    QTest::addColumn<QString>("how"); // "bottom clicked", "Close", "window closed"
    QTest::addColumn<QString>("bottom");
    QTest::addColumn<QString>("cuts");

    QTest::newRow("bottom line clicked") << "bottom clicked"
                                         << "1"
                                         << "-";
    QTest::newRow("Close button") << "Close"
                                  << "0"
                                  << "1";
    QTest::newRow("window closed otherwise") << "window closed"
                                             << "-"
                                             << "-";
}

void TestPrintDialog::cutLineSettingsWritten() {
    QFETCH(QString, how);
    QFETCH(QString, bottom);
    QFETCH(QString, cuts);
    Fixture f;
    f.form->Check1->click();
    if (how == u"bottom clicked")
        f.form->chkKasen->click();
    else if (how == u"Close")
        f.form->Command1->click();
    else
        f.form->close();
    QCOMPARE(f.setting("KiritoriFlag"), bottom);
    QCOMPARE(f.setting("KiritoriFlag0"), cuts);
    QCOMPARE(f.closed(), how != u"bottom clicked");
}

void TestPrintDialog::previewShowsCards_data() {
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("isfkY");
    QTest::addColumn<QSize>("paper");
    QTest::addColumn<bool>("upright");

    // A4 at 15 twips a pixel: 56.7 / 15 pixels a millimetre at 1/1.
    QTest::newRow("1/1") << 1 << 0 << 0.0 << QSize(794, 1123) << false;
    QTest::newRow("1/2") << 2 << 2 << 3.0 << QSize(561, 794) << false;
    QTest::newRow("1/4") << 3 << 0 << 0.0 << QSize(397, 561) << false;
    QTest::newRow("text only") << 3 << 1 << 0.0 << QSize(397, 561) << false;
    QTest::newRow("upright, 1/1") << 1 << 0 << 0.0 << QSize(794, 1123) << true;
}

void TestPrintDialog::previewShowsCards() {
    QFETCH(int, item);
    QFETCH(int, kind);
    QFETCH(double, isfkY);
    QFETCH(QSize, paper);
    QFETCH(bool, upright);
    TestContext t;
    t.doc.card.Upright = upright;
    // Red with a blue top quarter: the card's top lies left on the sheet when
    // it is upright.
    QImage filled(40, 24, QImage::Format_RGB32);
    filled.fill(Qt::red);
    QPainter(&filled).fillRect(0, 0, 40, 6, Qt::blue);
    t.doc.picture.set(t.doc.card, filled);
    t.app.IsfkY = isfkY;
    t.settings->setText(Opt, "KiritoriFlag", "1");
    const SameCardSource cards(t.doc.card, t.doc.pictureImage(), DecodedLogo(), 1);
    frmPREVIEW preview(t.doc.card.PrintStyle, cards, t.printOptions(PrintKind(kind), true), t.ui);
    QVERIFY(preview.mnuRitu[2]->isChecked());
    preview.mnuRitu[item]->trigger();
    QVERIFY(preview.mnuRitu[item]->isChecked());

    const QImage sheet = preview.paperImage();
    QCOMPARE(sheet.size(), paper);
    QCOMPARE(preview.picPaper->pixmap().size(), paper);
    const double perMm = paper.width() / 210.0;
    const PrintStyle& s = t.doc.card.PrintStyle;
    const QColor card = kind == 1 ? QColor(Qt::white) : QColor(Qt::red);
    for (int r = 0; r < s.MaisuY; ++r) {
        for (int c = 0; c < s.MaisuX; ++c) {
            const double x = s.YhkLeft + c * s.MsX, y = s.Yhktop + r * s.MsY;
            QCOMPARE(sheet.pixelColor(int((x + s.MsX / 2) * perMm), int((y + s.MsY / 2) * perMm)),
                     card);
            const QColor top = kind == 1 ? card : QColor(Qt::blue);
            QCOMPARE(sheet.pixelColor(int((x + s.MsX / 8) * perMm), int((y + s.MsY / 2) * perMm)),
                     upright ? top : card);
            QCOMPARE(sheet.pixelColor(int((x + s.MsX / 2) * perMm), int((y + s.MsY / 8) * perMm)),
                     upright ? card : top);
        }
    }
    // The margins stay paper; the marks lie in them, blue above the first
    // row and below the last, green beside the first column.
    const double bottom = s.Yhktop + s.MaisuY * s.MsY;
    QCOMPARE(sheet.pixelColor(int(5 * perMm), int(5 * perMm)), QColor(Qt::white));
    QVERIFY(
        colourNear(sheet, int(s.YhkLeft * perMm), int((s.Yhktop - 1) * perMm), QColor(0, 0, 128)));
    QVERIFY(
        colourNear(sheet, int(s.YhkLeft * perMm), int((bottom + 1) * perMm), QColor(0, 0, 128)));
    QVERIFY(
        colourNear(sheet, int((s.YhkLeft - 1) * perMm), int(s.Yhktop * perMm), QColor(0, 128, 0)));
}

void TestPrintDialog::previewButtonOpensAtHalfArea() {
    Fixture f;
    f.form->sldScreen->setValue(3);
    QSize shown;
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<frmPREVIEW*>(QApplication::activeModalWidget());
        QVERIFY(preview);
        shown = preview->paperImage().size();
        preview->mnuClose->trigger();
    });
    f.form->Command5->click();

    QCOMPARE(shown, QSize(561, 794));
    QCOMPARE(f.t.app.ImgScale, 3);
    QVERIFY(!f.closed());
    QVERIFY(f.form->Command2->isEnabled());
    QVERIFY(f.form->Label2->text().isEmpty());
}

void TestPrintDialog::sheetCountTakenOnLeaving_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("sheets");
    QTest::newRow("7") << "7" << 7;
    QTest::newRow("0 keeps the count") << "0" << 1;
    QTest::newRow("1001 keeps the count") << "1001" << 1;
    QTest::newRow("letters keep the count") << "ab" << 1;
}

void TestPrintDialog::sheetCountTakenOnLeaving() {
    QFETCH(QString, typed);
    QFETCH(int, sheets);
    Fixture f;
    QApplication::setActiveWindow(f.form);
    f.form->Text1->setFocus();
    QVERIFY(QTest::qWaitFor([&] { return f.form->Text1->hasFocus(); }));
    f.form->Text1->clear();
    QTest::keyClicks(f.form->Text1, typed);
    QTest::keyClick(f.form->Text1, Qt::Key_Return);
    QTest::keyClick(f.form->Text1, Qt::Key_Enter);
    // Enter is swallowed: nothing taken, the field still holds what was typed.
    QCOMPARE(f.form->Mais, 1);
    QCOMPARE(f.form->Text1->text(), typed);
    f.form->Command1->setFocus();
    QVERIFY(QTest::qWaitFor([&] { return !f.form->Text1->hasFocus(); }));
    QCOMPARE(f.form->Mais, sheets);
    QCOMPARE(f.form->Text1->text(), QString::number(sheets));
}

void TestPrintDialog::failedPrintKeepsTheDialog() {
    Fixture f;
    RecordingPrinter* p = f.recorder();
    p->failOn = QStringLiteral("EndDoc");
    p->failDetail = QStringLiteral("Destination \"Recorder\" is not accepting jobs.");
    f.form->Command2->click();

    // The standard printer error message, the print system's reason beside it.
    QCOMPARE(f.t.ui.texts(), QStringList{RuntimeError(57).message()});
    QCOMPARE(f.t.ui.messages.first().detail, p->failDetail);
    QVERIFY(!f.closed());
    QCOMPARE(f.form->IjF, 0);
    QVERIFY(f.form->Label2->text().isEmpty());
    for (QWidget* w : f.jobControls())
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    QVERIFY(p->documents.isEmpty());
}

void TestPrintDialog::progressUnderTheStatus() {
    Fixture f;
    RecordingPrinter* p = f.recorder();
    p->jobStates = {QStringLiteral("ジョブ R-1: 処理中")};
    f.form->optPKBN[2]->setChecked(true); // the background print runs no events of its own
    f.form->Mais = 2;
    QStringList statuses, progress;
    f.t.ui.onProcessEvents = [&] {
        statuses << f.form->Label2->text();
        progress << f.form->prgJob->text();
    };
    f.form->Command2->click();

    QVERIFY(f.closed());
    QCOMPARE(p->documents.size(), 1);
    QCOMPARE(statuses.size(), 3); // after each sheet, and once from the print system
    for (const QString& status : statuses)
        QCOMPARE(status, QStringLiteral("データ転送中．．．"));
    QCOMPARE(progress, (QStringList{"1／2枚", "2／2枚", "2／2枚　ジョブ R-1: 処理中"}));
}

void TestPrintDialog::closeWhileThePrintSystemTakesTheJob() {
    Fixture f;
    RecordingPrinter* p = f.recorder();
    p->jobStates = {QStringLiteral("待機中"), QStringLiteral("処理中")};
    f.form->optPKBN[2]->setChecked(true);
    f.t.ui.onProcessEvents = [&] {
        if (f.form->prgJob->text().contains(QStringLiteral("待機中")) &&
            f.form->Command1->isEnabled())
            f.form->Command1->click();
    };
    f.form->Command2->click();

    QVERIFY(f.closed());
    QVERIFY(p->documents.isEmpty());
    QCOMPARE(p->discardedDocuments, 1);
    QVERIFY(f.t.ui.messages.isEmpty());
}

void TestPrintDialog::printSaysWhatItDid_data() {
    QTest::addColumn<QString>("how"); // the button clicked, or the widget Enter is pressed in
    QTest::addColumn<bool>("pdf");
    // "OUT" stands for the PDF file; empty: nothing printed; after "!" the
    // message of a print refused before it asks for a file name.
    QTest::addColumn<QString>("said");

    QTest::newRow("印刷 clicked") << "Command2" << false << "3枚を印刷しました：Recorder";
    QTest::newRow("印刷 clicked, PDF") << "Command2" << true << "3枚を印刷しました：OUT";
    QTest::newRow("Enter on a print kind") << "optPKBN_1" << false << "3枚を印刷しました：Recorder";
    QTest::newRow("Enter on the cut lines") << "Check1" << true << "3枚を印刷しました：OUT";
    QTest::newRow("Enter on プレビュー presses it") << "Command5" << false << "";
    QTest::newRow("Enter in the sheet count") << "Text1" << false << "";
    QTest::newRow("位置印刷") << "Command4" << true << "位置印刷しました：OUT";
    QTest::newRow("no print style, PDF")
        << "Command2" << true << "!印刷スタイルの設定を行ってください。";
}

// A print says in the main window's status bar what it did, and keeps the
// print kind, the cut lines and the sheet count for the next one as 印刷 is
// pressed. Enter presses 印刷, or the button that has the focus; the sheet
// count keeps Enter to itself.
void TestPrintDialog::printSaysWhatItDid() {
    QFETCH(QString, how);
    QFETCH(bool, pdf);
    QFETCH(QString, said);
    Fixture f;
    const bool refused = said.startsWith(u'!');
    if (refused)
        f.t.doc.card.PrintStyle.YsY = 0;
    const QString out = f.t.path("sheet.pdf");
    if (pdf) {
        f.choosePdf();
        f.t.ui.saveNames.enqueue(out);
    }
    QApplication::setActiveWindow(f.form);
    f.form->optPKBN[1]->setChecked(true);
    f.form->Check1->setChecked(true);
    f.form->Text1->setText(QStringLiteral("3"));
    f.form->Text1_LostFocus();
    QSignalSpy printed(f.form.data(), &IsForm2::printed);
    // The preview is closed as soon as it shows.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto* preview = qobject_cast<frmPREVIEW*>(QApplication::activeModalWidget()))
            preview->close();
    });
    closer.start(20);
    auto* widget = f.form->findChild<QWidget*>(how);
    QVERIFY(widget);
    if (how.startsWith(u"Command") && how != u"Command5") {
        qobject_cast<QPushButton*>(widget)->click();
    } else {
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_Return);
    }

    QCOMPARE(f.t.ui.texts(), refused ? QStringList{said.mid(1)} : QStringList{});
    QCOMPARE(f.t.ui.saveFilters.isEmpty(), !pdf || refused);
    QCOMPARE(QFileInfo::exists(out), pdf && !refused);
    said.replace(QStringLiteral("OUT"), out);
    QCOMPARE(printed.size(), said.isEmpty() || refused ? 0 : 1);
    if (!said.isEmpty() && !refused)
        QCOMPARE(printed.first().first().toString(), said);
    const bool pressed = how != u"Text1" && how != u"Command5" && how != u"Command4";
    const QString kept = f.setting("PrintKind") + f.setting("Sheets") + f.setting("KiritoriFlag0");
    QCOMPARE(kept, pressed ? QStringLiteral("131") : QStringLiteral("---"));
    if (!pressed)
        return;
    // The next print starts with them.
    IsForm2 next(f.t.doc, f.t.ui, *f.t.settings, *f.t.printers, f.t.app);
    QCOMPARE(next.mPKBN, 1);
    QCOMPARE(next.Mais, 3);
    QCOMPARE(next.Text1->text(), QStringLiteral("3"));
    QVERIFY(next.Check1->isChecked());
}

// The preview is drawn at the screen's device pixels, so that it is sharp
// on a scaled screen (CTest runs this once more under QT_SCALE_FACTOR=2):
// the sheet keeps its size on the screen, with ratio times the pixels.
void TestPrintDialog::previewAtDevicePixelRatio() {
    TestContext t;
    const qreal ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
    if (qEnvironmentVariable("QT_SCALE_FACTOR") == u"2")
        QCOMPARE(ratio, 2.0);
    const SameCardSource cards(t.doc.card, QImage(), DecodedLogo(), 1);
    frmPREVIEW preview(t.doc.card.PrintStyle, cards, t.printOptions(PrintKind::Positions, true),
                       t.ui);
    const QImage sheet = preview.paperImage();
    QCOMPARE(sheet.devicePixelRatio(), ratio);
    QCOMPARE(sheet.deviceIndependentSize().toSize(), QSize(561, 794)); // A4 at 1/2
    QCOMPARE(sheet.size(), QSize(561, 794) * ratio);
    QCOMPARE(preview.picPaper->pixmap().devicePixelRatio(), ratio);
    // The first card's top mark, one device pixel wide, at its millimetres.
    const double perMm = sheet.width() / 210.0;
    QVERIFY(colourNear(sheet, int(14 * perMm), int(10 * perMm), QColor(0, 0, 128)));
}

QTEST_MAIN(TestPrintDialog)
#include "test_printdialog.moc"
