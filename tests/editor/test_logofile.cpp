// Reading a logo file: what is kept of each kind, what is refused and why,
// and the document's logo as the open card shows it.

#include "base/runtimeerror.h"
#include "editor/logofile.h"
#include "logosheet.h"
#include "testcontext.h"

#include <QDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestLogoFile : public QObject {
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void svgProblems_data();
    void svgProblems();
    void loadedOnceForItsFile();
};

void TestLogoFile::read_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("error"); // 0: read
    QTest::addColumn<double>("aspect");
    QTest::addColumn<bool>("vector");
    QTest::addColumn<bool>("transparent");
    QTest::newRow("PNG keeps its transparency") << "png" << 0 << 0.5 << false << true;
    QTest::newRow("JPEG") << "jpg" << 0 << 0.75 << false << false;
    QTest::newRow("BMP") << "bmp" << 0 << 0.75 << false << false;
    QTest::newRow("SVG stays vectors, its view box's shape") << "svg" << 0 << 0.5 << true << false;
    QTest::newRow("missing") << "gone" << 53 << 0.0 << false << false;
    QTest::newRow("a folder") << "folder" << 75 << 0.0 << false << false;
    QTest::newRow("no picture") << "text" << 481 << 0.0 << false << false;
    QTest::newRow("SVG with a clip path") << "clip" << 481 << 0.0 << false << false;
}

void TestLogoFile::read() {
    QFETCH(QString, kind);
    QFETCH(int, error);
    QFETCH(double, aspect);
    QFETCH(bool, vector);
    QFETCH(bool, transparent);
    QTemporaryDir dir;
    QString path = dir.filePath(u"logo."_s + kind);
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(qRgb(30, 60, 90));
    if (kind == u"png")
        QVERIFY(WriteFramedLogoPng(path));
    else if (kind == u"svg")
        QVERIFY(WriteFramedLogoSvg(path));
    else if (kind == u"jpg" || kind == u"bmp")
        QVERIFY(photo.save(path));
    else if (kind == u"folder")
        QVERIFY(QDir(dir.path()).mkdir(u"logo.folder"_s));
    else if (kind != u"gone") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(kind == u"clip" ? "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 10'>"
                                  "<clipPath id='c'><rect width='5' height='5'/></clipPath>"
                                  "<rect width='10' height='10' clip-path='url(#c)'/></svg>"
                                : "not a picture");
    }
    try {
        const DecodedLogo logo = ReadLogo(path);
        QCOMPARE(error, 0);
        QCOMPARE(logo.aspect(), aspect);
        QCOMPARE(bool(logo.svg), vector);
        QCOMPARE(logo.raster.isNull(), vector);
        QCOMPARE(logo.raster.hasAlphaChannel(), transparent);
        if (transparent)
            QCOMPARE(qAlpha(logo.raster.pixel(200, 100)), 0);
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), error);
        if (kind == u"clip")
            QVERIFY(e.description().contains(u"clipPath"_s));
    }
}

void TestLogoFile::svgProblems_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("named"); // empty: drawn as it stands
    QTest::newRow("paths and a gradient")
        << QByteArray("<linearGradient id='g'><stop offset='0' stop-color='red'/>"
                      "</linearGradient><path d='M0 0H9V9Z' fill='url(#g)'/>")
        << "";
    QTest::newRow("a mask") << QByteArray("<mask id='m'/><rect width='9' height='9'/>") << "mask";
    QTest::newRow("a filter in a style")
        << QByteArray("<rect width='9' height='9' style='fill:red; filter:url(#f)'/>") << "filter";
    QTest::newRow("filter none is no filter")
        << QByteArray("<rect width='9' height='9' style='filter: none'/>") << "";
    QTest::newRow("a pattern") << QByteArray("<pattern id='p'/>") << "pattern";
    QTest::newRow("a symbol") << QByteArray("<symbol id='s'/><use href='#s'/>") << "symbol";
    QTest::newRow("a marker on a line")
        << QByteArray("<line x2='9' marker-end='url(#a)'/>") << "marker";
    QTest::newRow("not XML") << QByteArray("<rect") << "SVG";
}

void TestLogoFile::svgProblems() {
    QFETCH(QByteArray, body);
    QFETCH(QString, named);
    const QString problem =
        SvgProblem("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 9 9'>" + body +
                   (body.endsWith('>') ? "</svg>" : ""));
    QCOMPARE(problem.isEmpty(), named.isEmpty());
    QVERIFY2(problem.contains(named), qPrintable(problem));
}

// The open card's logo is decoded once for its file, a failure reported
// once, and a logo switched off needs no file.
void TestLogoFile::loadedOnceForItsFile() {
    TestContext t;
    const QString logo = t.path(u"logo.png"_s);
    QVERIFY(WriteFramedLogoPng(logo));
    t.doc.card.Logo = CardLogo{true, logo, 60, 3, 20, LogoLayer::UnderLines};
    QVERIFY(PrepareCardLogo(t.doc, t.ui));
    const qint64 decoded = t.doc.logoImage().raster.cacheKey();
    QVERIFY(PrepareCardLogo(t.doc, t.ui));
    QCOMPARE(t.doc.logoImage().raster.cacheKey(), decoded);

    t.doc.card.Logo.Path = t.path(u"gone.png"_s);
    QVERIFY(t.doc.logoImage().isNull());
    QVERIFY(!PrepareCardLogo(t.doc, t.ui));
    QVERIFY(!PrepareCardLogo(t.doc, t.ui));
    QCOMPARE(t.ui.texts(), QStringList{u"ロゴの画像ファイルが見つかりません"_s});
    t.doc.card.Logo.On = false;
    QVERIFY(LoadCardLogo(t.doc, t.ui));
    QCOMPARE(t.ui.messages.size(), 1);
}

QTEST_MAIN(TestLogoFile)
#include "test_logofile.moc"
