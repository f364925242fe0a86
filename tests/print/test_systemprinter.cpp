// The system printer's path through QPrinter: the host's list, the pages
// painted at EndDoc and the job that KillDoc keeps from the printer. A
// QPrinter writing a PDF file stands in for a CUPS queue.

#include "pdfcheck.h"
#include "print/pdfprinter.h"
#include "print/systemprinter.h"

#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

std::unique_ptr<SystemPrinter> fileBackedPrinter(const QString& path) {
    auto qprinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    qprinter->setOutputFormat(QPrinter::PdfFormat);
    qprinter->setOutputFileName(path);
    return std::make_unique<SystemPrinter>(std::move(qprinter));
}

} // namespace

class TestSystemPrinter : public QObject {
    Q_OBJECT

private slots:
    void hostListsPdfLast();
    void pagesFollowTheSizeAtTheirStart_data();
    void pagesFollowTheSizeAtTheirStart();
    void killDocSendsNothing();
    void sheetIsThePaper_data();
    void sheetIsThePaper();
};

void TestSystemPrinter::hostListsPdfLast() {
    SystemPrinterHost host;
    const QStringList names = host.deviceNames();
    QCOMPARE(names.last(), QStringLiteral("PDFファイル"));
    // The system's queues, the default destination first.
    QStringList queues = names.mid(0, names.size() - 1);
    QStringList available = QPrinterInfo::availablePrinterNames();
    if (!host.defaultDeviceName().isEmpty())
        QCOMPARE(queues.first(), host.defaultDeviceName());
    queues.sort();
    available.sort();
    QCOMPARE(queues, available);
    auto pdf = host.open(QStringLiteral("PDFファイル"));
    QVERIFY(dynamic_cast<PdfPrinter*>(pdf.get()));
    // The name earlier versions gave it reaches it where no queue has that name.
    auto old = host.open(QStringLiteral("PDF"));
    if (names.contains(QStringLiteral("PDF")))
        QVERIFY(dynamic_cast<SystemPrinter*>(old.get()));
    else
        QVERIFY(dynamic_cast<PdfPrinter*>(old.get()));
    QVERIFY(!host.open(QStringLiteral("no such printer ／ 無い")));
    for (const QString& name : names.mid(0, names.size() - 1)) {
        auto printer = host.open(name);
        QVERIFY(printer);
        QCOMPARE(printer->DeviceName(), name);
        QVERIFY(printer->PrintQuality() > 0);
    }
}

void TestSystemPrinter::pagesFollowTheSizeAtTheirStart_data() {
    QTest::addColumn<QList<QSizeF>>("pageTwips");
    QTest::newRow("one page") << QList<QSizeF>{{11907, 16897}};
    QTest::newRow("taller second page") << QList<QSizeF>{{11907, 16897}, {11907, 19845}};
}

