#include "app/cardsession.h"
#include "document/qrcode.h"
#include "sessioncontext.h"

#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QrCode)

// The card's QR code and its upright shape in the card file: stored in
// format 2.2's reserved values, read back with out-of-range values made
// safe, dropped by 2.0.
class TestQrCodeFile : public QObject {
    Q_OBJECT
private slots:
    void fileRoundTrip();
    void reservedValuesRead_data();
    void reservedValuesRead();
    void format20DropsTheCode();
};

void TestQrCodeFile::fileRoundTrip() {
    SessionContext t;
    t.m->doc.card.TextItems[0].Text = u"山田 太郎"_s;
    t.m->doc.card.Qr = QrCode{true, 1, 10, 62.5, 3.2, 25.4, 3, 0x336699, 0x123};
    t.m->doc.card.Upright = true;
    t.m->doc.CardPath = t.path(u"qr.qcd"_s);
    QVERIFY(SaveCardFile(*t.m));
    QFile f(t.m->doc.CardPath);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    // 0x336699 is red 0x99, green 0x66, blue 0x33; the lines 0x123 are 291;
    // the card is upright.
    QCOMPARE(lines.value(4),
             "1,1,10,625,32,254,3,153,102,51,1,0,0,0,0,0,291,0,0,0,0,0,0,0,0,0,0,0\r");

    SessionContext u;
    QVERIFY(OpenCardFile(*u.m, t.m->doc.CardPath));
    QCOMPARE(u.m->doc.card.Qr, t.m->doc.card.Qr);
    QCOMPARE(u.m->doc.card, t.m->doc.card);
}

void TestQrCodeFile::reservedValuesRead_data() {
    QTest::addColumn<QByteArray>("reserved");
    QTest::addColumn<QrCode>("expected");
    QTest::newRow("zeros: no code") << QByteArray("0,0,0,0,0,0,0,0,0,0") << QrCode{};
    QTest::newRow("a code") << QByteArray("1,0,0,700,20,190,1,0,0,0")
                            << QrCode{true, 0, 0, 70, 2, 19, 1, 0};
    QTest::newRow("out of range: defaults")
        << QByteArray("-1,7,12,-5,10,-20,9,300,-4,128")
        << QrCode{true, 0, 0, -0.5, 1, 0, 1, std::int32_t(255 | 128 << 16)};
    QTest::newRow("all twelve lines: 0") << QByteArray("1,0,0,700,20,190,1,0,0,0,0,0,0,0,0,0,4095")
                                         << QrCode{true, 0, 0, 70, 2, 19, 1, 0, 0};
    QTest::newRow("lines that do not exist dropped")
        << QByteArray("1,0,0,700,20,190,1,0,0,0,0,0,0,0,0,0,-28670")
        << QrCode{true, 0, 0, 70, 2, 19, 1, 0, 2};
}

void TestQrCodeFile::reservedValuesRead() {
    QFETCH(QByteArray, reserved);
    QFETCH(QrCode, expected);
    SessionContext t;
    t.m->doc.CardPath = t.path(u"r.qcd"_s);
    QVERIFY(SaveCardFile(*t.m));
    QFile f(t.m->doc.CardPath);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = f.readAll().split('\n');
    f.close();
    lines[4] = reserved + QByteArray(",0").repeated(28 - reserved.count(',') - 1) + '\r';
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(lines.join('\n'));
    f.close();
    SessionContext u;
    QVERIFY(OpenCardFile(*u.m, t.m->doc.CardPath));
    QCOMPARE(u.m->doc.card.Qr, expected);
}

void TestQrCodeFile::format20DropsTheCode() {
    SessionContext t;
    t.m->doc.card.Qr = QrCode{true, 0, 0, 60, 20, 25, 1, 0};
    t.m->doc.card.Upright = true;
    t.m->doc.CardPath = t.path(u"old.qmd"_s);
    t.ui.answers.enqueue(UiServices::AnswerYes);
    QVERIFY(SaveCardFile(*t.m));
    QCOMPARE(t.ui.messages.size(), 1);
    QVERIFY(t.ui.messages[0].text.contains(u"\r\n・QRコード\r\n・縦型名刺"_s));
    QCOMPARE(t.ui.messages[0].buttons, UiServices::YesNo);

    SessionContext u;
    u.m->doc.card.Qr = QrCode{true, 1, 3, 10, 10, 20, 2, 0};
    u.m->doc.card.Upright = true;
    QVERIFY(OpenCardFile(*u.m, t.m->doc.CardPath));
    QCOMPARE(u.m->doc.card.Qr, QrCode{});
    QVERIFY(!u.m->doc.card.Upright);
}

QTEST_GUILESS_MAIN(TestQrCodeFile)
#include "test_qrcodefile.moc"
