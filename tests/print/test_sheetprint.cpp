// The four print routines on a recording printer (order, positions, pages,
// cut marks, the text's 3D copies, cancelling and failing jobs), and a sheet
// printed to PDF, rendered and looked at.

#include "base/runtimeerror.h"
#include "editor/cardimage.h"
#include "pdfcheck.h"
#include "print/cardsource.h"
#include "print/pdfprinter.h"
#include "print/printerpaper.h"
#include "print/printjob.h"
#include "print/recordingprinter.h"
#include "print/sheetprint.h"
#include "testcontext.h"

#include <QtTest>

namespace {

enum Kind { Image, Text, Background, Positions };

constexpr quint32 Blue = 0x800000;  // RGB(0, 0, 128), red in the low byte
constexpr quint32 Green = 0x008000; // RGB(0, 128, 0)

struct Sheet {
    TestContext t;
    RecordingPrinter* p = nullptr;
    QImage cardImage{40, 24, QImage::Format_RGB32};

    Sheet() {
        auto printer = std::make_unique<RecordingPrinter>();
        p = printer.get();
        t.printers->setPrinter(std::move(printer));
        // Every line has its font, as a card shown in the editor has.
        for (int i = 0; i < LineCount; ++i)
            t.doc.card.TextItems[i].FontName = QStringLiteral("IPAGothic");
        QImage filled(30, 20, QImage::Format_RGB32);
        filled.fill(Qt::red);
        t.doc.picture.set(t.doc.card, filled);
        cardImage.fill(Qt::yellow);
    }
    PrintStyle& style() { return t.doc.card.PrintStyle; }
    void bottomSwitch(const QString& value) {
        t.settings->setText(QStringLiteral("opt"), QStringLiteral("KiritoriFlag"), value);
    }
    PrintOutcome print(Kind kind, int sheets, bool cutMarks) {
        if (!t.preparePrinter())
            return PrintOutcome::Failed;
        p->clear();
        // The kinds in the order of PrintKind; the card image as given.
        return kind == Image ? t.printImage(cardImage, sheets, cutMarks)
                             : t.print(PrintKind(kind), sheets, cutMarks);
    }
    // Marks by the side of the card they lie on, each side's lines checked
    // for their colour: {top, bottom, left, right}.
    QList<int> markCounts() const {
        QList<int> n{0, 0, 0, 0};
        for (const auto& c : p->callsOf(QStringLiteral("Line"))) {
            const double dx = c.args[2] - c.args[0], dy = c.args[3] - c.args[1];
            const int side = dx == 0 ? (dy < 0 ? 0 : 1) : (dx < 0 ? 2 : 3);
            if (c.color != (side < 2 ? Blue : Green))
                return {-1};
            ++n[side];
        }
        return n;
    }
};

// Cards named by a letter each, placed by a table: order[sheet][position]
// is the card's number, -1 an empty position.
struct TableSource final : CardSource {
    QList<QList<int>> order;
    std::vector<Card> cards;
    QList<QImage> pictures;
    TableSource(const Card& base, const QStringList& names, QList<QList<int>> table)
        : order(std::move(table)) {
        for (const QString& name : names) {
            cards.push_back(base);
            cards.back().TextItems[0].Text = name;
            pictures.append(QImage(8, 8, QImage::Format_RGB32));
            pictures.back().fill(Qt::green);
        }
    }
    int sheetCount() const override { return int(order.size()); }
    int cardCount() const override { return int(cards.size()); }
    int cardAt(int sheet, int position) const override { return order[sheet].value(position, -1); }
    const Card& card(int index) const override { return cards[size_t(index)]; }
    QImage pictureOf(int index) const override { return pictures[index]; }
    DecodedLogo logoOf(int) const override { return {}; }
};

} // namespace

class TestSheetPrint : public QObject {
    Q_OBJECT

private slots:
    void countsFromAFile_data();
    void countsFromAFile();
    void cardOrder_data();
    void cardOrder();
    void cardPerPosition_data();
    void cardPerPosition();
    void cutMarks_data();
    void cutMarks();
    void markPlaces();
    void positions_data();
    void positions();
    void textWithShadows();
    void lineWithoutFontLeftOut();
    void cancelDuringYield_data();
    void cancelDuringYield();
    void errorDiscardsTheJob_data();
    void errorDiscardsTheJob();
    void pdfSheet();
    void sheetPlan_data();
    void sheetPlan();
    void boldHeavierOnPaper_data();
    void boldHeavierOnPaper();
};

