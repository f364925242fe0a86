// quillo print --merge: an office's staff list merged into the card, each
// person in their place, long lines condensed to fit, each QR code their own.

#include "app/commandline.h"
#include "app/mainform.h"
#include "app/newcard.h"
#include "document/card.h"
#include "document/cardfile.h"
#include "document/stafflist.h"
#include "editor/cardcanvas.h"
#include "pdfcheck.h"
#include "print/mergeform.h"
#include "print/pdfprinter.h"
#include "print/printdialog.h"
#include "print/recordingprinter.h"
#include "qrdecode.h"
#include "sessioncontext.h"

#include <QDir>
#include <QFileInfo>
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
    void officeList_data();
    void officeList();
    void commandLine_data();
    void commandLine();
    void mergeWindow_data();
    void mergeWindow();

private:
    int print(QStringList args);
    QTemporaryDir m_dir;
    QString m_staff = QStringLiteral(QUILLO_TEST_DATA "/merge/staff12.csv");
};

namespace {

constexpr double PtPerMm = 72 / 25.4;

// The staff list's name, address and telephone, as the cards should show them.
struct Person {
    QString family;
    QString address;
};

QList<Person> people() {
    QList<Person> all;
    StaffList list = ReadStaffList(QStringLiteral(QUILLO_TEST_DATA "/merge/staff12.csv"));
    for (const QStringList& row : list.rows)
        all.append({row[0].section(QChar(0x3000), 0, 0), row[4]});
    return all;
}

Card officeCard(bool qr) {
    Card card;
    ResetLines(card, QStringLiteral("IPAGothic"));
    const char16_t* texts[] = {u"{氏名}",    u"{会社}", u"{部署}", u"{役職}", u"〒100-0005 {住所}",
                               u"TEL {電話}"};
    for (int k = 0; k < 6; ++k)
        card.TextItems[k].Text = QString::fromUtf16(texts[k]);
    // Small enough that the longest address fits condensed with room to
    // spare in every build's font metrics.
    card.TextItems[4].FontSize = 8;
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
    QCOMPARE(WriteCardFile(m_dir.filePath(QStringLiteral("office.qcd")), officeCard(false)), 0);
    QCOMPARE(WriteCardFile(m_dir.filePath(QStringLiteral("qr.qcd")), officeCard(true)), 0);
    Card unknown = officeCard(false);
    unknown.TextItems[6].Text = QStringLiteral("FAX {ファクス}");
    QCOMPARE(WriteCardFile(m_dir.filePath(QStringLiteral("unknown.qcd")), unknown), 0);
    Card large = officeCard(false);
    large.TextItems[4].FontSize = 12; // the longer addresses overflow even condensed
    QCOMPARE(WriteCardFile(m_dir.filePath(QStringLiteral("large.qcd")), large), 0);
}

int TestMergePrint::print(QStringList args) {
    for (QString& a : args) {
        if (a.endsWith(u".qcd") || a == u"out.pdf" || a == u"each")
            a = m_dir.filePath(a);
        else if (a == u"STAFF")
            a = m_staff;
    }
    PdfOnlyPrinterHost printers;
    return RunCommandLine(QStringList{QStringLiteral("print")} + args, printers);
}

// The twelve people of the CP932 list on A4 10-up sheets: one card each
// fills two sheets in order; "per person" gives each one a sheet of their
// own. Every family name lies on the card of its position, and every
// address ends 2 mm before its card's right edge, condensed as needed.
void TestMergePrint::officeList_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<int>>("sheetOf"); // each printed person's page, from 0
    QTest::addColumn<int>("cardsEach");
    QTest::newRow("one each, text") << QStringList{"--one-each"} << "text"
                                    << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1} << 1;
    QTest::newRow("one each, records 9-12, card image")
        << QStringList{"--one-each", "--records", "9-12"} << "standard"
        << QList<int>{-1, -1, -1, -1, -1, -1, -1, -1, 0, 0, 0, 0} << 1;
    QTest::newRow("a sheet each, records 2-3")
        << QStringList{"--records", "2-3"} << "text" << QList<int>{-1, 0, 1} << 10;
}

