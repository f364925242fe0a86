// quillo print --merge: an office's staff list merged into the card, each
// person in their place, long lines condensed to fit, each QR code their own.

#include "app/commandline.h"
#include "document/cardfile.h"
#include "document/stafflist.h"
#include "editor/cardcanvas.h"
#include "pdfcheck.h"
#include "print/mergeform.h"
#include "print/pdfprinter.h"
#include "print/printdialog.h"
#include "print/recordingprinter.h"
#include "qrdecode.h"
#include "shownmainform.h"

#include <QDir>
#include <QImageReader>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

class TestMergePrint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void commandLine_data();
    void commandLine();
    void mergeWindow_data();
    void mergeWindow();

private:
    QTemporaryDir m_dir;
};

namespace {

const QString Staff = QStringLiteral(QUILLO_TEST_DATA "/merge/staff12.csv");

// Each person's family name and address, as the cards should show them.
QList<QStringList> people() {
    QList<QStringList> all;
    for (const QStringList& row : ReadStaffList(Staff).rows)
        all.append({row[0].section(QChar(0x3000), 0, 0), row[4]});
    return all;
}

// The address line small enough that the longest address fits condensed
// with room to spare in every build's font metrics.
Card officeCard(bool qr, int addressSize = 8) {
    Card card;
    ResetLines(card, QStringLiteral("IPAGothic"));
    const char16_t* texts[] = {u"{氏名}",    u"{会社}", u"{部署}", u"{役職}", u"〒100-0005 {住所}",
                               u"TEL {電話}"};
    for (int k = 0; k < 6; ++k)
        card.TextItems[k].Text = QString::fromUtf16(texts[k]);
    card.TextItems[4].FontSize = addressSize;
    if (qr) {
        card.Qr.On = true;
        card.Qr.Left = 68;
        card.Qr.Top = 3;
        card.Qr.Side = 20;
        card.Qr.Level = 0;
    }
    return card;
}

} // namespace

void TestMergePrint::initTestCase() {
    QVERIFY(pdfcheck::available());
    // An A4 page at 600 dpi is 139 MB of pixels.
    QImageReader::setAllocationLimit(512);
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toUtf8());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    QCOMPARE(WriteCardFile(QStringLiteral("office.qcd"), officeCard(false)), 0);
    QCOMPARE(WriteCardFile(QStringLiteral("qr.qcd"), officeCard(true)), 0);
    Card unknown = officeCard(false);
    unknown.TextItems[6].Text = QStringLiteral("FAX {ファクス}");
    QCOMPARE(WriteCardFile(QStringLiteral("unknown.qcd"), unknown), 0);
    // The longer addresses overflow even condensed.
    QCOMPARE(WriteCardFile(QStringLiteral("large.qcd"), officeCard(false, 12)), 0);
}

// The twelve people of the CP932 list on A4 10-up sheets: the status, the
// files written, and for the text print every printed family name on the
// card of its position, every address ending 2 mm before its card's right
// edge, condensed as needed; a QR code of each person's own.
void TestMergePrint::commandLine_data() {
    QTest::addColumn<QStringList>("args"); // after the card, --merge and the list
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("files");  // written, as "name:pages"
    QTest::addColumn<QList<int>>("sheetOf"); // each person's page from 0, -1 not printed
    QTest::addColumn<int>("cardsEach");
    const auto row = [](const char* tag, const QString& args, int status, const QString& files,
                        const QList<int>& sheetOf = {}, int cardsEach = 1) {
        QTest::newRow(tag) << args.split(u' ') << status << files.split(u' ', Qt::SkipEmptyParts)
                           << sheetOf << cardsEach;
    };
    row("one each, text", "office.qcd --pdf out.pdf --one-each --kind text", 0, "out.pdf:2",
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1});
    row("one each, records 9-12, card image", "office.qcd --pdf out.pdf --one-each --records 9-12",
        0, "out.pdf:1");
    row("a sheet each, records 2-3", "office.qcd --pdf out.pdf --records 2-3 --kind text", 0,
        "out.pdf:2", {-1, 0, 1}, 10);
    row("a column the list lacks", "unknown.qcd --pdf out.pdf", 1, "");
    row("addresses that do not fit", "large.qcd --pdf out.pdf", 1, "");
    row("those left out", "large.qcd --pdf out.pdf --one-each --skip-problems", 0, "out.pdf:1");
    row("one each takes no sheets", "office.qcd --pdf out.pdf --one-each --sheets 2", 2, "");
    row("records past the list", "office.qcd --pdf out.pdf --records 13-20", 1, "");
    row("a PDF each, two sheets", "office.qcd --pdf-dir each --records 1-2 --sheets 2", 0,
        "each/山田　太郎.pdf:2 each/佐藤　花子.pdf:2");
    row("vCards of two people", "qr.qcd --pdf out.pdf --records 1-2 --one-each", 0, "out.pdf:1");
}