void TestSheetPrint::cardOrder_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("sheets");
    QTest::addColumn<QList<double>>("gapsAndArea"); // Kktop, KkLeft, IsfkY, IsfkX
    QTest::addColumn<QList<double>>("tops");
    QTest::addColumn<QList<double>>("lefts");
    QTest::newRow("card image, A4 defaults, 3 sheets")
        << int(Image) << 3 << QList<double>{0, 0, 0, 0} << QList<double>{11, 66, 121, 176, 231}
        << QList<double>{14, 105};
    QTest::newRow("gaps widen the pitch")
        << int(Image) << 1 << QList<double>{2, 4, 0, 0} << QList<double>{11, 68, 125, 182, 239}
        << QList<double>{14, 109};
    QTest::newRow("background, unprintable area 3 and 4.5")
        << int(Background) << 2 << QList<double>{0, 0, 3, 4.5}
        << QList<double>{8, 63, 118, 173, 228} << QList<double>{9.5, 100.5};
}

void TestSheetPrint::cardOrder() {
    QFETCH(int, kind);
    QFETCH(int, sheets);
    QFETCH(QList<double>, gapsAndArea);
    QFETCH(QList<double>, tops);
    QFETCH(QList<double>, lefts);
    Sheet s;
    s.style().Kktop = gapsAndArea[0];
    s.style().KkLeft = gapsAndArea[1];
    s.t.app.IsfkY = gapsAndArea[2];
    s.t.app.IsfkX = gapsAndArea[3];
    QCOMPARE(s.print(Kind(kind), sheets, false), PrintOutcome::Printed);

    // Row by row, each row left to right, the same on every sheet, with a
    // NewPage after each sheet but the last.
    QList<QList<double>> expected;
    for (int sheet = 0; sheet < sheets; ++sheet) {
        for (double top : tops)
            for (double left : lefts)
                expected.append({left, top, 91, 55});
        if (sheet + 1 < sheets)
            expected.append(QList<double>{-1});
    }
    QList<QList<double>> painted;
    const qint64 key = kind == Image ? s.cardImage.cacheKey() : s.t.doc.pictureImage().cacheKey();
    for (const auto& c : s.p->calls) {
        if (c.op == u"PaintPicture") {
            QCOMPARE(c.pictureKey, key);
            painted.append(c.args);
        } else if (c.op == u"NewPage") {
            painted.append(QList<double>{-1});
        }
    }
    QCOMPARE(painted, expected);
    QCOMPARE(s.p->count(QStringLiteral("EndDoc")), 1);
    QCOMPARE(s.p->documents.size(), 1);
    QCOMPARE(s.p->documents.first().pages.size(), sheets);
    QCOMPARE(s.t.ui.eventRuns, 0); // these two never yield
}

// A source with another card at each position: every print kind puts each
// card, and only it, at its own positions; an empty position gets neither
// card nor marks; each card image is rendered once.
void TestSheetPrint::cardPerPosition_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<QList<int>>>("order");
    const QList<QList<int>> alternating{{0, 1, 0, 1, 0, 1, 0, 1, 0, 1},
                                        {1, 0, 1, 0, 1, 0, 1, 0, 1, 0}};
    const QList<QList<int>> runsOut{{0, 0, 1, 1, 2, 2, 2, 2, 2, 2}, {2, 1, -1, 0}};
    for (int kind : {int(Image), int(Text), int(Background)}) {
        QTest::addRow("kind %d, two cards alternating", kind) << kind << alternating;
        QTest::addRow("kind %d, second sheet runs out", kind) << kind << runsOut;
    }
}

