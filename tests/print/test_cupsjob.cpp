// How a CUPS job is judged from its state and its queue's, the papers asked
// for by name, and the options a system printer sends: all without a server.

#include "print/cupsjob.h"
#include "print/systemprinter.h"

#include <QPrinter>
#include <QtTest>

class TestCupsJob : public QObject {
    Q_OBJECT

private slots:
    void verdict_data();
    void verdict();
    void failureNamesTheReason_data();
    void failureNamesTheReason();
    void standardPaper_data();
    void standardPaper();
    void jobOptions_data();
    void jobOptions();
};

void TestCupsJob::verdict_data() {
    QTest::addColumn<int>("job");
    QTest::addColumn<int>("printer");
    QTest::addColumn<bool>("accepting");
    QTest::addColumn<int>("expected");

    const int waiting = int(CupsVerdict::Waiting), accepted = int(CupsVerdict::Accepted),
              failed = int(CupsVerdict::Failed);
    QTest::newRow("pending, idle queue") << 3 << 3 << true << waiting;
    QTest::newRow("pending behind another job") << 3 << 4 << true << waiting;
    QTest::newRow("held") << 4 << 3 << true << waiting;
    QTest::newRow("processing") << 5 << 4 << true << waiting;
    QTest::newRow("completed") << 9 << 3 << true << accepted;
    QTest::newRow("completed, queue stopped since") << 9 << 5 << true << accepted;
    QTest::newRow("completed, queue rejecting since") << 9 << 3 << false << accepted;
    QTest::newRow("stopped job") << 6 << 3 << true << failed;
    QTest::newRow("cancelled") << 7 << 3 << true << failed;
    QTest::newRow("aborted (filter failure)") << 8 << 3 << true << failed;
    QTest::newRow("pending, queue disabled") << 3 << 5 << true << failed;
    QTest::newRow("processing, queue stopped by its backend") << 5 << 5 << true << failed;
    QTest::newRow("pending, queue rejecting") << 3 << 3 << false << failed;
}

void TestCupsJob::verdict() {
    QFETCH(int, job);
    QFETCH(int, printer);
    QFETCH(bool, accepting);
    QFETCH(int, expected);
    CupsJobStatus s;
    s.jobState = job;
    s.printerState = printer;
    s.printerAccepting = accepting;
    QCOMPARE(int(JudgeCupsJob(s)), expected);
}

void TestCupsJob::failureNamesTheReason_data() {
    QTest::addColumn<int>("job");
    QTest::addColumn<int>("printer");
    QTest::addColumn<QString>("reason"); // what CUPS said, which must be shown

    QTest::newRow("queue paused") << 3 << 5 << "用紙切れ";
    QTest::newRow("filter failed") << 8 << 3 << "Filter failed";
    QTest::newRow("cancelled by its owner") << 7 << 3 << "Canceled by \"root\".";
}

void TestCupsJob::failureNamesTheReason() {
    QFETCH(int, job);
    QFETCH(int, printer);
    QFETCH(QString, reason);
    CupsJobStatus s;
    s.jobState = job;
    s.printerState = printer;
    (printer == 5 ? s.printerMessage : s.jobMessage) = reason;
    const QString text = CupsFailureReason(QStringLiteral("Q"), s);
    QVERIFY2(text.contains(reason), qPrintable(text));
    // Each failure says in the program's words what happened, before the reason.
    QVERIFY2(text.indexOf(reason) > 0, qPrintable(text));
}

void TestCupsJob::standardPaper_data() {
    QTest::addColumn<QSizeF>("millimetres"); // width × height
    QTest::addColumn<QString>("media");      // PWG 5101.1 name, empty: none

    QTest::newRow("A4") << QSizeF(210, 297) << "iso_a4_210x297mm";
    QTest::newRow("JIS B5") << QSizeF(182, 257) << "jis_b5_182x257mm";
    QTest::newRow("A5") << QSizeF(148, 210) << "iso_a5_148x210mm";
    QTest::newRow("postcard as the print style has it")
        << QSizeF(100, 147) << "jpn_hagaki_100x148mm";
    QTest::newRow("postcard") << QSizeF(100, 148) << "jpn_hagaki_100x148mm";
    QTest::newRow("Letter") << QSizeF(215.9, 279.4) << "na_letter_8.5x11in";
    QTest::newRow("A4 on its side") << QSizeF(297, 210) << "";
    QTest::newRow("A4 lengthened by the paper search, 2 mm") << QSizeF(210, 299) << "";
    QTest::newRow("ISO B5") << QSizeF(176, 250) << "";
    QTest::newRow("card stock") << QSizeF(91, 55) << "";
}

void TestCupsJob::standardPaper() {
    QFETCH(QSizeF, millimetres);
    QFETCH(QString, media);
    const StandardPaper* paper = StandardPaperFor(millimetres);
    QCOMPARE(paper ? QString::fromLatin1(paper->media) : QString(), media);
}

void TestCupsJob::jobOptions_data() {
    QTest::addColumn<QSizeF>("paperMm");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("gray");
    QTest::addColumn<QStringList>("expected"); // name=value, in any order

    QTest::newRow("A4") << QSizeF(210, 297) << 1 << false
                        << QStringList{"media=iso_a4_210x297mm", "sides=one-sided"};
    // A custom size in millimetres, to the hundredth: whole points would
    // move the cards.
    QTest::newRow("custom paper") << QSizeF(100, 150) << 1 << false
                                  << QStringList{"PageSize=Custom.100x150mm", "sides=one-sided"};
    QTest::newRow("custom paper, fractions")
        << QSizeF(100.25, 150.5) << 1 << false
        << QStringList{"PageSize=Custom.100.25x150.5mm", "sides=one-sided"};
    QTest::newRow("two copies, grey")
        << QSizeF(182, 257) << 2 << true
        << QStringList{"media=jis_b5_182x257mm", "sides=one-sided", "copies=2", "Collate=True",
                       "print-color-mode=monochrome"};
}

void TestCupsJob::jobOptions() {
    QFETCH(QSizeF, paperMm);
    QFETCH(int, copies);
    QFETCH(bool, gray);
    QFETCH(QStringList, expected);
    auto qprinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    qprinter->setOutputFormat(QPrinter::PdfFormat);
    qprinter->setCopyCount(copies);
    qprinter->setCollateCopies(true);
    qprinter->setColorMode(gray ? QPrinter::GrayScale : QPrinter::Color);
    SystemPrinter printer(std::move(qprinter));
    // Without a print system to ask, the paper is asked for as it would be
    // of a queue that has every paper.
    const QueuePaper paper = CupsQueuePaper(QStringLiteral("no such queue"), paperMm);
    QStringList options;
    for (const auto& [name, value] : printer.jobOptions(paper))
        options.append(QString::fromUtf8(name + '=' + value));
    options.sort();
    expected.sort();
    QCOMPARE(options, expected);
}

QTEST_GUILESS_MAIN(TestCupsJob)
#include "test_cupsjob.moc"
