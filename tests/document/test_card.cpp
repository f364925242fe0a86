#include "document/card.h"
#include "document/cardformat.h"

#include <QtTest>

// A new card's lines, and the path helpers the card files use.
class TestCard : public QObject {
    Q_OBJECT
private slots:
    void newCardLines_data();
    void newCardLines();
    void pathHelpers_data();
    void pathHelpers();
    void turnedCard_data();
    void turnedCard();
};

// The twelve lines of a new card: the roles' positions and sizes.
void TestCard::newCardLines_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");
    QTest::addColumn<float>("size");
    QTest::newRow("name") << 0 << "名前" << 27.0 << 22.0 << 18.0f;
    QTest::newRow("company") << 1 << "会社・団体" << 3.0 << 4.0 << 12.0f;
    QTest::newRow("department") << 2 << "部課" << 16.0 << 16.0 << 10.0f;
    QTest::newRow("position") << 3 << "役職" << 16.0 << 22.0 << 10.0f;
    QTest::newRow("address") << 4 << "住所" << 26.0 << 40.0 << 10.0f;
    QTest::newRow("telephone") << 5 << "電話番号" << 26.0 << 45.0 << 10.0f;
    QTest::newRow("fax") << 6 << "FAX" << 26.0 << 48.0 << 10.0f;
    QTest::newRow("mobile") << 7 << "携帯電話" << 60.0 << 45.0 << 10.0f;
    QTest::newRow("pager") << 8 << "ﾎﾟｹﾍﾞﾙ" << 60.0 << 48.0 << 10.0f;
    QTest::newRow("e-mail") << 9 << "E-Mail" << 26.0 << 51.0 << 10.0f;
    QTest::newRow("other 1") << 10 << "その他1" << 0.0 << 0.0 << 12.0f;
    QTest::newRow("other 2") << 11 << "その他2" << 0.0 << 0.0 << 12.0f;
}

void TestCard::newCardLines() {
    QFETCH(int, line);
    QFETCH(QString, caption);
    QFETCH(double, left);
    QFETCH(double, top);
    QFETCH(float, size);
    Card card;
    card.TextItems[line].Text = QStringLiteral("x");
    card.TextItems[line].KageHoukou = 0;
    ResetLines(card, QStringLiteral("IPAGothic"));
    const TextItem& t = card.TextItems[line];
    QCOMPARE(TabCaption(line), caption);
    QCOMPARE(t.Left, left);
    QCOMPARE(t.Top, top);
    QCOMPARE(t.FontSize, size);
    QVERIFY(t.Text.isEmpty());
    QCOMPARE(t.FontName, QStringLiteral("IPAGothic"));
    QCOMPARE(t.KageHoukou, std::int16_t(3));
    QCOMPARE(t.KageTakasa, 0.5);
}

void TestCard::pathHelpers_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("stripped");
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QString>("title");
    QTest::newRow("plain") << "/a/b/c.jpg"
                           << "/a/b/c"
                           << "jpg"
                           << "c.jpg";
    QTest::newRow("no dot") << "/a/b/c"
                            << "/a/b/c"
                            << ""
                            << "c";
    QTest::newRow("dot in folder") << "/a.d/b"
                                   << "/a"
                                   << "d/b"
                                   << "b";
    QTest::newRow("no slash") << "c.bmp"
                              << "c"
                              << "bmp"
                              << "";
    QTest::newRow("two dots") << "x.tar.gz"
                              << "x.tar"
                              << "gz"
                              << "";
}

void TestCard::pathHelpers() {
    QFETCH(QString, path);
    QFETCH(QString, stripped);
    QFETCH(QString, ext);
    QFETCH(QString, title);
    QCOMPARE(StripExt(path), stripped);
    QCOMPARE(GetExt(path), ext);
    QCOMPARE(GetFileTitle(path), title);
}

void TestCard::turnedCard_data() {
    QTest::addColumn<QSizeF>("style"); // MsX × MsY
    QTest::addColumn<bool>("from");
    QTest::addColumn<bool>("to");
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<QPointF>("expected");
    const QSizeF standard(91, 55);
    QTest::newRow("upright") << standard << false << true << QPointF(27, 22) << QPointF(16.3, 36.4);
    QTest::newRow("back") << standard << true << false << QPointF(16.3, 36.4) << QPointF(27, 22);
    QTest::newRow("already upright")
        << standard << true << true << QPointF(27, 22) << QPointF(27, 22);
    QTest::newRow("square card") << QSizeF(55, 55) << false << true << QPointF(27, 22)
                                 << QPointF(27, 22);
    QTest::newRow("no card size") << QSizeF(0, 55) << false << true << QPointF(27, 22)
                                  << QPointF(27, 22);
}

// A turned card keeps the lines, the QR code and the logo where they were
// in proportion to its sides.
void TestCard::turnedCard() {
    QFETCH(QSizeF, style);
    QFETCH(bool, from);
    QFETCH(bool, to);
    QFETCH(QPointF, at);
    QFETCH(QPointF, expected);
    Card card;
    card.PrintStyle.MsX = style.width();
    card.PrintStyle.MsY = style.height();
    card.Upright = from;
    card.TextItems[11].Left = card.Qr.Left = card.Logo.Left = at.x();
    card.TextItems[11].Top = card.Qr.Top = card.Logo.Top = at.y();
    TurnCard(card, to);
    QCOMPARE(card.Upright, to);
    for (const QPointF place :
         {QPointF(card.TextItems[11].Left, card.TextItems[11].Top),
          QPointF(card.Qr.Left, card.Qr.Top), QPointF(card.Logo.Left, card.Logo.Top)}) {
        QVERIFY2(qAbs(place.x() - expected.x()) < 1e-9 && qAbs(place.y() - expected.y()) < 1e-9,
                 qPrintable(QStringLiteral("%1, %2").arg(place.x()).arg(place.y())));
    }
}

QTEST_GUILESS_MAIN(TestCard)
#include "test_card.moc"