void TestMergePrint::officeList() {
    QFETCH(QStringList, options);
    QFETCH(QString, kind);
    QFETCH(QList<int>, sheetOf);
    QFETCH(int, cardsEach);
    const QString out = m_dir.filePath(QStringLiteral("out.pdf"));
    QFile::remove(out);
    QCOMPARE(
        print(QStringList{"office.qcd", "--merge", "STAFF", "--pdf", "out.pdf", "--kind", kind} +
              options),
        0);
    if (kind == u"standard")
        return; // the card image holds no text to look at; its pages were made
    const QList<pdfcheck::Word> words = pdfcheck::words(out);
    const QList<Person> staff = people();
    const int first = int(sheetOf.lastIndexOf(-1)) + 1; // the first person printed
    for (qsizetype k = 0; k < sheetOf.size(); ++k) {
        if (sheetOf[k] < 0)
            continue;
        // Where person k's cards are: their cardSlots of the sheet, mm.
        QList<QRectF> cardSlots;
        for (int n = 0; n < cardsEach; ++n) {
            const int slot = cardsEach == 1 ? int(k - first) % 10 : n;
            cardSlots.append(QRectF(14 + 91 * (slot % 2), 11 + 55 * (slot / 2), 91, 55));
        }
        int names = 0, addresses = 0;
        for (const pdfcheck::Word& w : words) {
            if (w.page != sheetOf[k] + 1)
                continue;
            const QRectF mm(w.box.topLeft() / PtPerMm, w.box.bottomRight() / PtPerMm);
            for (const QRectF& card : cardSlots) {
                if (!card.contains(mm.center()))
                    continue;
                names += w.text == staff[k].family;
                if (w.text.startsWith(staff[k].address.left(4))) {
                    ++addresses;
                    QVERIFY2(mm.right() <= card.right() - 2 + 0.2,
                             qPrintable(QStringLiteral("%1 ends at %2 mm, card at %3 mm")
                                            .arg(w.text)
                                            .arg(mm.right())
                                            .arg(card.right())));
                }
            }
        }
        QCOMPARE(names, cardsEach);
        QCOMPARE(addresses, cardsEach);
    }
}

// Refusals and the other outputs: the status, the pages written, and what a
// QR code of each person's card holds.
void TestMergePrint::commandLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("files"); // written, with their page counts as "name:pages"
    QTest::newRow("a column the list lacks")
        << QStringList{"unknown.qcd", "--merge", "STAFF", "--pdf", "out.pdf"} << 1 << QStringList{};
    QTest::newRow("addresses that do not fit")
        << QStringList{"large.qcd", "--merge", "STAFF", "--pdf", "out.pdf"} << 1 << QStringList{};
    QTest::newRow("those left out")
        << QStringList{"large.qcd", "--merge",    "STAFF",          "--pdf",
                       "out.pdf",   "--one-each", "--skip-problems"}
        << 0 << QStringList{"out.pdf:1"};
    QTest::newRow("one each takes no sheets")
        << QStringList{"office.qcd", "--merge",    "STAFF",    "--pdf",
                       "out.pdf",    "--one-each", "--sheets", "2"}
        << 2 << QStringList{};
    QTest::newRow("records past the list")
        << QStringList{"office.qcd", "--merge", "STAFF", "--pdf", "out.pdf", "--records", "13-20"}
        << 1 << QStringList{};
    QTest::newRow("a PDF each, two sheets")
        << QStringList{"office.qcd", "--merge", "STAFF",    "--pdf-dir", "each",
                       "--records",  "1-2",     "--sheets", "2"}
        << 0 << QStringList{"each/山田　太郎.pdf:2", "each/佐藤　花子.pdf:2"};
    QTest::newRow("vCards of two people")
        << QStringList{"qr.qcd",  "--merge",   "STAFF", "--pdf",
                       "out.pdf", "--records", "1-2",   "--one-each"}
        << 0 << QStringList{"out.pdf:1"};
}

