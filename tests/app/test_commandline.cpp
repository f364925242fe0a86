// The command line as a user types it: the real quillo executable, its exit
// status and what it writes.

#include "hostilepictures.h"
#include "logosheet.h"
#include "pdfcheck.h"
#include "testcard.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImageReader>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

struct Run {
    int status = -1;
    QString out, err;
};

// quillo about to run with its settings, data and temporary files in dir,
// as a user in a fresh home.
void prepare(QProcess& quillo, const QString& dir) {
    quillo.setWorkingDirectory(dir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir + QStringLiteral("/data"));
    env.insert(QStringLiteral("TMPDIR"), dir);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QUILLO"), QStringLiteral(QUILLO_EXECUTABLE));
    quillo.setProcessEnvironment(env);
}

// Runs quillo with these arguments, or the shell with a script that runs
// "$QUILLO" (for names that are not UTF-8, and signals ignored beforehand).
Run runQuillo(const QString& dir, const QStringList& args, const QString& script = {}) {
    QProcess quillo;
    prepare(quillo, dir);
    if (script.isEmpty())
        quillo.start(QStringLiteral(QUILLO_EXECUTABLE), args);
    else
        quillo.start(QStringLiteral("/bin/sh"), QStringList{"-c", script, "sh"} + args);
    Run run;
    if (!quillo.waitForFinished(120000) || quillo.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = quillo.exitCode();
    run.out = QString::fromUtf8(quillo.readAllStandardOutput());
    run.err = QString::fromUtf8(quillo.readAllStandardError());
    return run;
}

bool isPictureColour(QRgb c) {
    return qAbs(qRed(c) - 255) < 12 && qAbs(qGreen(c) - 200) < 12 && qBlue(c) < 12;
}

// Dark blue pixels (the top and bottom cut marks) in a box given in mm.
int markPixels(const QImage& page, int dpi, QRectF mm) {
    const double px = dpi / 25.4;
    int n = 0;
    for (int y = int(mm.top() * px); y <= int(mm.bottom() * px); ++y)
        for (int x = int(mm.left() * px); x <= int(mm.right() * px); ++x) {
            const QRgb c = page.pixel(x, y);
            n += qBlue(c) > 80 && qRed(c) < 60 && qGreen(c) < 60;
        }
    return n;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void exitStatusAndText_data();
    void exitStatusAndText();
    void convertedImage_data();
    void convertedImage();
    void bottomMarks_data();
    void bottomMarks();
    void pictureUnusable_data();
    void pictureUnusable();
    void cardsPastWhatIsDrawn_data();
    void cardsPastWhatIsDrawn();
    void fileNames_data();
    void fileNames();
    void signalsEndPrint_data();
    void signalsEndPrint();

private:
    QTemporaryDir m_dir;
    QString card() {
        const QString path = m_dir.filePath(QStringLiteral("card.qcd"));
        if (!QFile::exists(path)) {
            const QString picture = m_dir.filePath(QStringLiteral("photo.png"));
            if (!WriteSolidPicture(picture, qRgb(255, 200, 0)) ||
                WriteCardFile(path, PrintTestCard(picture)) != 0)
                return {};
        }
        return path;
    }
    // The test card naming a picture that is gone, a JPEG cut in half, or
    // one of the hostile pictures; or without a picture and with a logo that
    // is gone, or an SVG logo with a filter.
    QString cardWithout(const QString& picture) {
        const QString path = m_dir.filePath(QString(picture).replace(u' ', u'-') + ".qcd");
        if (picture.startsWith(u"logo")) {
            Card card = PrintTestCard(QString());
            card.Logo = LogoTestCard({}, m_dir.filePath(picture + QStringLiteral(".svg"))).Logo;
            QFile svg(card.Logo.Path);
            if (picture == u"logo-filter" &&
                (!svg.open(QIODevice::WriteOnly) ||
                 svg.write("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 9 9'>"
                           "<rect width='9' height='9' filter='url(#f)'/></svg>") < 0))
                return {};
            return WriteCardFile(path, card) == 0 ? path : QString();
        }
        QString picturePath = m_dir.filePath(picture + QStringLiteral(".jpg"));
        if (picture.startsWith(u"hostile ")) {
            const hostile::PictureFile made = hostile::picture(picture.mid(8));
            picturePath = m_dir.filePath(QString(picture).replace(u' ', u'-') + u'.' + made.ending);
            QFile file(picturePath);
            if (!file.open(QIODevice::WriteOnly) || file.write(made.bytes) != made.bytes.size())
                return {};
        }
        if (picture == u"half" && !QFile::exists(picturePath)) {
            QImage photo(400, 300, QImage::Format_RGB32);
            photo.fill(qRgb(20, 120, 200));
            QFile cut(picturePath);
            if (!photo.save(picturePath, "jpg") || !cut.resize(cut.size() / 2))
                return {};
        }
        return WriteCardFile(path, PrintTestCard(picturePath)) == 0 ? path : QString();
    }
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
    const Run run = runQuillo(dir.path(), args);
    const QString& stdoutText = run.out;
    const QString& stderrText = run.err;
    QCOMPARE(run.status, status);
    if (!out.isEmpty())
        QVERIFY2(stdoutText.startsWith(out), qPrintable(stdoutText));
    else
        QVERIFY2(stdoutText.isEmpty(), qPrintable(stdoutText));
    if (!err.isEmpty())
        QVERIFY2(stderrText.contains(err), qPrintable(stderrText));
}

// convert exports the card with its picture, at the render scale asked for:
// the surface of a 91 × 55 mm card is (91 + 10) × 56.7 twips, at 15 twips a
// pixel about 382 pixels wide per unit of scale.
void TestCommandLine::convertedImage_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("width");
    QTest::newRow("bmp") << "out.bmp" << QStringList{} << 382;
    QTest::newRow("jpg, quality 2") << "out.jpg" << QStringList{"--quality", "2"} << 764;
    QTest::newRow("png, quality 20") << "out.png" << QStringList{"--quality", "20"} << 7636;
}

