// What every printer implementation must do alike: the scale, the page, the
// line feed of Print and the job that EndDoc sends and KillDoc throws away.
// Each test runs against the recording and the PDF printer.

#include "pdfcheck.h"
#include "print/pdfprinter.h"
#include "print/recordingprinter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A printer under test and a look at what it sent out.
class Subject {
public:
    virtual ~Subject() = default;
    virtual Printer& printer() = 0;
    // The unprintable margins the printer was built with, twips.
    virtual QMarginsF margins() const = 0;
    // True when no document came out (and an older output is untouched).
    virtual bool nothingSent() const = 0;
    // Whether pages() can look at the output on this machine.
    virtual bool canInspect() const { return true; }
    // Sizes, in points, of the pages of the document that came out last.
    virtual QList<QSizeF> pages() const = 0;
};

class RecordingSubject : public Subject {
public:
    RecordingSubject() {
        m_printer.setMarginsTwips(240, 300, 180, 360);
        m_printer.fontNames = {QStringLiteral("IPAGothic")};
    }
    Printer& printer() override { return m_printer; }
    QMarginsF margins() const override { return {240, 300, 180, 360}; }
    bool nothingSent() const override { return m_printer.documents.isEmpty(); }
    QList<QSizeF> pages() const override {
        QList<QSizeF> out;
        if (!m_printer.documents.isEmpty())
            for (const QSizeF& twips : m_printer.documents.last().pages)
                out.append(twips / 20);
        return out;
    }

private:
    RecordingPrinter m_printer;
};

const QByteArray OldOutput = "an older document";

class PdfSubject : public Subject {
public:
    PdfSubject() {
        m_path = m_dir.filePath(QStringLiteral("out.pdf"));
        QFile old(m_path);
        if (old.open(QIODevice::WriteOnly))
            old.write(OldOutput);
        m_printer.setOutputFile(m_path);
    }
    Printer& printer() override { return m_printer; }
    QMarginsF margins() const override { return {}; }
    bool nothingSent() const override {
        QFile file(m_path);
        return file.open(QIODevice::ReadOnly) && file.readAll() == OldOutput &&
               QDir(m_dir.path()).entryList(QDir::Files) == QStringList{QStringLiteral("out.pdf")};
    }
    bool canInspect() const override { return pdfcheck::available(); }
    QList<QSizeF> pages() const override {
        return pdfcheck::pageSizes(m_path).value_or(QList<QSizeF>{});
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    PdfPrinter m_printer;
};

std::unique_ptr<Subject> makeSubject(const QString& kind) {
    if (kind == QLatin1String("pdf"))
        return std::make_unique<PdfSubject>();
    return std::make_unique<RecordingSubject>();
}

const QStringList Kinds = {QStringLiteral("recording"), QStringLiteral("pdf")};

// Adds one row per printer kind: "kind: name".
template <typename... Values> void addRows(const char* name, Values... values) {
    for (const QString& kind : Kinds)
        ((QTest::newRow(qPrintable(kind + QStringLiteral(": ") + QLatin1String(name))) << kind)
         << ... << values);
}

using Ops = QStringList;

// Runs a small script of printer operations: "print", "line", "newpage",
// "enddoc", "killdoc".
void runScript(Printer& p, const Ops& ops) {
    for (const QString& op : ops) {
        if (op == QLatin1String("print"))
            p.Print(QStringLiteral("名刺 Card"));
        else if (op == QLatin1String("line"))
            p.Line(1, 1, 20, 1);
        else if (op == QLatin1String("newpage"))
            p.NewPage();
        else if (op == QLatin1String("enddoc"))
            p.EndDoc();
        else if (op == QLatin1String("killdoc"))
            p.KillDoc();
    }
}

} // namespace

class TestPrinterContract : public QObject {
    Q_OBJECT

private slots:
    void scaleFollowsPrintableArea_data();
    void scaleFollowsPrintableArea();
    void userScaleKeepsItsUnits_data();
    void userScaleKeepsItsUnits();
    void printMovesToTheNextLine_data();
    void printMovesToTheNextLine();
    void discardedJobSendsNothing_data();
    void discardedJobSendsNothing();
    void endDocSendsThePages_data();
    void endDocSendsThePages();
};