void TestMergePrint::commandLine() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QStringList, files);
    QFETCH(QList<int>, sheetOf);
    QFETCH(int, cardsEach);
    QFile::remove(QStringLiteral("out.pdf"));
    QDir(QStringLiteral("each")).removeRecursively();
    QVERIFY(QDir().mkpath(QStringLiteral("each")));
    args.insert(1, QStringLiteral("--merge"));
    args.insert(2, Staff);
    PdfOnlyPrinterHost printers;
    QCOMPARE(RunCommandLine(QStringList{QStringLiteral("print")} + args, printers), status);
    QCOMPARE(QFile::exists(QStringLiteral("out.pdf")), !files.filter(u"out.pdf").isEmpty());
    for (const QString& f : files) {
        const auto pages = pdfcheck::pageSizes(f.section(u':', 0, 0));
        QVERIFY2(pages && pages->size() == f.section(u':', 1).toInt(), qPrintable(f));
    }

    const QList<pdfcheck::Word> words =
        sheetOf.isEmpty() ? QList<pdfcheck::Word>{} : pdfcheck::words(QStringLiteral("out.pdf"));
    const QList<QStringList> staff = people();
    const int first = int(sheetOf.lastIndexOf(-1)) + 1; // the first person printed
    for (qsizetype k = first; k < sheetOf.size(); ++k) {
        int names = 0, addresses = 0;
        for (int n = 0; n < cardsEach; ++n) {
            const int slot = cardsEach == 1 ? int(k - first) % 10 : n;
            const QRectF card(14 + 91 * (slot % 2), 11 + 55 * (slot / 2), 91, 55);
            for (const pdfcheck::Word& w : words) {
                const QRectF mm(w.box.topLeft() * 25.4 / 72, w.box.bottomRight() * 25.4 / 72);
                if (w.page != sheetOf[k] + 1 || !card.contains(mm.center()))
                    continue;
                names += w.text == staff[k][0];
                if (w.text.startsWith(staff[k][1].left(4))) {
                    ++addresses;
                    QVERIFY2(mm.right() <= card.right() - 2 + 0.2, qPrintable(w.text));
                }
            }
        }
        QCOMPARE(names, cardsEach);
        QCOMPARE(addresses, cardsEach);
    }
    if (!args.contains(QStringLiteral("qr.qcd")) || !QrDecoderAvailable())
        return;
    // Each card's code holds its own person: 山田 first, then 佐藤.
    const QImage page = pdfcheck::renderPage(QStringLiteral("out.pdf"), 1, 600);
    const double px = 600 / 25.4;
    for (int slot = 0; slot < 2; ++slot) {
        const QRect card(int((14 + 91 * slot) * px), int(11 * px), int(91 * px), int(55 * px));
        const QString vcard = DecodeQrCode(page.copy(card));
        QVERIFY2(vcard.contains(slot == 0 ? u"山田" : u"佐藤") &&
                     vcard.contains(slot == 0 ? u"03-1234-5678" : u"03-1234-5679"),
                 qPrintable(vcard));
    }
}

// The merge window over the main window: the list chosen with its file
// button, people unticked in the table, ▶ showing the next person on the
// canvas, and its print button through the print dialog to the printer.
// Each person's name comes out on their page, in the list's order.
void TestMergePrint::mergeWindow_data() {
    QTest::addColumn<bool>("oneEach");
    QTest::addColumn<int>("sheets");
    QTest::addColumn<QList<int>>("ticked"); // of the twelve
    QTest::newRow("one each, the second left out")
        << true << 1 << QList<int>{0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    QTest::newRow("two sheets each of the first and the last") << false << 2 << QList<int>{0, 11};
}

void TestMergePrint::mergeWindow() {
    QFETCH(bool, oneEach);
    QFETCH(int, sheets);
    QFETCH(QList<int>, ticked);
    ShownMainForm s;
    s.t.m->doc.card = officeCard(false);
    ShowCardData(*s.t.m);
    s.form.mergeAction->trigger();
    auto* merge = s.form.findChild<MergeForm*>();
    QVERIFY(merge);
    s.t.ui.openNames.enqueue(Staff);
    merge->fileButton->click();
    QAbstractItemModel* model = merge->table->model();
    QCOMPARE(model->rowCount(), 12);
    for (int row = 0; row < 12; ++row)
        if (!ticked.contains(row))
            model->setData(model->index(row, 0), Qt::Unchecked, Qt::CheckStateRole);
    (oneEach ? merge->oneEachOption : merge->sheetsEachOption)->click();
    if (!oneEach)
        merge->sheetsField->setValue(sheets);
    merge->showPerson(0);
    merge->nextButton->click();
    QCOMPARE(s.form.Picture1->shownCard().TextItems[0].Text, QStringLiteral("佐藤　花子"));

    merge->printButton->click();
    IsForm2* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<IsForm2*>(w); d && d->isVisible())
            dialog = d;
    QVERIFY(dialog);
    dialog->optPKBN[int(PrintKind::Text)]->setChecked(true);
    auto* printer = dynamic_cast<RecordingPrinter*>(&s.t.m->printers.printer());
    QVERIFY(printer);
    dialog->Command2->click();
    QCOMPARE(printer->documents.size(), 1);

    // The names printed, each with the page it is on.
    const QList<QStringList> staff = people();
    QStringList printed, expected;
    int page = 0;
    for (const RecordingPrinter::Call& c : printer->calls) {
        page += c.op == u"NewPage";
        for (const QStringList& p : staff)
            if (c.op == u"Paint" && c.text.startsWith(p[0] + QChar(0x3000)))
                printed << QStringLiteral("%1:%2").arg(page).arg(p[0]);
    }
    for (int k = 0; k < ticked.size(); ++k)
        for (int n = 0; n < (oneEach ? 1 : 10 * sheets); ++n)
            expected << QStringLiteral("%1:%2")
                            .arg(oneEach ? k / 10 : k * sheets + n / 10)
                            .arg(staff[ticked[k]][0]);
    QCOMPARE(printed, expected);
    QCOMPARE(printer->documents.first().pages.size(),
             expected.last().section(u':', 0, 0).toInt() + 1);
}

QTEST_MAIN(TestMergePrint)
#include "test_mergeprint.moc"