void TestMergePrint::commandLine() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QStringList, files);
    QFile::remove(m_dir.filePath(QStringLiteral("out.pdf")));
    QDir(m_dir.filePath(QStringLiteral("each"))).removeRecursively();
    QDir(m_dir.path()).mkpath(QStringLiteral("each"));
    QCOMPARE(print(args), status);
    QCOMPARE(QFileInfo::exists(m_dir.filePath(QStringLiteral("out.pdf"))),
             files.contains(QStringLiteral("out.pdf:1")));
    for (const QString& f : files) {
        const auto pages = pdfcheck::pageSizes(m_dir.filePath(f.section(u':', 0, 0)));
        QVERIFY2(pages, qPrintable(f));
        QCOMPARE(pages->size(), f.section(u':', 1).toInt());
    }
    if (!args.contains(QStringLiteral("qr.qcd")) || !QrDecoderAvailable())
        return;
    // Each card's code holds its own person: 山田 first, then 佐藤.
    const QImage page = pdfcheck::renderPage(m_dir.filePath(QStringLiteral("out.pdf")), 1, 600);
    const double px = 600 / 25.4;
    for (int slot = 0; slot < 2; ++slot) {
        const QRect card(int((14 + 91 * slot) * px), int(11 * px), int(91 * px), int(55 * px));
        const QString vcard = DecodeQrCode(page.copy(card));
        QVERIFY2(vcard.contains(slot == 0 ? QStringLiteral("山田") : QStringLiteral("佐藤")),
                 qPrintable(vcard));
        QVERIFY2(vcard.contains(slot == 0 ? QStringLiteral("03-1234-5678")
                                          : QStringLiteral("03-1234-5679")),
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
    SessionContext t;
    t.m->FontList = QStringList{QStringLiteral("IPAGothic")};
    NewCard(*t.m);
    t.m->doc.card = officeCard(false);
    ShowCardData(*t.m);
    MainForm form(*t.m);
    form.show();
    form.mergeAction->trigger();
    auto* merge = form.findChild<MergeForm*>();
    QVERIFY(merge);
    t.ui.openNames.enqueue(m_staff);
    merge->fileButton->click();
    QCOMPARE(merge->table->model()->rowCount(), 12);
    for (int row = 0; row < 12; ++row)
        if (!ticked.contains(row))
            merge->table->model()->setData(merge->table->model()->index(row, 0), Qt::Unchecked,
                                           Qt::CheckStateRole);
    (oneEach ? merge->oneEachOption : merge->sheetsEachOption)->click();
    if (!oneEach)
        merge->sheetsField->setValue(sheets);
    const QList<Person> staff = people();
    merge->showPerson(0);
    merge->nextButton->click();
    QCOMPARE(form.Picture1->shownCard().TextItems[0].Text, QStringLiteral("佐藤　花子"));

    merge->printButton->click();
    IsForm2* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<IsForm2*>(w); d && d->isVisible())
            dialog = d;
    QVERIFY(dialog);
    dialog->optPKBN[int(PrintKind::Text)]->setChecked(true);
    auto* printer = dynamic_cast<RecordingPrinter*>(&t.m->printers.printer());
    QVERIFY(printer);
    dialog->Command2->click();
    QCOMPARE(printer->documents.size(), 1);

    // The names printed, each with the page it is on.
    QStringList printed, expected;
    int page = 0;
    for (const RecordingPrinter::Call& c : printer->calls) {
        page += c.op == u"NewPage";
        for (const Person& p : staff)
            if (c.op == u"Paint" && c.text.startsWith(p.family + QChar(0x3000)))
                printed << QStringLiteral("%1:%2").arg(page).arg(p.family);
    }
    for (int k = 0; k < ticked.size(); ++k) {
        const QString family = staff[ticked[k]].family;
        for (int n = 0; n < (oneEach ? 1 : 10 * sheets); ++n)
            expected
                << QStringLiteral("%1:%2").arg(oneEach ? k / 10 : k * sheets + n / 10).arg(family);
    }
    QCOMPARE(printed, expected);
    QCOMPARE(printer->documents.first().pages.size(),
             expected.last().section(u':', 0, 0).toInt() + 1);
}

QTEST_MAIN(TestMergePrint)
#include "test_mergeprint.moc"