void TestPrinterContract::scaleFollowsPrintableArea_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("widthTwips");
    QTest::addColumn<double>("heightTwips");
    QTest::addColumn<double>("twipsPerUnit");
    addRows("millimetres, A4", Printer::ScaleMillimetres, 11907.0, 16840.0, 1440 / 25.4);
    addRows("millimetres, card", Printer::ScaleMillimetres, 5160.0, 3119.0, 1440 / 25.4);
    addRows("twips, A4", Printer::ScaleTwips, 11907.0, 16840.0, 1.0);
    addRows("points, B5", Printer::ScalePoints, 10318.0, 14570.0, 20.0);
}

void TestPrinterContract::scaleFollowsPrintableArea() {
    QFETCH(QString, kind);
    QFETCH(int, mode);
    QFETCH(double, widthTwips);
    QFETCH(double, heightTwips);
    QFETCH(double, twipsPerUnit);
    auto subject = makeSubject(kind);
    Printer& p = subject->printer();
    const QMarginsF m = subject->margins();

    // The scale follows a mode set before and after the page.
    p.setScaleMode(mode);
    p.setWidth(widthTwips);
    p.setHeight(heightTwips);
    QCOMPARE(p.ScaleMode(), mode);
    QCOMPARE(p.Width(), widthTwips);
    QCOMPARE(p.Height(), heightTwips);
    QCOMPARE(p.PaperSize(), Printer::PaperUser);
    QCOMPARE(p.ScaleWidth(), float((widthTwips - m.left() - m.right()) / twipsPerUnit));
    QCOMPARE(p.ScaleHeight(), float((heightTwips - m.top() - m.bottom()) / twipsPerUnit));

    p.setScaleMode(Printer::ScaleTwips);
    p.setScaleMode(mode);
    QCOMPARE(p.ScaleWidth(), float((widthTwips - m.left() - m.right()) / twipsPerUnit));

    // A narrower page narrows the scale.
    p.setWidth(widthTwips / 2);
    QCOMPARE(p.ScaleWidth(), float((widthTwips / 2 - m.left() - m.right()) / twipsPerUnit));
}

void TestPrinterContract::userScaleKeepsItsUnits_data() {
    QTest::addColumn<QString>("kind");
    addRows("user scale");
}

void TestPrinterContract::userScaleKeepsItsUnits() {
    QFETCH(QString, kind);
    auto subject = makeSubject(kind);
    Printer& p = subject->printer();
    p.setWidth(11907);
    p.setHeight(16840);
    p.setScaleMode(Printer::ScaleMillimetres);
    const float mmHeight = p.ScaleHeight();

    // Setting one side makes a user scale; the other keeps its number.
    p.setScaleWidth(100);
    QCOMPARE(p.ScaleMode(), Printer::ScaleUser);
    QCOMPARE(p.ScaleWidth(), 100.0f);
    QCOMPARE(p.ScaleHeight(), mmHeight);
    p.setScaleHeight(50.25);
    QCOMPARE(p.ScaleHeight(), 50.25f);

    // A new page keeps the user's numbers; a mode brings back its own.
    p.setHeight(8000);
    QCOMPARE(p.ScaleHeight(), 50.25f);
    p.setScaleMode(Printer::ScaleMillimetres);
    QVERIFY(p.ScaleHeight() < mmHeight);
    QVERIFY(p.ScaleWidth() > 200);

    // ScaleMode 0 itself takes over the current numbers.
    const float w = p.ScaleWidth();
    p.setScaleMode(Printer::ScaleUser);
    QCOMPARE(p.ScaleWidth(), w);
}

void TestPrinterContract::printMovesToTheNextLine_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("points");
    addRows("12 pt", 12.0);
    addRows("30 pt", 30.0);
}