void TestSheetPrint::cardPerPosition() {
    QFETCH(int, kind);
    QFETCH(QList<QList<int>>, order);
    Sheet s;
    s.t.app.IsfkX = 2; // every position moves with the unprintable area
    const QStringList names{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")};
    const TableSource cards(s.t.doc.card, names, order);
    QVERIFY(s.t.preparePrinter());
    s.p->clear();
    // The card of each picture painted, by the picture's key.
    QMap<qint64, int> cardOf;
    for (int i = 0; i < cards.cardCount(); ++i)
        cardOf[cards.pictureOf(i).cacheKey()] = i;
    int renders = 0;
    const CardImages images = [&](int index) {
        ++renders;
        QImage image(4, 4, QImage::Format_RGB32);
        cardOf[image.cacheKey()] = index;
        return image;
    };
    const PrintOptions o = s.t.printOptions(PrintKind::Standard, true);
    const PrintStyle& style = s.style();
    PrinterChoice& printers = *s.t.printers;
    const PrintOutcome outcome =
        kind == Image  ? PrintCardImage(printers, s.t.ui, style, s.t.offsets(), cards, images, o)
        : kind == Text ? PrintCardText(printers, s.t.ui, style, s.t.offsets(), cards, o)
                       : PrintCardBackground(printers, s.t.ui, style, s.t.offsets(), cards, o);
    QCOMPARE(outcome, PrintOutcome::Printed);

    // What each position of each sheet got, found from the name printed or
    // the picture painted at the card's corner.
    const TextItem& name = s.t.doc.card.TextItems[0];
    QList<QList<int>> got(order.size(), QList<int>(10, -1));
    int sheet = 0, marksOnLastSheet = 0;
    for (const auto& c : s.p->calls) {
        sheet += c.op == u"NewPage";
        marksOnLastSheet += sheet == 1 && c.op == u"Line";
        const bool named = c.op == u"Paint" && names.contains(c.text);
        if (!named && c.op != u"PaintPicture")
            continue;
        const double x = c.args[0] - (named ? name.Left : 0) + 2;
        const double y = c.args[1] - (named ? name.Top : 0);
        for (int k = 0; k < 10; ++k)
            if (qAbs(x - CardLeft(style, k % 2)) < 1e-9 && qAbs(y - CardTop(style, k / 2)) < 1e-9)
                got[sheet][k] = named ? int(names.indexOf(c.text)) : cardOf.value(c.pictureKey, -9);
    }
    QList<QList<int>> expected = order;
    for (QList<int>& row : expected)
        row.resize(10, -1);
    QCOMPARE(got, expected);
    QCOMPARE(s.p->documents.first().pages.size(), order.size());
    // Marks only beside cards: on the short second sheet the two cards of the
    // first row (top 4, left 2, right 2) and the left card of the second row.
    if (order[1].size() == 4)
        QCOMPARE(marksOnLastSheet, 10);
    // The card image is rendered once for each run of one card, a run going
    // on from one sheet to the next.
    if (kind == Image)
        QCOMPARE(renders, order[1].size() == 4 ? 5 : 19);
}

void TestSheetPrint::cutMarks_data() {
    QTest::addColumn<bool>("cutMarks");
    QTest::addColumn<QString>("bottomSwitch");
    QTest::addColumn<QList<double>>("paperAndMargins"); // YsY, YsX, Yhktop, YhkLeft
    QTest::addColumn<bool>("storedRemaindersZero");
    QTest::addColumn<QList<int>>("expected"); // lines on the top, bottom, left, right
    const QList<double> a4{297, 210, 11, 14};
    QTest::newRow("defaults") << true << "0" << a4 << false << QList<int>{4, 0, 10, 10};
    QTest::newRow("bottom switch on") << true << "1" << a4 << false << QList<int>{4, 4, 10, 10};
    QTest::newRow("cut marks off") << false << "1" << a4 << false << QList<int>{0, 0, 0, 0};
    // "更新" commits Yhkbtm = YhkRgt = 0: the margins really left still count.
    QTest::newRow("committed remainders of 0")
        << true << "1" << a4 << true << QList<int>{4, 4, 10, 10};
    // 1.5 mm left below and right of the cards, while 11 and 14 are stored.
    QTest::newRow("bottom and right margins of exactly 1.5")
        << true << "1" << QList<double>{287.5, 197.5, 11, 14} << false << QList<int>{4, 0, 10, 0};
    QTest::newRow("top and left margins of exactly 1.5")
        << true << "1" << QList<double>{297, 210, 1.5, 1.5} << false << QList<int>{0, 4, 0, 10};
}

void TestSheetPrint::cutMarks() {
    QFETCH(bool, cutMarks);
    QFETCH(QString, bottomSwitch);
    QFETCH(QList<double>, paperAndMargins);
    QFETCH(bool, storedRemaindersZero);
    QFETCH(QList<int>, expected);
    for (Kind kind : {Image, Text, Background}) {
        Sheet s;
        s.bottomSwitch(bottomSwitch);
        s.style().YsY = paperAndMargins[0];
        s.style().YsX = paperAndMargins[1];
        s.style().Yhktop = paperAndMargins[2];
        s.style().YhkLeft = paperAndMargins[3];
        if (storedRemaindersZero)
            s.style().Yhkbtm = s.style().YhkRgt = 0;
        QCOMPARE(s.print(kind, 1, cutMarks), PrintOutcome::Printed);
        QCOMPARE(s.markCounts(), expected);
    }
}

void TestSheetPrint::markPlaces() {
    Sheet s;
    s.bottomSwitch(QStringLiteral("1"));
    s.t.app.IsfkY = 3;
    s.t.app.IsfkX = 4;
    QCOMPARE(s.print(Image, 1, true), PrintOutcome::Printed);
    QList<QList<double>> lines;
    for (const auto& c : s.p->callsOf(QStringLiteral("Line")))
        lines.append(c.args);
    // In printer coordinates the 55 × 91 mm cards lie at tops 8, 63, 118,
    // 173, 228 and lefts 10, 101. Each mark is two lines from 0.2 to 1.5 mm
    // outside the card, on the extensions of its two edges.
    const QList<double> tops{8, 63, 118, 173, 228};
    const QList<double> lefts{10, 101};
    QList<QList<double>> expected;
    for (double L : lefts) {
        for (double x : {L, L + 91}) {
            expected.append({x, 8 - 0.2, x, 8 - 1.5});     // above the first row
            expected.append({x, 283 + 0.2, x, 283 + 1.5}); // below the last row
        }
    }
    for (double T : tops) {
        for (double y : {T, T + 55}) {
            expected.append({10 - 0.2, y, 10 - 1.5, y});   // left of the first column
            expected.append({192 + 0.2, y, 192 + 1.5, y}); // right of the last column
        }
    }
    QCOMPARE(lines.size(), expected.size());
    const auto sorted = [](QList<QList<double>> l) {
        std::sort(l.begin(), l.end());
        return l;
    };
    const QList<QList<double>> got = sorted(lines), want = sorted(expected);
    for (qsizetype i = 0; i < got.size(); ++i) {
        for (int k = 0; k < 4; ++k)
            QVERIFY2(
                qAbs(got[i][k] - want[i][k]) < 1e-9,
                qPrintable(
                    QStringLiteral("line %1: %2 for %3").arg(i).arg(got[i][k]).arg(want[i][k])));
    }
}

void TestSheetPrint::positions_data() {
    QTest::addColumn<QList<double>>("layout"); // YsY, YsX, Yhktop, IsfkY, IsfkX
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("unprintable area 3: 8 mm left")
        << QList<double>{297, 210, 11, 3, 0} << QList<int>{4, 4, 10, 10};
    QTest::newRow("top 4.5 less 3")
        << QList<double>{297, 210, 4.5, 3, 0} << QList<int>{0, 4, 10, 10};
    QTest::newRow("bottom 4.5 less 3")
        << QList<double>{290.5, 210, 11, 3, 0} << QList<int>{4, 0, 10, 10};
    QTest::newRow("right 5.5 less 4")
        << QList<double>{297, 201.5, 11, 0, 4} << QList<int>{4, 4, 10, 0};
}

void TestSheetPrint::positions() {
    QFETCH(QList<double>, layout);
    QFETCH(QList<int>, expected);
    Sheet s;
    s.style().YsY = layout[0];
    s.style().YsX = layout[1];
    s.style().Yhktop = layout[2];
    s.style().Yhkbtm = s.style().YhkRgt = 0; // stored remainders play no part
    s.t.app.IsfkY = layout[3];
    s.t.app.IsfkX = layout[4];
    QCOMPARE(s.print(Positions, 1, false), PrintOutcome::Printed);
    QCOMPARE(s.markCounts(), expected);
    QCOMPARE(s.p->count(QStringLiteral("NewPage")), 0);
    QCOMPARE(s.p->count(QStringLiteral("PaintPicture")) + s.p->count(QStringLiteral("Print")), 0);
    QCOMPARE(s.p->documents.size(), 1);
    QCOMPARE(s.t.ui.eventRuns, 10); // after every card
}

void TestSheetPrint::textWithShadows() {
    Sheet s;
    s.style().MaisuY = 1;
    s.style().MaisuX = 2;
    TextItem& raised = s.t.doc.card.TextItems[0];
    raised.Text = QStringLiteral("山田");
    raised.Left = 22;
    raised.Top = 27;
    raised.FontName = QStringLiteral("IPAGothic");
    raised.FontSize = 18;
    raised.Bold = true;
    raised.ForeColor = 0x112233;
    raised.KageOn = true;
    raised.KageColor = 0x0000FF;
    raised.KageTakasa = 0.5;
    raised.KageHoukou = 5; // lower left
    TextItem& flat = s.t.doc.card.TextItems[1];
    flat.Text = QStringLiteral("x");
    flat.Left = 4;
    flat.Top = 3;
    flat.KageTakasa = 9; // no shadow however high
    QCOMPARE(s.print(Text, 2, false), PrintOutcome::Printed);

    // Per card: the raised line takes an empty line, its copy, an empty line
    // and itself; every other line an empty line and itself. The copies are
    // painted by the card renderer, in the printer's millimetres.
    QList<RecordingPrinter::Call> prints;
    for (const auto& c : s.p->calls)
        if (c.op == u"Print" || c.op == u"Paint")
            prints.append(c);
    QCOMPARE(prints.size(), 2 * 2 * (4 + 11 * 2));
    QCOMPARE(s.p->count(QStringLiteral("Paint")), 2 * 2 * (2 + 11));
    const auto second = prints.mid(26, 26); // the card at (105, 11) of sheet 1
    QCOMPARE(second[0].op, QStringLiteral("Print"));
    QCOMPARE(second[1].op, QStringLiteral("Paint"));
    QCOMPARE(second[1].text, raised.Text);
    QCOMPARE(second[1].args, (QList<double>{105 + 22 - 0.5, 11 + 27 + 0.5}));
    QCOMPARE(second[1].color, 0x0000FFu);
    QCOMPARE(second[1].font, (PrinterFont{raised.FontName, 18, true, false, false, false}));
    QCOMPARE(second[2].text, QString());
    QCOMPARE(second[3].args, (QList<double>{105 + 22, 11 + 27}));
    QCOMPARE(second[3].color, 0x112233u);
    QVERIFY(second[3].transparent);
    QCOMPARE(second[5].text, flat.Text);
    QCOMPARE(second[5].args, (QList<double>{105 + 4, 11 + 3}));
    QCOMPARE(s.t.ui.eventRuns, 12 * 2 * 2); // after every line
}

void TestSheetPrint::cancelDuringYield_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("cancelAt"); // the yield during which the dialog closes
    QTest::newRow("text, first line") << int(Text) << 1;
    QTest::newRow("text, second sheet") << int(Text) << 130;
    QTest::newRow("positions, third card") << int(Positions) << 3;
}

