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
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

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
    // No print system answers: a print without --pdf finds no printer at all.
    env.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:1"));
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
    void troubledCards_data();
    void troubledCards();
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
    // The test card in dir as a row names it: a picture that is gone, a JPEG
    // cut in half or a hostile picture; a logo that is gone or an SVG logo
    // with a filter; a vertical line of 5000 points, a bold line of 100,000
    // characters, twelve bold lines; or plain, without a picture.
    static QString troubledCard(const QDir& dir, const QString& kind) {
        Card card = PrintTestCard(QString());
        TextItem& name = card.TextItems[0];
        QString ending = kind.startsWith(u"logo") ? u"svg"_s : u"jpg"_s;
        QByteArray bytes;
        if (kind.startsWith(u"hostile ")) {
            const hostile::PictureFile made = hostile::picture(kind.mid(8));
            ending = made.ending;
            bytes = made.bytes;
        } else if (kind == u"half") {
            bytes = hostile::noise(QSize(400, 300), "jpg");
            bytes.truncate(bytes.size() / 2);
        } else if (kind == u"logo-filter") {
            bytes = "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 9 9'>"
                    "<rect width='9' height='9' filter='url(#f)'/></svg>";
        }
        const QString file = dir.filePath(QString(kind).replace(u' ', u'-') + u'.' + ending);
        QFile out(file);
        if (!bytes.isEmpty() && (!out.open(QIODevice::WriteOnly) || out.write(bytes) < 0))
            return {};
        if (kind.startsWith(u"logo"))
            card.Logo = LogoTestCard({}, file).Logo;
        else if (kind == u"5000 pt")
            name.FontSize = 5000, name.Tategaki = true;
        else if (kind == u"long")
            name.Text = QString(100000, QChar(u'山')), name.Bold = true;
        else if (kind == u"busy")
            for (TextItem& line : card.TextItems)
                line.Text = u"株式会社クイロ 山田太郎 03-1234-5678"_s, line.Bold = true;
        else if (kind != u"plain")
            card.PicPath = file;
        const QString path = dir.filePath(QStringLiteral("card.qcd"));
        return WriteCardFile(path, card) == 0 ? path : QString();
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
    QTest::newRow("print without a printer")
        << QStringList{"print", "a.qcd"} << 1 << QString()
        << "there is no printer; write a PDF file with --pdf OUT.pdf";
    QTest::newRow("print on two outputs")
        << QStringList{"print", "a.qcd", "--pdf", "o.pdf", "--printer", "Q"} << 2 << QString()
        << "name either --pdf OUT.pdf or --printer NAME, not both";
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

// A card or file name the program cannot take as it stands (run through the
// shell, for names that are not UTF-8): done promptly, the user told once,
// out written and nothing else, the text kept whole; status 3 for a picture
// or logo left out.
void TestCommandLine::troubledCards_data() {
    QTest::addColumn<QString>("card");   // as troubledCard() makes it
    QTest::addColumn<QString>("script"); // "$1" the card; it writes out.* unless it fails
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err"); // said exactly once
    const auto row = [](const char* tag, const char* card, const char* command, int status,
                        const QString& err) {
        QTest::newRow(tag) << card << QStringLiteral("\"$QUILLO\" ") + command << status << err;
    };
    const QString gone = u"画像ファイルが見つかりません"_s,
                  cut = u"画像ファイルが途中で切れています。"_s;
    row("convert to a card, picture gone", "gone", R"(convert "$1" out.qcd)", 3, gone);
    row("convert to an image, picture gone", "gone", R"(convert "$1" out.png)", 3, gone);
    row("convert to an image, picture cut short", "half", R"(convert "$1" out.bmp)", 3, cut);
    row("print, picture gone", "gone", R"(print "$1" --pdf out.pdf)", 3, gone);
    // Refused with one message: the description, a blank and the number.
    const char *convert = R"(convert "$1" out.png)", *print = R"(print "$1" --pdf out.pdf)";
    row("PNG of 60000 x 1", "hostile png 60000 x 1", print, 3,
        u"画像の縦横の比が極端すぎて使えません（60000 × 1 ピクセル）。 481"_s);
    row("GIF cut short", "hostile gif cut to a third", convert, 3, cut + u" 481"_s);
    row("JPEG cut short", "hostile jpeg cut in half, end marker added", print, 3, cut + u" 481"_s);
    row("JPEG turned upright, cut short", "hostile jpeg turned upright, claiming twice its rows",
        convert, 3, cut + u" 481"_s);
    row("JPEG claiming gigabytes", "hostile jpeg of a few hundred bytes claiming 13072 x 65292",
        print, 3, u"画像が大きすぎて読み込めません（13072 × 65292 ピクセル）。 481"_s);
    row("convert to a card, logo gone", "logo-gone", R"(convert "$1" out.qcd)", 3,
        u"ロゴの画像ファイルが見つかりません"_s);
    row("text print, SVG logo with a filter", "logo-filter",
        R"(print "$1" --kind text --pdf out.pdf)", 3, u"フィルター"_s);
    // A vertical line of 5000 points crashed every drawing path; a bold line
    // of 100,000 characters took a gigabyte.
    const QString huge = u"5000 ポイントは大きすぎるため、1000 ポイントで描きます"_s;
    const QString longLine = u"100000 文字と長すぎるため"_s;
    const char* textPrint = R"(print "$1" --kind text --pdf out.pdf)";
    row("5000 pt, convert", "5000 pt", convert, 0, huge);
    row("5000 pt, text print", "5000 pt", textPrint, 0, huge);
    row("long, print", "long", print, 0, longLine);
    row("long, text print", "long", textPrint, 0, longLine);
    row("long, saved", "long", R"(convert "$1" out.qcd)", 0, longLine);
    const QString notUtf8 = u"ファイル名に UTF-8 の文字でないバイトがあります。"_s;
    const QString tooLong = u"ファイル名が長すぎます"_s;
    row("output not UTF-8", "plain", R"sh(convert "$1" "$(printf 'out-\376\375.qcd')")sh", 1,
        notUtf8);
    row("PDF not UTF-8", "plain", R"sh(print "$1" --pdf "$(printf 'out-\376\375.pdf')")sh", 1,
        notUtf8);
    QTest::newRow("input not UTF-8")
        << "plain"
        << R"sh(cp "$1" "$(printf 'in-\376\375.qcd')" && "$QUILLO" convert "$(printf 'in-\376\375.qcd')" out.qcd)sh"
        << 0 << QString();
    row("output of 300 characters", "plain", R"(convert "$1" "out-$(printf '%0300d' 0).qcd")", 1,
        tooLong);
    row("PDF of 300 characters", "plain", R"(print "$1" --pdf "out-$(printf '%0300d' 0).pdf")", 1,
        tooLong);
}

void TestCommandLine::troubledCards() {
    QFETCH(QString, card);
    QFETCH(QString, script);
    QFETCH(int, status);
    QFETCH(QString, err);
    const QString out =
        status == 1 ? QString() : QRegularExpression(u"out\\.\\w+"_s).match(script).captured();
    QTemporaryDir temporary;
    const QDir dir(temporary.path());
    const QString in = troubledCard(dir, card);
    QVERIFY(!in.isEmpty());
    const QStringList before = dir.entryList(QDir::Files);
    QElapsedTimer clock;
    clock.start();
    const Run run = runQuillo(dir.path(), {in}, script);
    QVERIFY2(clock.elapsed() < 20000, "took too long");
    QCOMPARE(run.status, status);
    QVERIFY2(err.isEmpty() || run.err.count(err) == 1, qPrintable(run.err));
    // Qt lists no name that is not UTF-8: any other name written shows.
    QStringList written = dir.entryList(QDir::Files);
    for (const QString& name : before)
        written.removeOne(name);
    QCOMPARE(written, out.isEmpty() ? QStringList{} : QStringList{out});
    if (out.isEmpty())
        return;
    QVERIFY(QFileInfo(dir.filePath(out)).size() > 0);
    if (out.endsWith(u".png") || out.endsWith(u".bmp"))
        QVERIFY(!QImage(dir.filePath(out)).isNull());
    if (out.endsWith(u".qcd")) {
        Card given, saved;
        ReadCardFile(in, given);
        ReadCardFile(dir.filePath(out), saved);
        QCOMPARE(saved.TextItems[0].Text, given.TextItems[0].Text);
    }
}

// A signal ends a print, its job and scratch folders gone, status 128 + the
// signal; a SIGINT ignored at the start stays ignored. What kill -9 leaves
// the next print removes, but not a running print's (its lock held here).
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
    const QDir tmp(dir.path());
    const QString in = troubledCard(tmp, QStringLiteral("busy")), out = tmp.filePath("long.pdf");
    QVERIFY(!in.isEmpty());
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
