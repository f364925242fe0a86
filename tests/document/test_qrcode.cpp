#include "document/qrcode.h"

#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QrCode)

// The card's QR code: what it holds, how it is stored, when it is refused.
class TestQrCode : public QObject {
    Q_OBJECT
private slots:
    void vcard_data();
    void vcard();
    void lineText();
    void fitRule_data();
    void fitRule();
    void keptOnCard_data();
    void keptOnCard();
};

using Lines = QMap<int, QString>;

static Card cardWith(const Lines& lines) {
    Card c;
    for (auto it = lines.begin(); it != lines.end(); ++it)
        c.TextItems[it.key()].Text = it.value();
    return c;
}

static QString crlf(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

void TestQrCode::vcard_data() {
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<int>("mask"); // the lines the vCard takes, 0 all
    QTest::addColumn<QString>("expected");

    const Lines everyRole{{0, u"山田 太郎"_s},
                          {1, u"株式会社クイロ"_s},
                          {2, u"営業部"_s},
                          {3, u"部長"_s},
                          {4, u"〒100-0001 東京都千代田区千代田1-1"_s},
                          {5, u"TEL 03-1234-5678"_s},
                          {6, u"FAX：03-1234-5679"_s},
                          {7, u"携帯 090-1111-2222"_s},
                          {8, u"ポケベル 0120-00-0000"_s},
                          {9, u"E-mail:taro@example.jp"_s},
                          {10, u"https://www.example.jp/ja/"_s},
                          {11, u"趣味 囲碁"_s}};
    const QString everyRoleVCard =
        crlf({u"BEGIN:VCARD"_s, u"VERSION:3.0"_s, u"N:山田;太郎;;;"_s, u"FN:山田 太郎"_s,
              u"ORG:株式会社クイロ;営業部"_s, u"TITLE:部長"_s,
              u"ADR;TYPE=WORK:;;東京都千代田区千代田1-1;;;100-0001;"_s,
              u"TEL;TYPE=WORK:03-1234-5678"_s, u"TEL;TYPE=FAX:03-1234-5679"_s,
              u"TEL;TYPE=CELL:090-1111-2222"_s, u"TEL;TYPE=PAGER:0120-00-0000"_s,
              u"EMAIL:taro@example.jp"_s, u"URL:https://www.example.jp/ja/"_s, u"END:VCARD"_s});
    QTest::newRow("every role") << everyRole << 0 << everyRoleVCard;
    QTest::newRow("all twelve ticked") << everyRole << 0xFFF << everyRoleVCard;
    QTest::newRow("lines ticked: name, phone, mail")
        << everyRole << (1 << 0 | 1 << 5 | 1 << 9)
        << crlf({u"BEGIN:VCARD"_s, u"VERSION:3.0"_s, u"N:山田;太郎;;;"_s, u"FN:山田 太郎"_s,
                 u"TEL;TYPE=WORK:03-1234-5678"_s, u"EMAIL:taro@example.jp"_s, u"END:VCARD"_s});
    QTest::newRow("a Japanese card: full-width blanks, extensions, 〒, ﾎﾟｹﾍﾞﾙ")
        << Lines{{0, u"　山田　太郎　"_s},
                 {4, u"〒１００－０００１　東京都千代田区千代田1-1"_s},
                 {5, u"TEL：０３－１２３４－５６７８（内線１２３）"_s},
                 {6, u"FAX 03-1234-5679"_s},
                 {7, u"Mobile 090-1111-2222 ext. 45"_s},
                 {8, u"ﾎﾟｹﾍﾞﾙ 020-123-4567"_s}}
        << 0
        << crlf({u"BEGIN:VCARD"_s, u"VERSION:3.0"_s, u"N:山田;太郎;;;"_s, u"FN:山田　太郎"_s,
                 u"ADR;TYPE=WORK:;;東京都千代田区千代田1-1;;;100-0001;"_s,
                 u"TEL;TYPE=WORK:03-1234-5678"_s, u"TEL;TYPE=FAX:03-1234-5679"_s,
                 u"TEL;TYPE=CELL:090-1111-2222"_s, u"TEL;TYPE=PAGER:020-123-4567"_s,
                 u"NOTE:電話番号 内線123\\n携帯電話 ext. 45"_s, u"END:VCARD"_s});
    QTest::newRow("empty lines left out")
        << Lines{{0, u"佐藤花子"_s}, {5, u"  "_s}, {9, u"hanako@example.com"_s}} << 0
        << crlf({u"BEGIN:VCARD"_s, u"VERSION:3.0"_s, u"N:佐藤花子;;;;"_s, u"FN:佐藤花子"_s,
                 u"EMAIL:hanako@example.com"_s, u"END:VCARD"_s});
    QTest::newRow("escaping")
        << Lines{{0, u"Smith, John"_s}, {1, u"A;B\\C"_s}, {3, u"営業、企画, 広報"_s}} << 0
        << crlf({u"BEGIN:VCARD"_s, u"VERSION:3.0"_s, u"N:Smith\\,;John;;;"_s, u"FN:Smith\\, John"_s,
                 u"ORG:A\\;B\\\\C"_s, u"TITLE:営業、企画\\, 広報"_s, u"END:VCARD"_s});
    QTest::newRow("full-width numbers, www address, no name")
        << Lines{{1, u"クイロ商店"_s},
                 {5, u"ＴＥＬ （０３）１２３４－５６７８"_s},
                 {9, u"info@www.example.jp"_s},
                 {11, u"www.example.jp"_s}}
        << 0
        << crlf({u"BEGIN:VCARD"_s, u"VERSION:3.0"_s, u"N:;;;;"_s, u"FN:クイロ商店"_s,
                 u"ORG:クイロ商店"_s, u"TEL;TYPE=WORK:(03)1234-5678"_s,
                 u"EMAIL:info@www.example.jp"_s, u"URL:http://www.example.jp"_s, u"END:VCARD"_s});
    QTest::newRow("nothing to say") << Lines{{11, u"0120"_s}, {10, u"ご挨拶"_s}} << 0 << QString();
}

void TestQrCode::vcard() {
    QFETCH(Lines, lines);
    QFETCH(int, mask);
    QFETCH(QString, expected);
    Card card = cardWith(lines);
    card.Qr.Lines = std::int16_t(mask);
    QCOMPARE(VCardOf(card), expected);
}

void TestQrCode::lineText() {
    Card c = cardWith({{0, u"山田 太郎"_s}, {11, u"https://example.jp/山田"_s}});
    c.Qr = QrCode{true, 1, 11, 60, 20, 30, 1, 0};
    QCOMPARE(QrText(c), u"https://example.jp/山田"_s);
    c.Qr.Line = 4;
    QVERIFY(QrText(c).isEmpty());
    QVERIFY(!MakeQrCode(c).drawable());
    QVERIFY(MakeQrCode(c).problem.contains(u"住所"_s));
}

void TestQrCode::fitRule_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("side");
    QTest::addColumn<int>("modules"); // 0: refused for any size
    QTest::addColumn<bool>("drawable");

    // 13 bytes fit version 1 (21 modules) at M; with the quiet zone 29
    // modules of 0.25 mm need 7.25 mm.
    QTest::newRow("v1 at 7.3 mm") << u"https://ex.jp"_s << 1 << 7.3 << 21 << true;
    QTest::newRow("v1 at 7.25 mm") << u"https://ex.jp"_s << 1 << 7.25 << 21 << true;
    QTest::newRow("v1 at 7.2 mm") << u"https://ex.jp"_s << 1 << 7.2 << 21 << false;
    // 15 bytes no longer fit version 1 at M (14 bytes), still at L (17).
    QTest::newRow("v2 at M") << u"https://exa.jp/"_s << 1 << 7.3 << 25 << false;
    QTest::newRow("v1 at L") << u"https://exa.jp/"_s << 0 << 7.3 << 21 << true;
    // 1,500 kanji are 4,500 bytes of UTF-8: more than version 40 holds at H.
    QTest::newRow("too much for any size")
        << QString(1500, QChar(0x540D)) << 3 << 50.0 << 0 << false;
}

