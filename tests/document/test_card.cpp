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

QTEST_GUILESS_MAIN(TestCard)
#include "test_card.moc"