void TestSystemPrinter::pagesFollowTheSizeAtTheirStart() {
    QFETCH(QList<QSizeF>, pageTwips);
    if (!pdfcheck::available())
        QSKIP("poppler-utils are not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("system.pdf"));
    auto p = fileBackedPrinter(path);
    p->setPaperSize(Printer::PaperUser);
    p->setScaleMode(Printer::ScaleMillimetres);
    QCOMPARE(p->PhysicalOffsetX(), 0);
    QCOMPARE(p->PrintQuality(), p->qprinter().resolution());

    for (qsizetype i = 0; i < pageTwips.size(); ++i) {
        p->setWidth(pageTwips[i].width());
        p->setHeight(pageTwips[i].height());
        if (i > 0)
            p->NewPage();
        p->ForeColor = 0x0000FF;
        p->Line(10, 20, 50, 20);
        p->Print(QStringLiteral("頁 %1").arg(i + 1));
    }
    // Nothing reaches the printer before EndDoc.
    QVERIFY(!QFileInfo::exists(path));
    p->EndDoc();

    const QList<QSizeF> pages = pdfcheck::pageSizes(path).value_or(QList<QSizeF>{});
    QCOMPARE(pages.size(), pageTwips.size());
    for (qsizetype i = 0; i < pages.size(); ++i) {
        QVERIFY(qAbs(pages[i].width() - pageTwips[i].width() / 20) <= 0.5);
        QVERIFY(qAbs(pages[i].height() - pageTwips[i].height() / 20) <= 0.5);
    }
    // The line lies 20 mm down on the last page, which is the tallest.
    const QImage page = pdfcheck::renderPage(path, int(pages.size()), 100);
    const QPoint at(int(30 / 25.4 * 100), int(20 / 25.4 * 100));
    bool red = false;
    for (int dy = -1; dy <= 1; ++dy)
        red = red || page.pixel(at + QPoint(0, dy)) == qRgb(255, 0, 0);
    QVERIFY(red);
    QVERIFY(pdfcheck::text(path).contains(QStringLiteral("頁 %1").arg(pages.size())));
}

void TestSystemPrinter::killDocSendsNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("system.pdf"));
    auto p = fileBackedPrinter(path);
    p->setScaleMode(Printer::ScaleMillimetres);
    p->Line(10, 20, 50, 20);
    p->NewPage();
    p->Print(QStringLiteral("x"));
    p->KillDoc();
    p->EndDoc();
    QVERIFY(!p->jobOpen());
    QVERIFY(!QFileInfo::exists(path));

    // The printer is usable again afterwards.
    p->Print(QStringLiteral("y"));
    p->EndDoc();
    QVERIFY(QFileInfo(path).size() > 0);
}

void TestSystemPrinter::sheetIsThePaper_data() {
    QTest::addColumn<QSizeF>("sheetMm");
    QTest::addColumn<QSizeF>("pagePoints"); // what the document's pages are
    // A4 is 595.28 × 841.89 points, the postcard 283.46 × 419.53.
    QTest::newRow("A4") << QSizeF(210, 297) << QSizeF(595.28, 841.89);
    QTest::newRow("the print style's postcard, as the standard one")
        << QSizeF(100, 147) << QSizeF(283.46, 419.53);
    QTest::newRow("custom") << QSizeF(120, 200) << QSizeF(340.16, 566.93);
}

void TestSystemPrinter::sheetIsThePaper() {
    QFETCH(QSizeF, sheetMm);
    QFETCH(QSizeF, pagePoints);
    if (!pdfcheck::available())
        QSKIP("poppler-utils are not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("system.pdf"));
    auto p = fileBackedPrinter(path);
    p->setScaleMode(Printer::ScaleMillimetres);
    // The page measured 3 mm longer than the sheet, as a paper search leaves it.
    p->setWidth(Printer::PageTwips(sheetMm.width()));
    p->setHeight(Printer::PageTwips(sheetMm.height() + 3));
    p->setSheet(sheetMm);
    p->ForeColor = 0x0000FF;
    p->Line(10, 20, 50, 20);
    p->EndDoc();

    // Qt writes a page in whole points.
    const QList<QSizeF> pages = pdfcheck::pageSizes(path).value_or(QList<QSizeF>{});
    QCOMPARE(pages.size(), 1);
    QVERIFY2(qAbs(pages[0].width() - pagePoints.width()) < 1,
             qPrintable(QString::number(pages[0].width())));
    QVERIFY2(qAbs(pages[0].height() - pagePoints.height()) < 1,
             qPrintable(QString::number(pages[0].height())));
    // The line is still 20 mm down from the top edge.
    const QImage page = pdfcheck::renderPage(path, 1, 100);
    const QPoint at(int(30 / 25.4 * 100), int(20 / 25.4 * 100));
    bool red = false;
    for (int dy = -1; dy <= 1; ++dy)
        red = red || page.pixel(at + QPoint(0, dy)) == qRgb(255, 0, 0);
    QVERIFY(red);
}

QTEST_MAIN(TestSystemPrinter)
#include "test_systemprinter.moc"