void TestCommandLine::convertedImage() {
    QFETCH(QString, name);
    QFETCH(QStringList, options);
    QFETCH(int, width);
    const QString in = card();
    QVERIFY(!in.isEmpty());
    const QString out = m_dir.filePath(name);
    const Run run = runQuillo(m_dir.path(), QStringList{"convert", in, out} + options);
    QCOMPARE(run.status, 0);
    QImageReader::setAllocationLimit(0); // the scale-20 image is 150 MB
    const QImage image = QImageReader(out).read();
    QVERIFY(!image.isNull());
    QVERIFY2(qAbs(image.width() - width) <= width / 100 + 1,
             qPrintable(QString::number(image.width())));
    // The corners lie on the picture, away from the name.
    QVERIFY(isPictureColour(image.pixel(2, 2)));
    QVERIFY(isPictureColour(image.pixel(image.width() - 3, image.height() - 3)));
}

// The default A4 sheet: 5 rows of 55 mm from 11 mm, so the last row ends at
// 286 mm and its bottom marks lie from 286.2 to 287.5 mm, on the card edges
// at 14 and 105 mm; the top marks from 10.8 up to 9.5 mm.
void TestCommandLine::bottomMarks_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("below");
    QTest::newRow("cut marks") << QStringList{"--cut-marks"} << false;
    QTest::newRow("cut marks and bottom marks")
        << QStringList{"--cut-marks", "--bottom-marks"} << true;
}

void TestCommandLine::bottomMarks() {
    QFETCH(QStringList, options);
    QFETCH(bool, below);
    if (!pdfcheck::available())
        QSKIP("poppler-utils are not installed");
    const QString in = card();
    QVERIFY(!in.isEmpty());
    const QString out = m_dir.filePath(QStringLiteral("sheet.pdf"));
    QFile::remove(out);
    const Run run = runQuillo(m_dir.path(), QStringList{"print", in, "--pdf", out} + options);
    QCOMPARE(run.status, 0);
    const int dpi = 300;
    const QImage page = pdfcheck::renderPage(out, 1, dpi);
    QVERIFY(!page.isNull());
    for (double x : {14.0, 105.0}) {
        QVERIFY(markPixels(page, dpi, QRectF(x - 0.3, 9.4, 0.6, 1.5)) > 0);
        QCOMPARE(markPixels(page, dpi, QRectF(x - 0.3, 286.1, 0.6, 1.5)) > 0, below);
    }
}