void TestQrCode::fitRule() {
    QFETCH(QString, text);
    QFETCH(int, level);
    QFETCH(double, side);
    QFETCH(int, modules);
    QFETCH(bool, drawable);
    Card c = cardWith({{10, text}});
    c.Qr = QrCode{true, 1, 10, 1, 1, side, std::int16_t(level), 0};
    const QrResult r = MakeQrCode(c);
    QCOMPARE(r.symbol.width, modules);
    QCOMPARE(r.drawable(), drawable);
    QCOMPARE(r.problem.isEmpty(), drawable);
    if (!drawable && modules > 0)
        QVERIFY2(r.problem.contains(QString::number((modules + 8) * 0.25 + 0.04, 'f', 1)),
                 qPrintable(r.problem));
}

void TestQrCode::keptOnCard_data() {
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("side");
    QTest::addColumn<double>("keptLeft");
    QTest::addColumn<double>("keptTop");
    QTest::addColumn<double>("keptSide");
    // A 91 × 55 mm card: 1 mm from the left and top, 2 mm from the right
    // and bottom edges.
    QTest::newRow("inside") << 10.0 << 10.0 << 20.0 << 10.0 << 10.0 << 20.0;
    QTest::newRow("past the right and bottom") << 80.0 << 40.0 << 20.0 << 69.0 << 33.0 << 20.0;
    QTest::newRow("past the left and top") << -3.0 << 0.5 << 20.0 << 1.0 << 1.0 << 20.0;
    QTest::newRow("larger than the card") << 5.0 << 5.0 << 60.0 << 5.0 << 1.0 << 52.0;
}

void TestQrCode::keptOnCard() {
    QFETCH(double, left);
    QFETCH(double, top);
    QFETCH(double, side);
    QrCode q{true, 0, 0, left, top, side, 1, 0};
    KeepQrOnCard(q, 91, 55);
    QTEST(q.Left, "keptLeft");
    QTEST(q.Top, "keptTop");
    QTEST(q.Side, "keptSide");
}

QTEST_GUILESS_MAIN(TestQrCode)
#include "test_qrcode.moc"