void TestPrinterContract::printMovesToTheNextLine() {
    QFETCH(QString, kind);
    QFETCH(double, points);
    auto subject = makeSubject(kind);
    Printer& p = subject->printer();
    p.setScaleMode(Printer::ScaleMillimetres);
    p.Font.Name = QStringLiteral("IPAGothic");
    p.Font.Size = points;

    p.CurrentX = 5;
    p.CurrentY = 7;
    p.Print(QStringLiteral("名刺 Card"));
    QCOMPARE(p.CurrentX, 0.0);
    const double feed = p.CurrentY - 7;
    const double em = points / 72 * 25.4;
    QVERIFY2(feed >= em && feed < 2 * em, qPrintable(QString::number(feed)));

    // Every line feeds the same, an empty text too.
    p.Print(QString());
    QVERIFY(qAbs(p.CurrentY - 7 - 2 * feed) < 1e-9);

    // In a scale of half millimetres the same feed is twice the number.
    p.setScaleHeight(p.ScaleHeight() * 2);
    const double y = p.CurrentY;
    p.Print(QStringLiteral("x"));
    QVERIFY(qAbs((p.CurrentY - y) - 2 * feed) < 1e-3);
    p.KillDoc();
}

void TestPrinterContract::discardedJobSendsNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<Ops>("ops");
    addRows("text, then KillDoc", Ops{"print", "line", "killdoc"});
    addRows("two pages, then KillDoc", Ops{"line", "newpage", "print", "killdoc"});
    addRows("KillDoc, then EndDoc", Ops{"print", "killdoc", "enddoc"});
    addRows("EndDoc without output", Ops{"enddoc"});
    addRows("KillDoc without output", Ops{"killdoc", "enddoc"});
}

void TestPrinterContract::discardedJobSendsNothing() {
    QFETCH(QString, kind);
    QFETCH(Ops, ops);
    auto subject = makeSubject(kind);
    Printer& p = subject->printer();
    p.setScaleMode(Printer::ScaleMillimetres);
    runScript(p, ops);
    QVERIFY(!p.jobOpen());
    QVERIFY(subject->nothingSent());
}

void TestPrinterContract::endDocSendsThePages_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<QSizeF>>("pageTwips");
    addRows("one A4 page", QList<QSizeF>{{11907, 16897}});
    addRows("a card", QList<QSizeF>{{5160, 3175}});
    addRows("three pages, the second taller",
            QList<QSizeF>{{11907, 16897}, {11907, 19845}, {11907, 16897}});
    addRows("landscape, then portrait", QList<QSizeF>{{16840, 11907}, {11907, 16840}});
}

void TestPrinterContract::endDocSendsThePages() {
    QFETCH(QString, kind);
    QFETCH(QList<QSizeF>, pageTwips);
    auto subject = makeSubject(kind);
    if (!subject->canInspect())
        QSKIP("pdfinfo is not installed");
    Printer& p = subject->printer();
    p.setScaleMode(Printer::ScaleMillimetres);

    // Each page takes the size in force when it starts.
    for (qsizetype i = 0; i < pageTwips.size(); ++i) {
        p.setWidth(pageTwips[i].width());
        p.setHeight(pageTwips[i].height());
        if (i > 0) {
            p.CurrentX = 3;
            p.NewPage();
            QCOMPARE(p.CurrentX, 0.0);
        }
        p.Line(10, 10, 40, 10);
        p.Print(QStringLiteral("page %1").arg(i + 1));
        QVERIFY(p.jobOpen());
    }
    p.setHeight(30000); // after the last page started: changes nothing sent
    p.EndDoc();
    QVERIFY(!p.jobOpen());
    QCOMPARE(p.CurrentY, 0.0);
    QVERIFY(!subject->nothingSent());

    const QList<QSizeF> pages = subject->pages();
    QCOMPARE(pages.size(), pageTwips.size());
    for (qsizetype i = 0; i < pages.size(); ++i) {
        // PDF page boxes are whole points.
        QVERIFY2(qAbs(pages[i].width() - pageTwips[i].width() / 20) <= 0.5 &&
                     qAbs(pages[i].height() - pageTwips[i].height() / 20) <= 0.5,
                 qPrintable(QStringLiteral("page %1: %2 x %3 pt")
                                .arg(i + 1)
                                .arg(pages[i].width())
                                .arg(pages[i].height())));
    }
}

QTEST_MAIN(TestPrinterContract)
#include "test_printercontract.moc"