// A card whose picture cannot be used is still converted or printed, without
// the picture, with the picture's message; the exit status 3 tells scripts.
void TestCommandLine::pictureUnusable_data() {
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QStringList>("args"); // IN stands for the card
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString gone = QStringLiteral("画像ファイルが見つかりません");
    const QString cut = QStringLiteral("画像ファイルが途中で切れています。");
    QTest::newRow("convert to a card")
        << "gone" << QStringList{"convert", "IN"} << "out.qcd" << gone;
    QTest::newRow("convert to an image")
        << "gone" << QStringList{"convert", "IN"} << "out.png" << gone;
    QTest::newRow("convert to an image, picture cut short")
        << "half" << QStringList{"convert", "IN"} << "out.bmp" << cut;
    QTest::newRow("print") << "gone" << QStringList{"print", "IN", "--pdf"} << "out.pdf" << gone;
    // Pictures that claim more than they hold: refused with one message,
    // the description, a blank and the number.
    const QString thin =
        QStringLiteral("画像の縦横の比が極端すぎて使えません（60000 × 1 ピクセル）。");
    const QString tooLarge =
        QStringLiteral("画像が大きすぎて読み込めません（13072 × 65292 ピクセル）。");
    const QList<std::pair<const char*, QString>> hostile{
        {"png 60000 x 1", thin},
        {"gif cut to a third", cut},
        {"jpeg cut in half, end marker added", cut},
        {"jpeg turned upright, claiming twice its rows", cut},
        {"jpeg of a few hundred bytes claiming 13072 x 65292", tooLarge}};
    for (const auto& [kind, message] : hostile) {
        const QString picture = QStringLiteral("hostile ") + QLatin1String(kind);
        QTest::addRow("convert, %s", kind)
            << picture << QStringList{"convert", "IN"} << "out.png" << message + " 481";
        QTest::addRow("print, %s", kind)
            << picture << QStringList{"print", "IN", "--pdf"} << "out.pdf" << message + " 481";
    }
    // The logo likewise.
    QTest::newRow("convert to a card, logo gone")
        << "logo-gone" << QStringList{"convert", "IN"} << "out.qcd"
        << QStringLiteral("ロゴの画像ファイルが見つかりません");
    QTest::newRow("print as text, SVG logo with a filter")
        << "logo-filter" << QStringList{"print", "IN", "--kind", "text", "--pdf"} << "out.pdf"
        << QStringLiteral("フィルター");
}

void TestCommandLine::pictureUnusable() {
    QFETCH(QString, picture);
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const QString in = cardWithout(picture);
    QVERIFY(!in.isEmpty());
    args[args.indexOf(QStringLiteral("IN"))] = in;
    const QString output = m_dir.filePath(out);
    QFile::remove(output);
    QElapsedTimer clock;
    clock.start();
    const Run run = runQuillo(m_dir.path(), args << output);
    QVERIFY2(clock.elapsed() < 20000, "took too long");
    QCOMPARE(run.status, 3);
    QVERIFY2(run.err.count(err) == 1, qPrintable(run.err));
    QVERIFY(QFileInfo(output).size() > 0);
    if (out.endsWith(u".png") || out.endsWith(u".bmp"))
        QVERIFY(!QImage(output).isNull());
}

// Cards holding what the renderer cannot draw as stored: a vertical line of
// 5000 points (it crashed every drawing path), a bold line of 100,000
// characters (it took a gigabyte). Done promptly, the user told once, the
// card's text kept whole.
void TestCommandLine::cardsPastWhatIsDrawn_data() {
    QTest::addColumn<bool>("huge");
    QTest::addColumn<QStringList>("args"); // after IN and OUT
    QTest::addColumn<QString>("out");
    QTest::newRow("5000 pt, convert") << true << QStringList{"convert"} << "past.png";
    QTest::newRow("5000 pt, text print")
        << true << QStringList{"print", "--kind", "text", "--pdf"} << "past.pdf";
    QTest::newRow("long, print") << false << QStringList{"print", "--pdf"} << "past.pdf";
    QTest::newRow("long, text print")
        << false << QStringList{"print", "--kind", "text", "--pdf"} << "past.pdf";
    QTest::newRow("long, saved") << false << QStringList{"convert"} << "past.qcd";
}

void TestCommandLine::cardsPastWhatIsDrawn() {
    QFETCH(bool, huge);
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    Card c = PrintTestCard(QString());
    TextItem& name = c.TextItems[0];
    name.FontSize = huge ? 5000 : 18;
    name.Tategaki = huge;
    name.Bold = !huge;
    if (!huge)
        name.Text = QString(100000, QChar(u'山'));
    const QString in = m_dir.filePath(QStringLiteral("pastin.qcd"));
    QCOMPARE(WriteCardFile(in, c), 0);
    out = m_dir.filePath(out);
    QFile::remove(out);
    args.insert(1, in);
    QElapsedTimer clock;
    clock.start();
    const Run run = runQuillo(m_dir.path(), args << out);
    QVERIFY2(clock.elapsed() < 10000, "took too long");
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err.count(huge ? "5000 ポイントは大きすぎるため、1000 ポイントで描きます"
                                : "100000 文字と長すぎるため"),
             1);
    QVERIFY(QFileInfo(out).size() > 0);
    if (out.endsWith(u".qcd")) {
        Card saved;
        ReadCardFile(out, saved);
        QCOMPARE(saved.TextItems[0].Text, name.Text);
    }
}