void TestSheetPrint::cancelDuringYield() {
    QFETCH(int, kind);
    QFETCH(int, cancelAt);
    Sheet s;
    s.t.doc.card.TextItems[0].Text = QStringLiteral("名前");
    qsizetype callsAtCancel = -1;
    s.t.ui.onProcessEvents = [&] {
        if (s.t.ui.eventRuns != cancelAt)
            return;
        // The print dialog's close button.
        s.p->KillDoc();
        s.p->EndDoc();
        callsAtCancel = s.p->calls.size();
    };
    QCOMPARE(s.print(Kind(kind), 3, true), PrintOutcome::Discarded);
    QCOMPARE(s.t.ui.eventRuns, cancelAt);
    QCOMPARE(s.p->calls.size(), callsAtCancel); // nothing more after the cancel
    QCOMPARE(s.p->documents.size(), 0);
    QCOMPARE(s.p->discardedDocuments, 1);
    QVERIFY(s.t.ui.messages.isEmpty());
}

void TestSheetPrint::errorDiscardsTheJob_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("failOn");
    QTest::addColumn<bool>("noPicture");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("discarded");
    QTest::newRow("card image, second sheet") << int(Image) << "NewPage" << false << 57 << 1;
    QTest::newRow("text, a mark") << int(Text) << "Line" << false << 57 << 0;
    QTest::newRow("text, a line") << int(Text) << "Paint" << false << 57 << 1;
    QTest::newRow("background, first mark") << int(Background) << "Line" << false << 57 << 1;
    QTest::newRow("background without a picture") << int(Background) << "" << true << 481 << 0;
    QTest::newRow("positions, end of document") << int(Positions) << "EndDoc" << false << 57 << 1;
}

