// The logo in the card file and on the card: its reserved fields of format
// 2.2, what format 2.0 loses, and how it is kept on the card.

#include "document/cardfile.h"
#include "document/cardformat.h"
#include "document/cardlogo.h"
#include "document/cp932.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(CardLogo)

namespace {

// The fifth line of a format 2.2 file without a QR code: the 28 reserved
// integers, the logo's five (11-15) as given.
QByteArray reservedLine(const QByteArray& logo) {
    return QByteArray("0,").repeated(11) + logo + QByteArray(",0").repeated(12);
}

const QString LogoFile = u"/home/yamada/ロゴ/社章.png"_s;

} // namespace

class TestCardLogo : public QObject {
    Q_OBJECT
private slots:
    void reservedFields_data();
    void reservedFields();
    void format20Losses_data();
    void format20Losses();
    void keptOnCard_data();
    void keptOnCard();

private:
    QTemporaryDir m_dir;
};

// The logo's five reserved integers (11-15) and the second reserved string
// as the card writes them, and as another program may have stored them.
void TestCardLogo::reservedFields_data() {
    QTest::addColumn<bool>("written"); // false: the lines stored as given
    QTest::addColumn<CardLogo>("logo");
    QTest::addColumn<QByteArray>("integers");
    QTest::addColumn<QString>("path");
    QTest::addColumn<CardLogo>("readBack");
    QTest::newRow("no logo: what every card wrote")
        << true << CardLogo{} << QByteArray("0,0,0,0,0") << u"A"_s << CardLogo{};
    QTest::newRow("over the lines, tenths rounded")
        << true << CardLogo{true, LogoFile, 12.34, 0.05, 15.06, LogoLayer::OverLines}
        << QByteArray("1,123,1,151,1") << LogoFile
        << CardLogo{true, LogoFile, 12.3, 0.1, 15.1, LogoLayer::OverLines};
    const CardLogo off{false, LogoFile, 5, 6.5, 7, LogoLayer::OverLines};
    QTest::newRow("switched off, file and place kept")
        << true << off << QByteArray("0,50,65,70,1") << LogoFile << off;
    // Whatever another program wrote reads as something the editor shows.
    QTest::newRow("negative width, unknown layer, any non-zero is on")
        << false << CardLogo{} << QByteArray("-3,-15,40,-200,7") << u"x.svg"_s
        << CardLogo{true, u"x.svg"_s, -1.5, 4, 0, LogoLayer::UnderLines};
    QTest::newRow("\"A\" is no file")
        << false << CardLogo{} << QByteArray("1,10,10,100,0") << u"A"_s
        << CardLogo{true, QString(), 1, 1, 10, LogoLayer::UnderLines};
}

void TestCardLogo::reservedFields() {
    QFETCH(bool, written);
    QFETCH(CardLogo, logo);
    QFETCH(QByteArray, integers);
    QFETCH(QString, path);
    QFETCH(CardLogo, readBack);
    Card card;
    ResetLines(card, u"IPAGothic"_s);
    card.Logo = logo;
    const QString file = m_dir.filePath(u"logo.qcd"_s);
    QCOMPARE(WriteCardFile(file, card), 0);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QList<QByteArray> lines = f.readAll().split('\n');
    const QByteArray strings =
        Cp932::encode(u"\"A\",\""_s + path + u"\",\"A\",\"A\",\"A\",\"A\",\"A\",\"A\"\r"_s)
            .value_or("?");
    const QList<QByteArray> stored{reservedLine(integers) + '\r', strings};
    if (written)
        QCOMPARE(lines.mid(4, 2), stored);
    else
        QVERIFY(f.resize(0) && f.seek(0) &&
                f.write((lines.first(4) + stored + lines.mid(6)).join('\n')) > 0);
    f.close();
    Card read;
    ReadCardFile(file, read);
    QCOMPARE(read.Logo, readBack);
    read.Logo = card.Logo;
    QCOMPARE(read, card);
}

void TestCardLogo::format20Losses_data() {
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<bool>("qr");
    QTest::addColumn<bool>("logo");
    QTest::addColumn<QStringList>("lost");
    QTest::newRow("nothing") << false << false << false << QStringList();
    QTest::newRow("all") << true << true << true
                         << QStringList{u"縦書きの行 (横書きで保存されます)"_s, u"QRコード"_s,
                                        u"ロゴ"_s};
}

void TestCardLogo::format20Losses() {
    QFETCH(bool, vertical);
    QFETCH(bool, qr);
    QFETCH(bool, logo);
    QFETCH(QStringList, lost);
    Card card;
    card.TextItems[4].Tategaki = vertical;
    card.Qr.On = qr;
    // A logo switched off is no loss: nothing of it shows.
    card.Logo = CardLogo{logo, LogoFile, 1, 1, 20, LogoLayer::UnderLines};
    QCOMPARE(Format20Losses(card), lost);
    if (!logo)
        return;
    // Written and read as 2.0, the card has no logo.
    const QString path = m_dir.filePath(u"old.qmd"_s);
    QCOMPARE(WriteCardFile(path, card), 0);
    Card read = card;
    ReadCardFile(path, read);
    QCOMPARE(read.Logo, CardLogo{});
}

void TestCardLogo::keptOnCard_data() {
    QTest::addColumn<CardLogo>("logo");
    QTest::addColumn<double>("aspect"); // height over width
    QTest::addColumn<CardLogo>("kept");
    const auto at = [](double left, double top, double width) {
        return CardLogo{true, LogoFile, left, top, width, LogoLayer::UnderLines};
    };
    // A 91 × 55 mm card: 1 mm left and top, 2 mm right and bottom.
    QTest::newRow("inside stays") << at(10, 10, 20) << 0.5 << at(10, 10, 20);
    QTest::newRow("past the right edge") << at(80, 10, 20) << 0.5 << at(69, 10, 20);
    QTest::newRow("past the bottom, by its height") << at(10, 50, 20) << 0.5 << at(10, 43, 20);
    QTest::newRow("left and top") << at(0.5, -4, 20) << 0.5 << at(1, 1, 20);
    QTest::newRow("wider than the card") << at(5, 5, 120) << 0.1 << at(1, 5, 88);
    QTest::newRow("taller than the card: shape kept") << at(5, 5, 40) << 2.0 << at(5, 1, 26);
    QTest::newRow("shape not known yet") << at(10, 60, 20) << 0.0 << at(10, 53, 20);
}

void TestCardLogo::keptOnCard() {
    QFETCH(CardLogo, logo);
    QFETCH(double, aspect);
    QFETCH(CardLogo, kept);
    KeepLogoOnCard(logo, aspect, 91, 55);
    QCOMPARE(logo, kept);
}

QTEST_GUILESS_MAIN(TestCardLogo)
#include "test_cardlogo.moc"
