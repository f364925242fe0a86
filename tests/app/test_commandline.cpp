// The command line as a user types it: the real quillo executable, its exit
// status and what it writes.

#include <QProcess>
#include <QtTest>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void exitStatusAndText_data();
    void exitStatusAndText();
};

void TestCommandLine::exitStatusAndText_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // expected at the start of stdout
    QTest::addColumn<QString>("err"); // expected within stderr

    const QString usage = QStringLiteral("usage: quillo");
    const QString quality = QStringLiteral("quillo: --quality needs a whole number from 1 to 20");
    QTest::newRow("help") << QStringList{"--help"} << 0 << usage << QString();
    QTest::newRow("short help") << QStringList{"-h"} << 0 << usage << QString();
    QTest::newRow("version") << QStringList{"--version"} << 0 << "quillo 2.40\n" << QString();
    QTest::newRow("convert help") << QStringList{"convert", "--help"} << 0
                                  << "usage: quillo convert IN OUT" << QString();
    QTest::newRow("convert version") << QStringList{"convert", "--version"} << 0 << "quillo 2.40\n"
                                     << QString();
    QTest::newRow("print help") << QStringList{"print", "--help"} << 0 << "usage: quillo print CARD"
                                << QString();
    QTest::newRow("print version") << QStringList{"print", "--version"} << 0 << "quillo 2.40\n"
                                   << QString();
    QTest::newRow("two cards") << QStringList{"a.qcd", "b.qcd"} << 2 << QString()
                               << "the program opens one card";
    QTest::newRow("window option")
        << QStringList{"--sheets", "2"} << 2 << QString() << "unknown option --sheets";
    QTest::newRow("convert unknown") << QStringList{"convert", "--bogus", "a.qcd", "b.qcd"} << 2
                                     << QString() << "unknown option --bogus";
    QTest::newRow("print unknown") << QStringList{"print", "a.qcd", "--pdf", "o.pdf", "--bogus"}
                                   << 2 << QString() << "unknown option --bogus";
    QTest::newRow("convert quality 0")
        << QStringList{"convert", "a.qcd", "b.bmp", "--quality", "0"} << 2 << QString() << quality;
    QTest::newRow("print quality 21")
        << QStringList{"print", "a.qcd", "--pdf", "o.pdf", "--quality", "21"} << 2 << QString()
        << quality;
    QTest::newRow("print sheets 0")
        << QStringList{"print", "a.qcd", "--pdf", "o.pdf", "--sheets", "0"} << 2 << QString()
        << "quillo: --sheets needs a whole number from 1 to 1000";
    QTest::newRow("convert one file")
        << QStringList{"convert", "a.qcd"} << 2 << QString() << "usage: quillo convert";
    QTest::newRow("convert --new two files") << QStringList{"convert", "--new", "a.qcd", "b.qcd"}
                                             << 2 << QString() << "usage: quillo convert";
    QTest::newRow("print no output") << QStringList{"print", "a.qcd"} << 2 << QString()
                                     << "name either --pdf OUT.pdf or --printer NAME";
    QTest::newRow("convert missing card") << QStringList{"convert", "missing.qcd", "out.qcd"} << 1
                                          << QString() << "ファイルが見つかりませんでした。";
}

void TestCommandLine::exitStatusAndText() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QTemporaryDir dir;
    QProcess quillo;
    quillo.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    quillo.setProcessEnvironment(env);
    quillo.start(QStringLiteral(QUILLO_EXECUTABLE), args);
    QVERIFY(quillo.waitForFinished(60000));
    const QString stdoutText = QString::fromUtf8(quillo.readAllStandardOutput());
    const QString stderrText = QString::fromUtf8(quillo.readAllStandardError());
    QCOMPARE(quillo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(quillo.exitCode(), status);
    if (!out.isEmpty())
        QVERIFY2(stdoutText.startsWith(out), qPrintable(stdoutText));
    else
        QVERIFY2(stdoutText.isEmpty(), qPrintable(stdoutText));
    if (!err.isEmpty())
        QVERIFY2(stderrText.contains(err), qPrintable(stderrText));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