void TestSheetPrint::errorDiscardsTheJob() {
    QFETCH(int, kind);
    QFETCH(QString, failOn);
    QFETCH(bool, noPicture);
    QFETCH(int, error);
    QFETCH(int, discarded);
    Sheet s;
    if (noPicture)
        s.t.doc.picture.set(s.t.doc.card, QImage());
    s.p->failOn = failOn;
    s.p->failNumber = error;
    QCOMPARE(s.print(Kind(kind), 3, true), PrintOutcome::Failed);
    // Nothing of the job comes out; what was sent is discarded.
    QCOMPARE(s.p->documents.size(), 0);
    QCOMPARE(s.p->discardedDocuments, discarded);
    QVERIFY(!s.p->jobOpen());
    QCOMPARE(s.t.ui.texts(), QStringList{RuntimeError(error).message()});
    QCOMPARE(s.t.ui.messages.first().title, QStringLiteral("Quillo 2.40"));
}

void TestSheetPrint::pdfSheet() {
    if (!pdfcheck::available())
        QSKIP("poppler-utils are not installed");
    Sheet s;
    auto pdf = std::make_unique<PdfPrinter>();
    const QString path = s.t.path(QStringLiteral("sheet.pdf"));
    pdf->setOutputFile(path);
    s.t.printers->setPrinter(std::move(pdf));
    s.bottomSwitch(QStringLiteral("1"));
    QVERIFY(s.t.preparePrinter());
    QCOMPARE(s.t.printImage(s.cardImage, 2, true), PrintOutcome::Printed);

    // Two pages of the A4 paper, 595.28 × 841.89 points, though the paper
    // search lengthened the page it measured to 298 mm; the cards and marks
    // stay where the layout puts them.
    const auto pages = pdfcheck::pageSizes(path).value_or(QList<QSizeF>{});
    QCOMPARE(pages.size(), 2);
    QCOMPARE(s.t.doc.card.PrnPaperH, 298.0);
    for (const QSizeF& size : pages) {
        QVERIFY2(qAbs(size.width() - 595.28) < 0.5, qPrintable(QString::number(size.width())));
        QVERIFY2(qAbs(size.height() - 841.89) < 0.5, qPrintable(QString::number(size.height())));
    }

    constexpr int dpi = 200;
    const QImage page = pdfcheck::renderPage(path, 2, dpi);
    auto near = [&](double xMm, double yMm, QRgb colour) {
        const QPoint at(qRound(xMm / 25.4 * dpi), qRound(yMm / 25.4 * dpi));
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (page.valid(at + QPoint(dx, dy)) && page.pixel(at + QPoint(dx, dy)) == colour)
                    return true;
        return false;
    };
    const QRgb yellow = qRgb(255, 255, 0), blue = qRgb(0, 0, 128), green = qRgb(0, 128, 0);
    for (double top : {11, 66, 121, 176, 231})
        for (double left : {14, 105}) {
            QVERIFY(near(left + 1, top + 1, yellow));
            QVERIFY(near(left + 90, top + 54, yellow));
        }
    QVERIFY(!near(12, 9, yellow));
    QVERIFY(near(14, 10.2, blue));    // above the first row
    QVERIFY(near(196, 286.8, blue));  // below the last row
    QVERIFY(near(12.8, 66, green));   // left of the first column
    QVERIFY(near(197.2, 231, green)); // right of the last column
}

