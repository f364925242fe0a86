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
    void loadedOnceForItsFile();
};

void TestLogoFile::read_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("contents"); // empty: made by its ending
    QTest::addColumn<int>("error");           // 0: read
    QTest::addColumn<QString>("named");       // in the error's description
    QTest::addColumn<double>("aspect");       // an SVG's view box; SVG stays vectors
    const auto svg = [](const char* body) {
        return QByteArray("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 9 18'>") + body +
               (QByteArray(body).endsWith('>') ? "</svg>" : "");
    };
    const auto row = [](const char* tag, const char* name, const QByteArray& contents, int error,
                        const char* named, double aspect = 0) {
        QTest::newRow(tag) << name << contents << error << named << aspect;
    };
    row("PNG keeps its transparency", "logo.png", {}, 0, "", 0.5);
    row("JPEG", "logo.jpg", {}, 0, "", 0.75);
    row("BMP", "logo.bmp", {}, 0, "", 0.75);
    row("SVG stays vectors, its view box's shape", "logo.svg", {}, 0, "", 0.5);
    row("missing", "gone", {}, 53, "");
    row("a folder", "folder", {}, 75, "");
    row("no picture", "logo.text", "not a picture", 481, "");
    // SVG the renderer would draw otherwise than its author meant.
    row("SVG of paths and a gradient", "logo.svg",
        svg("<linearGradient id='g'><stop offset='0' stop-color='red'/>"
            "</linearGradient><path d='M0 0H9V9Z' fill='url(#g)'/>"),
        0, "", 2);
    row("SVG, filter none is no filter", "logo.svg",
        svg("<rect width='9' height='9' style='filter: none'/>"), 0, "", 2);
    row("SVG with a clip path", "logo.svg",
        svg("<clipPath id='c'><rect width='5' height='5'/></clipPath>"
            "<rect width='9' height='9' clip-path='url(#c)'/>"),
        481, "clipPath");
    row("SVG with a mask", "logo.svg", svg("<mask id='m'/><rect width='9' height='9'/>"), 481,
        "mask");
    row("SVG with a filter in a style", "logo.svg",
        svg("<rect width='9' height='9' style='fill:red; filter:url(#f)'/>"), 481, "filter");
    row("SVG with a pattern", "logo.svg", svg("<pattern id='p'/>"), 481, "pattern");
    row("SVG with a symbol", "logo.svg", svg("<symbol id='s'/><use href='#s'/>"), 481, "symbol");
    row("SVG with a marker", "logo.svg", svg("<line x2='9' marker-end='url(#a)'/>"), 481, "marker");
    row("SVG, not XML", "logo.svg", svg("<rect"), 481, "SVG");
}

void TestLogoFile::read() {
    QFETCH(QString, name);
    QFETCH(QByteArray, contents);
    QFETCH(int, error);
    QFETCH(QString, named);
    QFETCH(double, aspect);
    const bool vector = name.endsWith(u".svg");
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(qRgb(30, 60, 90));
    QFile f(path);
    if (!contents.isEmpty())
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(contents) > 0);
    else if (name.endsWith(u".png"))
        QVERIFY(WriteFramedLogoPng(path));
    else if (name.endsWith(u".svg"))
        QVERIFY(WriteFramedLogoSvg(path));
    else if (name.endsWith(u".jpg") || name.endsWith(u".bmp"))
        QVERIFY(photo.save(path));
    else if (name == u"folder")
        QVERIFY(QDir(dir.path()).mkdir(name));
    f.close();
    try {
        const DecodedLogo logo = ReadLogo(path);
        QCOMPARE(error, 0);
        QCOMPARE(logo.aspect(), aspect);
        QCOMPARE(bool(logo.svg), vector);
        QCOMPARE(logo.raster.isNull(), vector);
        // The PNG's middle is transparent; the others have no alpha.
        const bool transparent = name.endsWith(u".png");
        QCOMPARE(logo.raster.hasAlphaChannel(), transparent);
        if (transparent)
            QCOMPARE(qAlpha(logo.raster.pixel(200, 100)), 0);
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), error);
        QVERIFY2(e.description().contains(named), qPrintable(e.description()));
    }
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