// A file name is taken as given or refused: a name whose bytes are not
// UTF-8 is found when it exists and never written as another name; a name
// too long says so.
void TestCommandLine::fileNames_data() {
    QTest::addColumn<QString>("script"); // run with "$1" the test card
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");
    // Files written besides the card, as Qt lists them: not a name that is
    // not UTF-8, but any other name written in its place.
    QTest::addColumn<int>("written");
    const QString notUtf8 = QStringLiteral("ファイル名に UTF-8 の文字でないバイトがあります。");
    const QString tooLong = QStringLiteral("ファイル名が長すぎます");
    QTest::newRow("output not UTF-8")
        << R"sh("$QUILLO" convert "$1" "$(printf 'out-\376\375.qcd')")sh" << 1 << notUtf8 << 0;
    QTest::newRow("PDF not UTF-8")
        << R"sh("$QUILLO" print "$1" --pdf "$(printf 'out-\376\375.pdf')")sh" << 1 << notUtf8 << 0;
    QTest::newRow("input not UTF-8")
        << R"sh(cp "$1" "$(printf 'in-\376\375.qcd')" && "$QUILLO" convert "$(printf 'in-\376\375.qcd')" out.qcd)sh"
        << 0 << QString() << 1;
    QTest::newRow("output of 300 characters")
        << R"sh("$QUILLO" convert "$1" "out-$(printf '%0300d' 0).qcd")sh" << 1 << tooLong << 0;
    QTest::newRow("PDF of 300 characters")
        << R"sh("$QUILLO" print "$1" --pdf "out-$(printf '%0300d' 0).pdf")sh" << 1 << tooLong << 0;
}

void TestCommandLine::fileNames() {
    QFETCH(QString, script);
    QFETCH(int, status);
    QFETCH(QString, err);
    QFETCH(int, written);
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("card.qcd"));
    QCOMPARE(WriteCardFile(in, PrintTestCard(QString())), 0);
    const Run run = runQuillo(dir.path(), {in}, script);
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.contains(err), qPrintable(run.err));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1 + written);
}

// SIGHUP and SIGQUIT end a print as SIGTERM does: the job is discarded and
// the scratch folders removed, with the status 128 + the signal. A SIGINT
// ignored when the program started stays ignored. What kill -9 leaves, the
// next print removes, and only that: not the folder of a print still
// running (its lock is held here), nor one that is no print's.
void TestCommandLine::signalsEndPrint_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGQUIT") << int(SIGQUIT);
    QTest::newRow("SIGINT ignored beforehand") << int(SIGINT);
    QTest::newRow("SIGKILL") << int(SIGKILL);
}

void TestCommandLine::signalsEndPrint() {
    QFETCH(int, signal);
    const bool ignored = signal == SIGINT;
    // Twelve bold lines: seconds for twenty sheets, a minute for a thousand.
    QTemporaryDir dir;
    Card busy = PrintTestCard(QString());
    for (TextItem& line : busy.TextItems) {
        line.Text = QStringLiteral("株式会社クイロ 山田太郎 03-1234-5678");
        line.Bold = true;
    }
    const QString in = dir.filePath(QStringLiteral("busy.qcd"));
    const QString out = dir.filePath(QStringLiteral("long.pdf"));
    QCOMPARE(WriteCardFile(in, busy), 0);
    QProcess quillo;
    prepare(quillo, dir.path());
    quillo.start("/bin/sh", {"-c",
                             QStringLiteral("%1exec \"$QUILLO\" print \"$0\" --pdf \"$1\" "
                                            "--kind text --sheets %2")
                                 .arg(ignored ? "trap '' INT; " : "")
                                 .arg(ignored ? 20 : 1000),
                             in, out});
    quillo.setReadChannel(QProcess::StandardError);
    QByteArray said; // under way once it reports a sheet
    while (!said.contains("quillo: sheet") && quillo.waitForReadyRead(60000))
        said += quillo.readAllStandardError();
    const QDir tmp(dir.path());
    const auto scratch = [&] { return tmp.entryList({"qvrs-*"}, QDir::Dirs | QDir::Hidden); };
    QVERIFY2(!scratch().isEmpty(), said.constData());
    ::kill(pid_t(quillo.processId()), signal);
    QVERIFY(quillo.waitForFinished(60000));
    QCOMPARE(QFileInfo::exists(out), ignored);
    if (signal != SIGKILL) {
        QCOMPARE(quillo.exitStatus(), QProcess::NormalExit);
        QCOMPARE(quillo.exitCode(), ignored ? 0 : 128 + signal);
        QCOMPARE(scratch(), QStringList{});
        return;
    }
    QVERIFY(!scratch().isEmpty());
    for (const char* name : {"qvrs-Runnin", "qvrs-NotOur/data"})
        QVERIFY(tmp.mkpath(QLatin1String(name)));
    const int lock = ::open(QFile::encodeName(dir.filePath("qvrs-Runnin/lock")).constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY(lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) == 0);
    QCOMPARE(runQuillo(dir.path(), {"print", in, "--pdf", out}).status, 0);
    ::close(lock);
    QCOMPARE(scratch(), (QStringList{"qvrs-NotOur", "qvrs-Runnin"}));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