void TestSheetPrint::boldHeavierOnPaper_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("font");
    // Fonts without a bold face, in the two kinds that print text.
    QTest::newRow("standard, IPAGothic") << int(Image) << "IPAGothic";
    QTest::newRow("standard, IPAMincho") << int(Image) << "IPAMincho";
    QTest::newRow("text, IPAGothic") << int(Text) << "IPAGothic";
    QTest::newRow("text, IPAMincho") << int(Text) << "IPAMincho";
}

// The same line regular and bold on one card printed to PDF: the bold one
// has clearly more ink on the page, and the text print keeps its text.
void TestSheetPrint::boldHeavierOnPaper() {
    if (!pdfcheck::available())
        QSKIP("poppler-utils are not installed");
    QFETCH(int, kind);
    QFETCH(QString, font);
    Sheet s;
    auto pdf = std::make_unique<PdfPrinter>();
    const QString path = s.t.path(QStringLiteral("bold.pdf"));
    pdf->setOutputFile(path);
    s.t.printers->setPrinter(std::move(pdf));
    s.style().MaisuY = 1;
    s.style().MaisuX = 1;
    for (int i = 0; i < 2; ++i) {
        TextItem& line = s.t.doc.card.TextItems[i];
        line.Text = QStringLiteral("山田太郎 Quillo");
        line.FontName = font;
        line.FontSize = 14;
        line.Left = 5;
        line.Top = i == 0 ? 5 : 30;
        line.Bold = i == 1;
    }
    QVERIFY(s.t.preparePrinter());
    if (kind == Image) {
        s.t.app.ImgScale = 4;
        const QImage card = s.t.renderCard(false, true);
        QCOMPARE(s.t.printImage(card, 1, false), PrintOutcome::Printed);
    } else {
        QCOMPARE(s.t.print(PrintKind::Text, 1, false), PrintOutcome::Printed);
        QCOMPARE(pdfcheck::text(path).count(QStringLiteral("山田太郎")), 2);
    }

    constexpr int dpi = 300;
    const QImage page = pdfcheck::renderPage(path, 1, dpi);
    QVERIFY(!page.isNull());
    auto ink = [&](double fromMm, double toMm) {
        int n = 0;
        for (int y = qRound(fromMm / 25.4 * dpi); y < qRound(toMm / 25.4 * dpi); ++y)
            for (int x = 0; x < page.width(); ++x)
                n += qGray(page.pixel(x, y)) < 128;
        return n;
    };
    // The card's corner is at (14, 11) mm; the lines are 25 mm apart.
    const int regular = ink(11, 11 + 25);
    const int bold = ink(11 + 25, 11 + 55);
    QVERIFY(regular > 1000);
    QVERIFY2(bold > 1.2 * regular, qPrintable(QStringLiteral("%1 vs %2").arg(bold).arg(regular)));
}

