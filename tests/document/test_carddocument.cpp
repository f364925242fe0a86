// The card document's announcements and its converted picture.

#include "document/carddocument.h"

#include <QtTest>

#include <functional>

class TestCardDocument : public QObject {
    Q_OBJECT
private slots:
    void announcesBeforeRecording_data();
    void announcesBeforeRecording();
    void pictureOnlyForItsSettings_data();
    void pictureOnlyForItsSettings();
};

Q_DECLARE_METATYPE(CardChange)
Q_DECLARE_METATYPE(CardPart)

void TestCardDocument::announcesBeforeRecording_data() {
    QTest::addColumn<CardChange>("what");
    QTest::addColumn<int>("line");
    QTest::addColumn<CardPart>("part");
    QTest::newRow("text of line 3") << CardChange::Text << 3 << CardPart::Line;
    QTest::newRow("position of line 11") << CardChange::Position << 11 << CardPart::Line;
    QTest::newRow("3D height of line 0") << CardChange::KageHeight << 0 << CardPart::Line;
    QTest::newRow("picture") << CardChange::Picture << -1 << CardPart::Picture;
    QTest::newRow("print style") << CardChange::PrintStyle << -1 << CardPart::PrintStyle;
    QTest::newRow("QR code") << CardChange::QrCode << -1 << CardPart::QrCode;
}

// A view told of a change redraws before the step is taken: what it does to
// the card (keeping a line on it) is part of the step, and undo brings back
// the card before both, announcing the whole card.
void TestCardDocument::announcesBeforeRecording() {
    QFETCH(CardChange, what);
    QFETCH(int, line);
    QFETCH(CardPart, part);
    CardDocument doc;
    const Card before = doc.card;
    QList<std::tuple<CardPart, int, int>> heard; // part, line, steps then
    connect(&doc, &CardDocument::changed, this, [&](CardPart p, int l) {
        heard.append({p, l, doc.history().stack().count()});
        if (p != CardPart::Whole)
            doc.card.TextItems[0].Left = 7; // what a view's redraw may do
    });
    doc.card.TextItems[qMax(0, line)].Text = QStringLiteral("山田");
    doc.markChanged(what, line);
    QCOMPARE(heard, (QList<std::tuple<CardPart, int, int>>{{part, line, 0}}));
    QCOMPARE(doc.ChangedFlg, 1);
    doc.history().undo();
    QCOMPARE(doc.card, before);
    QCOMPARE(doc.ChangedFlg, 0);
    QCOMPARE(heard.size(), 2);
    QCOMPARE(std::get<0>(heard[1]), CardPart::Whole);
    doc.history().redo();
    QCOMPARE(doc.card.TextItems[0].Left, 7.0);
    QCOMPARE(doc.card.TextItems[qMax(0, line)].Text, QStringLiteral("山田"));
}

using CardEdit = std::function<void(Card&)>;
Q_DECLARE_METATYPE(CardEdit)

// The picture is handed out only for the picture settings it was made for,
// whatever else changes; a conversion that gave none counts as made.
void TestCardDocument::pictureOnlyForItsSettings_data() {
    QTest::addColumn<CardEdit>("edit");
    QTest::addColumn<bool>("kept");
    QTest::newRow("same card") << CardEdit([](Card&) {}) << true;
    QTest::newRow("another path") << CardEdit([](Card& c) { c.PicPath = "/photos/b.jpg"; })
                                  << false;
    QTest::newRow("another colour mode") << CardEdit([](Card& c) { c.PicColorMode = 1; }) << false;
    QTest::newRow("another blue") << CardEdit([](Card& c) { c.PicTint[2] = 31; }) << false;
    QTest::newRow("a line edited")
        << CardEdit([](Card& c) { c.TextItems[5].Text = QStringLiteral("東京都"); }) << true;
    QTest::newRow("another print style")
        << CardEdit([](Card& c) { c.PrintStyle.MsX = 89; }) << true;
}

void TestCardDocument::pictureOnlyForItsSettings() {
    QFETCH(CardEdit, edit);
    QFETCH(bool, kept);
    CardDocument doc;
    QVERIFY(!doc.picture.isFor(doc.card));
    doc.card.PicPath = QStringLiteral("/photos/a.jpg");
    doc.card.PicTint = {10, 20, 30};
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    doc.picture.set(doc.card, picture);
    edit(doc.card);
    QCOMPARE(doc.pictureImage().isNull(), !kept);
    QCOMPARE(doc.picture.isFor(doc.card), kept);
    if (kept)
        QCOMPARE(doc.pictureImage(), picture);
    doc.picture.set(doc.card, QImage());
    QVERIFY(doc.picture.isFor(doc.card));
    QVERIFY(doc.pictureImage().isNull());
}

QTEST_MAIN(TestCardDocument)
#include "test_carddocument.moc"
