// The card picture that exports and prints use: never another card's, and
// the card's own even with the background picture switched off.

#include "editor/cardimage.h"
#include "picture/cardpicture.h"
#include "testcontext.h"

#include <QtTest>

namespace {

QString writePicture(const TestContext& t, const QString& name, QRgb colour) {
    QImage picture(64, 40, QImage::Format_RGB32);
    picture.fill(colour);
    const QString path = t.path(name);
    return picture.save(path, "PNG") ? path : QString();
}

// The colour in the middle of the card image with its picture.
QRgb exportedColour(TestContext& t) {
    const QImage image = t.renderCard(true, false);
    return image.pixel(image.width() / 2, image.height() / 2) & 0xFFFFFF;
}

constexpr QRgb Red = 0xFF0000;
constexpr QRgb Blue = 0x0000FF;
constexpr QRgb White = 0xFFFFFF;

} // namespace

class TestPictureForPrint : public QObject {
    Q_OBJECT
private slots:
    void nextCardWithBackgroundOff_data();
    void nextCardWithBackgroundOff();
    void startedWithBackgroundOff();
};

void TestPictureForPrint::nextCardWithBackgroundOff_data() {
    QTest::addColumn<QString>("next"); // the next card's picture: "", "red", "blue"
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("keeps");
    QTest::addColumn<QRgb>("exported");
    QTest::newRow("a card without a picture") << "" << 0 << false << White;
    QTest::newRow("a card with another picture") << "blue" << 0 << false << Blue;
    QTest::newRow("the same card again") << "red" << 0 << true << Red;
    QTest::newRow("the same picture, sepia") << "red" << 1 << false << QRgb(0);
}

// A red card is shown, the background picture switched off, then the next
// card comes (new or opened): its export never shows the red picture.
void TestPictureForPrint::nextCardWithBackgroundOff() {
    QFETCH(QString, next);
    QFETCH(int, mode);
    QFETCH(bool, keeps);
    QFETCH(QRgb, exported);
    TestContext t;
    const QString red = writePicture(t, QStringLiteral("red.png"), qRgb(255, 0, 0));
    const QString blue = writePicture(t, QStringLiteral("blue.png"), qRgb(0, 0, 255));
    t.doc.card.PicPath = red;
    LoadCardPicture(t.doc, t.ui, t.app);
    QVERIFY(!t.doc.pictureImage().isNull());

    t.app.HaikeiFlg = 0;
    t.doc.card.PicPath = next.isEmpty() ? QString() : next == u"red" ? red : blue;
    t.doc.card.PicColorMode = mode;
    LoadCardPicture(t.doc, t.ui, t.app);
    QCOMPARE(!t.doc.pictureImage().isNull(), keeps);
    QCOMPARE(t.view.pictureShows, 1); // the canvas shows none of it
    const QRgb colour = exportedColour(t);
    if (exported != 0)
        QCOMPARE(colour, exported);
    else // recoloured: neither the plain picture nor no picture
        QVERIFY(colour != Red && colour != White);
    QVERIFY(t.ui.messages.isEmpty());
}

// The background setting acts on the screen only: a program started with it
// off exports and prints the card's picture when asked for one.
void TestPictureForPrint::startedWithBackgroundOff() {
    TestContext t;
    t.app.HaikeiFlg = 0;
    t.doc.card.PicPath = writePicture(t, QStringLiteral("red.png"), qRgb(255, 0, 0));
    LoadCardPicture(t.doc, t.ui, t.app);
    QVERIFY(t.doc.pictureImage().isNull());
    QCOMPARE(exportedColour(t), Red);
    QCOMPARE(t.view.pictureShows, 0);
    // Without its file the card prints without it, with one message.
    t.doc.card.PicPath = t.path(QStringLiteral("gone.png"));
    QCOMPARE(exportedColour(t), White);
    QCOMPARE(exportedColour(t), White);
    QCOMPARE(t.ui.texts(), QStringList{QStringLiteral("画像ファイルが見つかりません")});
}

QTEST_MAIN(TestPictureForPrint)
#include "test_pictureforprint.moc"