// Counts read from a card file: only the cards that start on the paper are
// printed, and a sheet with none reports that nothing was printed.
void TestSheetPrint::countsFromAFile_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rowsPrinted");
    QTest::addColumn<int>("columnsPrinted");
    QTest::newRow("the defaults") << 5 << 2 << 5 << 2;
    QTest::newRow("far too many") << 32767 << 32767 << 6 << 3;
    QTest::newRow("no rows") << 0 << 2 << 0 << 2;
    QTest::newRow("negative") << -3 << 2 << 0 << 2;
}

void TestSheetPrint::countsFromAFile() {
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(int, rowsPrinted);
    QFETCH(int, columnsPrinted);
    Sheet s;
    s.style().MaisuY = std::int16_t(rows);
    s.style().MaisuX = std::int16_t(columns);
    QCOMPARE(RowsOnPaper(s.style()), rowsPrinted);
    QCOMPARE(ColumnsOnPaper(s.style()), columnsPrinted);
    const PrintOutcome outcome = s.print(Text, 1, false);
    QCOMPARE(outcome,
             rowsPrinted * columnsPrinted > 0 ? PrintOutcome::Printed : PrintOutcome::Failed);
    QCOMPARE(s.t.ui.messages.size(), rowsPrinted * columnsPrinted > 0 ? 0 : 1);
}

