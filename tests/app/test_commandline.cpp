// The command line as a user types it: the real quillo executable, its exit
// status and what it writes.

#include "pdfcheck.h"
#include "testcard.h"

#include <QImageReader>
#include <QProcess>
#include <QtTest>

namespace {

struct Run {
    int status = -1;
    QString out, err;
};

// Runs quillo with its settings and data in dir, as a user in a fresh home.
Run runQuillo(const QString& dir, const QStringList& args) {
    QProcess quillo;
    quillo.setWorkingDirectory(dir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir + QStringLiteral("/data"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    quillo.setProcessEnvironment(env);
    quillo.start(QStringLiteral(QUILLO_EXECUTABLE), args);
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
    // The test card naming a picture that is gone, or a JPEG cut in half.
    QString cardWithout(const QString& picture) {
        const QString path = m_dir.filePath(picture + QStringLiteral(".qcd"));
        const QString picturePath = m_dir.filePath(picture + QStringLiteral(".jpg"));
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
}

void TestCommandLine::pictureUnusable() {
    QFETCH(QString, picture);
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const QString in = cardWithout(picture);
    QVERIFY(!in.isEmpty());
    args.replace(1, in);
    const QString output = m_dir.filePath(out);
    QFile::remove(output);
    const Run run = runQuillo(m_dir.path(), args << output);
    QCOMPARE(run.status, 3);
    QVERIFY2(run.err.contains(err), qPrintable(run.err));
    QVERIFY(QFileInfo(output).size() > 0);
    if (out.endsWith(u".png") || out.endsWith(u".bmp"))
        QVERIFY(!QImage(output).isNull());
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