void TestSheetPrint::sheetPlan_data() {
    // A4 with 3 rows of 55 mm 2 mm apart from 11 mm, 2 columns of 91 mm 3 mm
    // apart from 14 mm: the bottom margin left is 297 - 11 - 165 - 4 = 117,
    // the right one 210 - 14 - 182 - 3 = 11.
    QTest::addColumn<bool>("positions"); // the position print's plan
    QTest::addColumn<double>("isfkY");
    QTest::addColumn<double>("isfkX");
    QTest::addColumn<bool>("bottomMarks");
    QTest::addColumn<QString>("expected"); // row,col:top,left:marks per place

    const QString cards = QStringLiteral("0,0:11,14:TL 0,1:11,108:TR 1,0:68,14:L 1,1:68,108:R "
                                         "2,0:125,14:L 2,1:125,108:R");
    QTest::newRow("print") << false << 0.0 << 0.0 << false << cards;
    QTest::newRow("print, bottom marks")
        << false << 0.0 << 0.0 << true
        << QStringLiteral("0,0:11,14:TL 0,1:11,108:TR 1,0:68,14:L 1,1:68,108:R "
                          "2,0:125,14:BL 2,1:125,108:BR");
    // Less the unprintable area, 1 mm is left above and at the right: no
    // marks there; 4 mm at the left and 107 mm below.
    QTest::newRow("positions") << true << 10.0 << 10.0 << false
                               << QStringLiteral("0,0:11,14:L 0,1:11,108: 1,0:68,14:L "
                                                 "1,1:68,108: 2,0:125,14:BL 2,1:125,108:B");
    QTest::newRow("positions, right margin gone")
        << true << 0.0 << 10.0 << false
        << QStringLiteral("0,0:11,14:TL 0,1:11,108:T 1,0:68,14:L 1,1:68,108: "
                          "2,0:125,14:BL 2,1:125,108:B");
}

void TestSheetPrint::sheetPlan() {
    QFETCH(bool, positions);
    QFETCH(double, isfkY);
    QFETCH(double, isfkX);
    QFETCH(bool, bottomMarks);
    QFETCH(QString, expected);

    PrintStyle s;
    s.MaisuY = 3;
    s.Kktop = 2;
    s.KkLeft = 3;
    const SheetPlan plan =
        positions ? PlanPositionSheet(s, isfkY, isfkX) : PlanSheet(s, true, bottomMarks);
    QStringList got;
    for (const SheetPlace& p : plan) {
        QString marks;
        if (p.marks.top)
            marks += u'T';
        if (p.marks.bottom)
            marks += u'B';
        if (p.marks.left)
            marks += u'L';
        if (p.marks.right)
            marks += u'R';
        got << QStringLiteral("%1,%2:%3,%4:%5")
                   .arg(p.row)
                   .arg(p.column)
                   .arg(p.top)
                   .arg(p.left)
                   .arg(marks);
    }
    QCOMPARE(got.join(u' '), expected);
}

// A line with text but without a font name is not shown in the editor, and
// so nowhere: not in the text print and not in the card image the standard
// print, the preview and the export draw.
void TestSheetPrint::lineWithoutFontLeftOut() {
    Sheet s;
    s.style().MaisuY = 1;
    s.style().MaisuX = 1;
    TextItem& line = s.t.doc.card.TextItems[2];
    line.Text = QStringLiteral("見えない行");
    line.Left = 10;
    line.Top = 10;
    line.FontSize = 20;
    for (const QString& font : {QStringLiteral("IPAGothic"), QString()}) {
        line.FontName = font;
        QCOMPARE(s.print(Text, 1, false), PrintOutcome::Printed);
        int printed = 0;
        for (const auto& c : s.p->callsOf(QStringLiteral("Paint")))
            printed += c.text == line.Text;
        const QImage with = s.t.renderCard(false, true);
        const QString text = std::exchange(line.Text, QString());
        const bool drawn = with != s.t.renderCard(false, true);
        line.Text = text;
        QCOMPARE(printed > 0, !font.isEmpty());
        QCOMPARE(drawn, !font.isEmpty());
    }
}

QTEST_MAIN(TestSheetPrint)
#include "test_sheetprint.moc"
