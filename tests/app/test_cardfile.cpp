#include "app/cardsession.h"
#include "app/newcard.h"
#include "base/runtimeerror.h"
#include "document/cardfile.h"
#include "document/cardformat.h"
#include "document/cp932.h"
#include "editor/cardimage.h"
#include "picture/cardpicture.h"
#include "sessioncontext.h"

#include <QFileInfo>
#include <QtTest>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

// Reading and writing card files through OpenCardFile and SaveCardFile.
class TestCardFile : public QObject {
    Q_OBJECT
private slots:
    void roundTripEveryField();
    void newCardFileText();
    void readFormat20();
    void readFormat11();
    void endingsIgnoreCase_data();
    void endingsIgnoreCase();
    void failedReadKeepsCard_data();
    void failedReadKeepsCard();
    void missingFileAtStartupGivesNewCard();
    void invalidBytesReadAsReplacement();
    void hugeFileReadsOnlyTheCard();
    void unknownEndingSavesNothing();
    void refusedCardWritesNothing_data();
    void refusedCardWritesNothing();
    void writeErrorKeepsOldFile();
    void fullDisk();
    void notAFile();
    void saveFormat20();
    void format20AsksBeforeVerticalLines_data();
    void format20AsksBeforeVerticalLines();
    void writingDirectionInFirstReservedInteger_data();
    void writingDirectionInFirstReservedInteger();
    void missingFontReplacedEmptyKept();
    void directionOutOfRangeReadAsDefault_data();
    void directionOutOfRangeReadAsDefault();
    void colourModeFourReadAsColour();

private:
    static Card sampleCard();
    static QByteArray readBytes(const QString& path);
    static void writeBytes(const QString& path, const QByteArray& bytes);
};

Card TestCardFile::sampleCard() {
    Card c;
    c.PicPath = QStringLiteral("/home/user/写真/背景,1.jpg");
    c.PicColorMode = 6;
    c.PicTint = {12, 200, 255};
    c.PrintStyle = {51, 91, 297, 210, 5, 6.5, 7, 7.25, 8, 14, 5, 2};
    c.PrnScaleH = 291.083328247070;
    c.PrnScaleW = 209.973007202148;
    c.PrnPaperH = 298;
    c.PrnPaperW = 210;
    for (int k = 0; k < LineCount; ++k) {
        TextItem& t = c.TextItems[k];
        t.Text = QStringLiteral("行%1 ㈱クイロ, 9:00～17:00").arg(k);
        t.Left = 1.5 + k * 3.125;
        t.Top = 0.25 + k * 4.0625;
        t.FontName = k % 2 ? QStringLiteral("IPAGothic") : QStringLiteral("ＭＳ 明朝");
        t.FontSize = 8.5f + float(k) * 1.25f;
        t.ForeColor = 0x102030 * (k + 1);
        t.Bold = k % 2;
        t.Italic = k % 3 == 0;
        t.Underline = k % 4 == 1;
        t.Strikethrough = k == 11;
        t.Height = 3.5 + k * 0.375;
        t.Width = 40.1 + k * 0.03125;
        t.KageOn = k % 2 == 0;
        t.KageTakasa = 0.125 * k;
        t.KageColor = 0x808080 + k;
        t.KageHoukou = std::int16_t(k % 8);
        t.Tategaki = k % 3 == 1;
        t.Digits = VerticalDigits(k % 3);
    }
    return c;
}

QByteArray TestCardFile::readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void TestCardFile::writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void TestCardFile::roundTripEveryField() {
    SessionContext t;
    const Card card = sampleCard();
    t.m->doc.card = card;
    t.m->doc.CardPath = t.path(QStringLiteral("x.qcd"));
    t.m->doc.ChangedFlg = 1;
    QVERIFY(SaveCardFile(*t.m));
    QCOMPARE(t.m->doc.ChangedFlg, 0);
    QCOMPARE(t.view.caption, QStringLiteral("Quillo 2.40   ") + t.path(QStringLiteral("x.qcd")));

    SessionContext u;
    u.m->doc.card.TextItems[12].Text = QStringLiteral("never stored");
    u.m->doc.ChangedFlg = 1;
    QVERIFY(OpenCardFile(*u.m, t.path(QStringLiteral("x.qcd"))));
    QVERIFY(u.ui.messages.isEmpty());
    for (int k = 0; k < LineCount; ++k)
        QCOMPARE(u.m->doc.card.TextItems[k], card.TextItems[k]);
    QCOMPARE(u.m->doc.card.TextItems[12].Text, QStringLiteral("never stored"));
    QCOMPARE(u.m->doc.card.PicPath, card.PicPath);
    QCOMPARE(u.m->doc.card.PicColorMode, card.PicColorMode);
    QCOMPARE(u.m->doc.card.PicTint, card.PicTint);
    QCOMPARE(u.m->doc.card.PrintStyle, card.PrintStyle);
    QCOMPARE(u.m->doc.card.PrnScaleH, card.PrnScaleH);
    QCOMPARE(u.m->doc.card.PrnPaperW, card.PrnPaperW);
    QCOMPARE(u.m->doc.ChangedFlg, 0);
    QCOMPARE(u.m->doc.CardPath, t.path(QStringLiteral("x.qcd")));
    QCOMPARE(u.view.showCardDataCalls, 1);
    // Writing what was read gives the same bytes again.
    u.m->doc.CardPath = u.path(QStringLiteral("y.qcd"));
    QVERIFY(SaveCardFile(*u.m));
    QCOMPARE(readBytes(u.path(QStringLiteral("y.qcd"))),
             readBytes(t.path(QStringLiteral("x.qcd"))));
}

void TestCardFile::newCardFileText() {
    SessionContext t;
    NewCard(*t.m);
    QCOMPARE(t.m->doc.CardPath, DataFolderPath(t.m->app) + QStringLiteral("/Data00.qcd"));
    t.m->doc.card.TextItems[0].Height = 6.35;
    t.m->doc.card.TextItems[0].Width = 0;
    t.m->doc.card.PrnScaleH = 298;
    t.m->doc.card.PrnScaleW = 210;
    t.m->doc.card.PrnPaperH = 298;
    t.m->doc.card.PrnPaperW = 210;
    QVERIFY(SaveCardFile(*t.m));
    const QByteArray bytes = readBytes(t.m->doc.CardPath);
    QVERIFY(bytes.endsWith("\r\n"));
    QVERIFY(!bytes.contains("\n\n"));
    const QList<QByteArray> lines = bytes.split('\n');
    QCOMPARE(lines.size(), 67); // 66 lines and the empty rest after the last CR LF
    const QByteArray font = *Cp932::encode(t.m->doc.card.TextItems[0].FontName);
    const QList<QByteArray> expected{
        "\"\"\r",
        "55,91,297,210,11,11,14,14\r",
        "0,0,5,2,298,210,298,210\r",
        "0,0,0,0\r",
        "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r",
        "\"A\",\"A\",\"A\",\"A\",\"A\",\"A\",\"A\",\"A\"\r",
        "\"\",22,27,6.35,0\r",
        "\"" + font + "\",18,0,#FALSE#,#FALSE#,#FALSE#,#FALSE#\r",
        "#FALSE#,.5,0,3\r",
        "0,0,0,0,0,0,0,0\r",
        "\"A\",\"A\",\"A\",\"A\"\r",
    };
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(lines[i], expected[i]);
    // The last line record: その他2 at 0, 0 in 12 points.
    QCOMPARE(lines[61], QByteArray("\"\",0,0,0,0\r"));
    QCOMPARE(lines[62], "\"" + font + "\",12,0,#FALSE#,#FALSE#,#FALSE#,#FALSE#\r");
}

void TestCardFile::readFormat20() {
    SessionContext t;
    QVERIFY(QFile::copy(QStringLiteral(QUILLO_TEST_DATA "/card20.qmd"),
                        t.path(QStringLiteral("a.qmd"))));
    t.m->doc.card.PicColorMode = 2;
    t.m->doc.card.PicTint = {1, 2, 3};
    t.m->doc.card.PrnScaleH = 123.5;
    for (int k = 0; k < LineCount; ++k) {
        t.m->doc.card.TextItems[k].KageOn = true;
        t.m->doc.card.TextItems[k].KageHoukou = 7;
    }
    QVERIFY(OpenCardFile(*t.m, t.path(QStringLiteral("a.qmd"))));
    QVERIFY(t.ui.messages.isEmpty());
    const Card& c = t.m->doc.card;
    QCOMPARE(t.m->doc.CardPath, t.path(QStringLiteral("a.qcd")));
    QCOMPARE(t.view.caption, QStringLiteral("Quillo 2.40   ") + t.path(QStringLiteral("a.qcd")));
    QCOMPARE(c.PicPath, QStringLiteral("C:\\画像\\背景.jpg"));
    QCOMPARE(c.PrintStyle.Kktop, 2.0);
    QCOMPARE(c.PrintStyle.KkLeft, 3.0);
    QCOMPARE(c.TextItems[1].Text, QStringLiteral("㈱クイロ商会"));
    QCOMPARE(c.TextItems[7].Text, QStringLiteral("携帯 090～1234～5678"));
    QCOMPARE(c.TextItems[1].Top, 8.25);
    QCOMPARE(c.TextItems[1].Left, 3.5);
    QCOMPARE(c.TextItems[0].FontName, QStringLiteral("ＭＳ 明朝"));
    QCOMPARE(c.TextItems[0].FontSize, 18.0f);
    QCOMPARE(c.TextItems[0].Bold, true);
    QCOMPARE(c.TextItems[1].Italic, true);
    QCOMPARE(c.TextItems[9].Underline, true);
    QCOMPARE(c.TextItems[3].ForeColor, 300);
    for (int k = 0; k < LineCount; ++k) {
        QCOMPARE(c.TextItems[k].KageOn, false);
        QCOMPARE(c.TextItems[k].KageColor, 0);
        QCOMPARE(c.TextItems[k].KageTakasa, 0.5);
        QCOMPARE(c.TextItems[k].KageHoukou, std::int16_t(3));
    }
    QCOMPARE(c.PicColorMode, 2);
    QCOMPARE(c.PicTint, (std::array<std::int32_t, 3>{1, 2, 3}));
    QCOMPARE(c.PrnScaleH, 123.5);
}

void TestCardFile::readFormat11() {
    SessionContext t;
    QVERIFY(QFile::copy(QStringLiteral(QUILLO_TEST_DATA "/card11.qms"),
                        t.path(QStringLiteral("b.qms"))));
    t.m->doc.card.TextItems[2].Text = QStringLiteral("old department");
    t.m->doc.card.PrintStyle.MsX = 80;
    t.m->doc.card.PicColorMode = 5;
    QVERIFY(OpenCardFile(*t.m, t.path(QStringLiteral("b.qms"))));
    QVERIFY(t.ui.messages.isEmpty());
    const Card& c = t.m->doc.card;
    QCOMPARE(t.m->doc.CardPath, t.path(QStringLiteral("b.qcd")));
    QCOMPARE(c.TextItems[0].Text, QStringLiteral("鈴木　花子"));
    QCOMPARE(c.TextItems[1].Text, QStringLiteral("㈱サンプル"));
    QCOMPARE(c.TextItems[4].Text, QStringLiteral("大阪市北区～梅田"));
    QCOMPARE(c.TextItems[10].Text, QStringLiteral("その他いち"));
    QCOMPARE(c.TextItems[11].Text, QStringLiteral("その他に"));
    QCOMPARE(c.PicPath, QStringLiteral("D:\\bg.bmp"));
    for (int k : {2, 3, 7, 8, 9})
        QVERIFY(c.TextItems[k].Text.isEmpty());
    for (int k = 0; k < LineCount; ++k) {
        QCOMPARE(c.TextItems[k].Left, LineRoles[k].left);
        QCOMPARE(c.TextItems[k].Top, LineRoles[k].top);
        QCOMPARE(c.TextItems[k].KageHoukou, std::int16_t(3));
    }
    QCOMPARE(c.TextItems[0].FontSize, 20.5f);
    QCOMPARE(c.TextItems[0].ForeColor, 255);
    QCOMPARE(c.TextItems[5].FontName, QStringLiteral("ＭＳ Ｐ明朝"));
    QCOMPARE(c.TextItems[11].FontSize, 6.25f);
    // FAX takes the telephone line's font.
    QCOMPARE(c.TextItems[6].FontName, c.TextItems[5].FontName);
    QCOMPARE(c.TextItems[6].FontSize, 8.0f);
    QCOMPARE(c.TextItems[6].Bold, true);
    QCOMPARE(c.TextItems[6].Italic, true);
    QCOMPARE(c.TextItems[6].ForeColor, 8421504);
    // What a 1.1 file does not carry is a new card's.
    QCOMPARE(c.PrintStyle, PrintStyle{});
    QCOMPARE(c.PicColorMode, 0);
    QCOMPARE(t.m->doc.ChangedFlg, 0);
}

void TestCardFile::endingsIgnoreCase_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cardPath");
    QTest::newRow("upper qcd") << "X.QCD"
                               << "X.QCD";
    QTest::newRow("mixed qmd") << "Y.Qmd"
                               << "Y.qcd";
}

void TestCardFile::endingsIgnoreCase() {
    QFETCH(QString, name);
    QFETCH(QString, cardPath);
    SessionContext t;
    t.m->doc.card = sampleCard();
    t.m->doc.CardPath = t.path(name);
    t.ui.answers.enqueue(UiServices::AnswerYes); // a .qmd asks about the vertical lines
    QVERIFY(SaveCardFile(*t.m));
    QVERIFY(QFileInfo::exists(t.path(name)));

    SessionContext u;
    QVERIFY(OpenCardFile(*u.m, t.path(name)));
    QCOMPARE(u.m->doc.card.TextItems[4].Text, sampleCard().TextItems[4].Text);
    QCOMPARE(u.m->doc.card.TextItems[4].Left, sampleCard().TextItems[4].Left);
    QCOMPARE(u.m->doc.CardPath, t.path(cardPath));
}

void TestCardFile::failedReadKeepsCard_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QByteArray good = Cp932::encode(WriteCard22(sampleCard())).value();
    QTest::newRow("short file") << "bad.qcd" << good.left(good.indexOf("#FALSE#,.5"))
                                << RuntimeError(RuntimeError::InputPastEnd).message();
    QByteArray wrongType = good;
    wrongType.replace("51,91", "\"x\",91");
    QTest::newRow("wrong type") << "bad.qcd" << wrongType
                                << RuntimeError(RuntimeError::TypeMismatch).message();
    QTest::newRow("empty file") << "bad.qcd" << QByteArray()
                                << RuntimeError(RuntimeError::InputPastEnd).message();
    QTest::newRow("count overflow") << "bad.qcd" << QByteArray("\"\",1,1,1,1,1,1,1,1,0,0,99999,2")
                                    << RuntimeError(RuntimeError::Overflow).message();
    // A font size past the largest single is an overflow in every format.
    const QString overflow = RuntimeError(RuntimeError::Overflow).message();
    const auto sized = [](const char* file, const QByteArray& from, const QByteArray& to) {
        QFile f(QStringLiteral(QUILLO_TEST_DATA "/") + QLatin1String(file));
        QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        return bytes.replace(from, to);
    };
    for (const char* size : {"1E300", "-1E+300", "3.5E38"}) {
        QTest::addRow("format 1.1, size %s", size)
            << "bad.qms" << sized("card11.qms", ",20.5,", QByteArray(",") + size + ",") << overflow;
        QTest::addRow("format 2.0, size %s", size)
            << "bad.qmd" << sized("card20.qmd", ",18,0,", QByteArray(",") + size + ",0,")
            << overflow;
    }
    QTest::newRow("format 2.2, size 1E300")
        << "bad.qcd" << sized("card22.qcd", ",18,0,", ",1E300,0,") << overflow;
}

void TestCardFile::failedReadKeepsCard() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    SessionContext t;
    writeBytes(t.path(name), bytes);
    const Card before = sampleCard();
    t.m->doc.card = before;
    t.m->doc.CardPath = t.path(QStringLiteral("old.qcd"));
    t.m->doc.ChangedFlg = 1;
    t.view.caption = QStringLiteral("old caption");
    QVERIFY(!OpenCardFile(*t.m, t.path(name)));
    QCOMPARE(t.ui.texts(), QStringList{message});
    QCOMPARE(t.ui.messages.first().title, QStringLiteral("Quillo 2.40"));
    QVERIFY(t.m->doc.card == before);
    QCOMPARE(t.m->doc.CardPath, t.path(QStringLiteral("old.qcd")));
    QCOMPARE(t.m->doc.ChangedFlg, 1);
    QCOMPARE(t.view.caption, QStringLiteral("old caption"));
}

void TestCardFile::missingFileAtStartupGivesNewCard() {
    SessionContext t;
    t.m->doc.card = sampleCard();
    // Later: the message, nothing else changes.
    QVERIFY(!OpenCardFile(*t.m, t.path(QStringLiteral("gone.qcd"))));
    QCOMPARE(t.ui.texts(), QStringList{QStringLiteral("ファイルが見つかりませんでした。")});
    QVERIFY(!OpenCardFile(*t.m, t.path(QStringLiteral("no/such/folder/x.qcd"))));
    QCOMPARE(t.ui.messages.size(), 2);
    QCOMPARE(t.ui.messages.last().text, QStringLiteral("ファイルが見つかりませんでした。"));
    QVERIFY(t.m->doc.card == sampleCard());

    // During start-up: silently a new card.
    t.m->app.StartupFlg = 1;
    QVERIFY(!OpenCardFile(*t.m, t.path(QStringLiteral("gone.qcd"))));
    QCOMPARE(t.ui.messages.size(), 2);
    QVERIFY(t.m->doc.card.TextItems[0].Text.isEmpty());
    QCOMPARE(t.m->doc.CardPath, DefaultCardPath(t.m->app));
}

void TestCardFile::invalidBytesReadAsReplacement() {
    SessionContext t;
    QByteArray bytes = Cp932::encode(WriteCard22(sampleCard())).value();
    const qsizetype at = bytes.indexOf("\"\x8d\x73"
                                       "0"); // "行0
    QVERIFY(at > 0);
    bytes[at + 1] = char(0xA0);
    bytes[at + 2] = char(0xFD);
    writeBytes(t.path(QStringLiteral("odd.qcd")), bytes);
    QVERIFY(OpenCardFile(*t.m, t.path(QStringLiteral("odd.qcd"))));
    QVERIFY(t.m->doc.card.TextItems[0].Text.startsWith(QStringLiteral("\uFFFD\uFFFD0 ㈱")));
}

void TestCardFile::hugeFileReadsOnlyTheCard() {
    SessionContext t;
    const QString path = t.path(QStringLiteral("huge.qcd"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(Cp932::encode(WriteCard22(sampleCard())).value());
        const QByteArray filler(1 << 20, 'z');
        for (int i = 0; i < 100; ++i)
            f.write(filler);
    }
    QElapsedTimer timer;
    timer.start();
    QVERIFY(OpenCardFile(*t.m, path));
    QVERIFY(timer.elapsed() < 5000);
    QCOMPARE(t.m->doc.card.TextItems[11], sampleCard().TextItems[11]);

    // A 100 MB file of no card: a message, no hang.
    const QString junk = t.path(QStringLiteral("junk.qcd"));
    {
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray filler(1 << 20, 'z');
        for (int i = 0; i < 100; ++i)
            f.write(filler);
    }
    QVERIFY(!OpenCardFile(*t.m, junk));
    QCOMPARE(t.ui.texts(), QStringList{RuntimeError(RuntimeError::InputPastEnd).message()});
}

void TestCardFile::unknownEndingSavesNothing() {
    SessionContext t;
    t.m->doc.CardPath = t.path(QStringLiteral("card.txt"));
    t.m->doc.ChangedFlg = 1;
    t.view.caption = QStringLiteral("before");
    QVERIFY(!SaveCardFile(*t.m));
    QCOMPARE(t.ui.messages.size(), 1);
    QVERIFY(t.ui.messages.first().text.contains(QStringLiteral("何も保存していません")));
    QCOMPARE(t.m->doc.ChangedFlg, 1);
    QCOMPARE(t.view.caption, QStringLiteral("before"));
    QVERIFY(!QFileInfo::exists(t.path(QStringLiteral("card.txt"))));

    // Opening a file that is not a card ending reads nothing and says so.
    writeBytes(t.path(QStringLiteral("note.txt")), "hello");
    QVERIFY(!OpenCardFile(*t.m, t.path(QStringLiteral("note.txt"))));
    QCOMPARE(t.ui.messages.size(), 2);
    QCOMPARE(t.m->doc.CardPath, t.path(QStringLiteral("card.txt")));
}

void TestCardFile::refusedCardWritesNothing_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");
    QTest::newRow("quote") << 3 << "say \"hi\""
                           << "役職";
    QTest::newRow("line break") << 5 << "03\n1234"
                                << "電話番号";
    QTest::newRow("emoji") << 9 << "mail 😀"
                           << "😀";
    QTest::newRow("euro") << 0 << "100€"
                          << "名前";
}

void TestCardFile::refusedCardWritesNothing() {
    QFETCH(int, line);
    QFETCH(QString, text);
    QFETCH(QString, named);
    SessionContext t;
    const QString path = t.path(QStringLiteral("keep.qcd"));
    writeBytes(path, "old contents");
    t.m->doc.card = sampleCard();
    t.m->doc.card.TextItems[line].Text = text;
    t.m->doc.CardPath = path;
    t.m->doc.ChangedFlg = 1;
    QVERIFY(!SaveCardFile(*t.m));
    QCOMPARE(t.ui.messages.size(), 1);
    QVERIFY2(t.ui.messages.first().text.contains(named), qPrintable(t.ui.messages.first().text));
    QCOMPARE(readBytes(path), QByteArray("old contents"));
    QCOMPARE(t.m->doc.ChangedFlg, 1);
}

namespace {

// A small tmpfs of our own (as root), to see a full or read-only disk for real.
class SmallDisk {
public:
    explicit SmallDisk(const QString& folder, const char* options) : m_folder(folder) {
        QDir().mkpath(folder);
        m_mounted =
            ::geteuid() == 0 &&
            QProcess::execute(QStringLiteral("mount"),
                              {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                               QString::fromLatin1(options), QStringLiteral("tmpfs"), folder}) == 0;
    }
    ~SmallDisk() {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_folder});
    }
    bool mounted() const { return m_mounted; }
    bool remountReadOnly() {
        return QProcess::execute(QStringLiteral("mount"),
                                 {QStringLiteral("-o"), QStringLiteral("remount,ro"), m_folder}) ==
               0;
    }

private:
    QString m_folder;
    bool m_mounted = false;
};

} // namespace

void TestCardFile::writeErrorKeepsOldFile() {
    SessionContext t;
    const QString folder = t.path(QStringLiteral("locked"));
    SmallDisk disk(folder, "size=64k");
    if (!disk.mounted())
        QSKIP("needs root to mount a tmpfs");
    const QString path = folder + QStringLiteral("/a.qcd");
    writeBytes(path, "old");
    QVERIFY(disk.remountReadOnly());
    t.m->doc.CardPath = path;
    t.m->doc.ChangedFlg = 1;
    QVERIFY(!SaveCardFile(*t.m));
    QCOMPARE(t.ui.beeps, 1);
    QVERIFY2(t.ui.messages.first().text.startsWith(QStringLiteral("書き込みエラーです。 # 70\r")),
             qPrintable(t.ui.messages.first().text));
    QCOMPARE(readBytes(path), QByteArray("old"));
    QCOMPARE(t.m->doc.ChangedFlg, 1);
}

void TestCardFile::fullDisk() {
    // A missing folder cannot be written to: path not found.
    SessionContext t;
    t.m->doc.CardPath = t.path(QStringLiteral("none/a.qcd"));
    t.m->doc.ChangedFlg = 1;
    QVERIFY(!SaveCardFile(*t.m));
    QCOMPARE(t.ui.messages.size(), 1);
    QVERIFY2(t.ui.messages.first().text.startsWith(QStringLiteral("書き込みエラーです。 # 76\r")),
             qPrintable(t.ui.messages.first().text));

    SessionContext u;
    const QString folder = u.path(QStringLiteral("small"));
    SmallDisk disk(folder, "size=16k");
    if (!disk.mounted())
        QSKIP("needs root to mount a tmpfs");
    const QString path = folder + QStringLiteral("/a.qcd");
    writeBytes(path, "old");
    writeBytes(folder + QStringLiteral("/filler"), QByteArray(12 * 1024, 'f'));
    u.m->doc.card = sampleCard();
    u.m->doc.CardPath = path;
    u.m->doc.ChangedFlg = 1;
    QVERIFY(!SaveCardFile(*u.m));
    QVERIFY2(u.ui.messages.first().text.startsWith(QStringLiteral("書き込みエラーです。 # 61\r")),
             qPrintable(u.ui.messages.first().text));
    QCOMPARE(readBytes(path), QByteArray("old"));
    QCOMPARE(u.m->doc.ChangedFlg, 1);
}

void TestCardFile::notAFile() {
    SessionContext t;
    const QString folder = t.path(QStringLiteral("folder.qcd"));
    QVERIFY(QDir().mkpath(folder));
    const QString fifo = t.path(QStringLiteral("pipe.qcd"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    t.m->doc.card = sampleCard();
    QVERIFY(!OpenCardFile(*t.m, folder));
    QVERIFY(!OpenCardFile(*t.m, fifo));
    const QString expected = RuntimeError(RuntimeError::PathFileAccess).message();
    QCOMPARE(t.ui.texts(), (QStringList{expected, expected}));
    QVERIFY(t.m->doc.card == sampleCard());
}

void TestCardFile::saveFormat20() {
    SessionContext t;
    t.m->doc.card = sampleCard();
    t.m->doc.CardPath = t.path(QStringLiteral("old.qmd"));
    t.ui.answers.enqueue(UiServices::AnswerYes); // vertical lines written horizontal
    QVERIFY(SaveCardFile(*t.m));
    QCOMPARE(t.m->doc.CardPath, t.path(QStringLiteral("old.qmd")));
    const QByteArray bytes = readBytes(t.m->doc.CardPath);
    QCOMPARE(bytes.count("\r\n"), 27);
    SessionContext u;
    QVERIFY(OpenCardFile(*u.m, t.m->doc.CardPath));
    QCOMPARE(u.m->doc.card.TextItems[2].Text, sampleCard().TextItems[2].Text);
    QCOMPARE(u.m->doc.card.TextItems[2].KageOn, false);
    QCOMPARE(u.m->doc.card.PrintStyle, sampleCard().PrintStyle);
}

void TestCardFile::format20AsksBeforeVerticalLines_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("written");
    QTest::newRow("yes") << int(UiServices::AnswerYes) << true;
    QTest::newRow("no") << int(UiServices::AnswerNo) << false;
}

// Format 2.0 cannot hold the writing direction: the save asks, and on Yes
// writes every line horizontal; the card in the editor keeps its vertical
// lines either way.
void TestCardFile::format20AsksBeforeVerticalLines() {
    QFETCH(int, answer);
    QFETCH(bool, written);
    SessionContext t;
    t.m->doc.card = sampleCard();
    t.m->doc.card.Qr = QrCode{};
    t.m->doc.CardPath = t.path(QStringLiteral("old.qmd"));
    t.m->doc.ChangedFlg = 1;
    t.ui.answers.enqueue(UiServices::Answer(answer));
    QCOMPARE(SaveCardFile(*t.m), written);
    QCOMPARE(t.ui.texts(), QStringList{"名刺ﾌｧｲﾙ2.0 (.qmd) には次のものを保存できません。\r\n"
                                       "・縦書きの行 (横書きで保存されます)\r\n"
                                       "これらを除いて保存します。よろしいですか？"});
    QCOMPARE(t.ui.messages[0].buttons, UiServices::YesNo);
    QCOMPARE(QFileInfo::exists(t.m->doc.CardPath), written);
    QCOMPARE(t.m->doc.ChangedFlg, written ? 0 : 1);
    QVERIFY(t.m->doc.card.TextItems[1].Tategaki);
    if (!written)
        return;
    SessionContext u;
    QVERIFY(OpenCardFile(*u.m, t.m->doc.CardPath));
    for (int k = 0; k < LineCount; ++k)
        QVERIFY(!u.m->doc.card.TextItems[k].Tategaki);
    // The vertical line was written with a horizontal line's measured size:
    // wider than high.
    QVERIFY(u.m->doc.card.TextItems[1].Width > u.m->doc.card.TextItems[1].Height);
    // A card without vertical lines is saved without the question.
    t.ui.messages.clear();
    for (int k = 0; k < LineCount; ++k)
        t.m->doc.card.TextItems[k].Tategaki = false;
    QVERIFY(SaveCardFile(*t.m));
    QVERIFY(t.ui.messages.isEmpty());
}

void TestCardFile::writingDirectionInFirstReservedInteger_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<int>("digits");
    QTest::newRow("0, every older card") << QByteArray("0,0,0") << false << 0;
    QTest::newRow("1 vertical") << QByteArray("1,0,0") << true << 0;
    QTest::newRow("2 unknown") << QByteArray("2,0,0") << false << 0;
    QTest::newRow("-1 unknown") << QByteArray("-1,0,0") << false << 0;
    QTest::newRow("digits 縦中横") << QByteArray("1,0,1") << true << 1;
    QTest::newRow("digits full-width") << QByteArray("1,0,2") << true << 2;
    QTest::newRow("digits 3 unknown") << QByteArray("1,0,3") << true << 0;
    QTest::newRow("digits -1 unknown") << QByteArray("1,0,-1") << true << 0;
}

// A line's writing direction is the first of its reserved integers and how
// its digits stand the third: a vertical card's file differs from the
// horizontal one's in that record only, and a value the editor does not
// offer reads as the usual one.
void TestCardFile::writingDirectionInFirstReservedInteger() {
    QFETCH(QByteArray, stored);
    QFETCH(bool, vertical);
    QFETCH(int, digits);
    SessionContext t;
    Card card = sampleCard();
    for (int k = 0; k < LineCount; ++k) {
        card.TextItems[k].Tategaki = false;
        card.TextItems[k].Digits = VerticalDigits::TurnedUnits;
    }
    const QString horizontal = t.path(QStringLiteral("h.qcd"));
    QCOMPARE(WriteCardFile(horizontal, card), 0);
    card.TextItems[4].Tategaki = true;
    card.TextItems[4].Digits = VerticalDigits::FullWidth;
    const QString written = t.path(QStringLiteral("v.qcd"));
    QCOMPARE(WriteCardFile(written, card), 0);
    QList<QByteArray> lines = readBytes(horizontal).split('\n');
    const QList<QByteArray> verticalLines = readBytes(written).split('\n');
    const int reservedLine = 10 + 5 * 4 - 1; // line 10 + 5k of the file, k = 4
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(lines[i] == verticalLines[i], i != reservedLine);
    QCOMPARE(verticalLines[reservedLine], QByteArray("1,0,2,0,0,0,0,0\r"));

    lines[reservedLine] = stored + ",0,0,0,0,0\r";
    const QString path = t.path(QStringLiteral("stored.qcd"));
    writeBytes(path, lines.join('\n'));
    QVERIFY(OpenCardFile(*t.m, path));
    QCOMPARE(t.m->doc.card.TextItems[4].Tategaki, vertical);
    QCOMPARE(int(t.m->doc.card.TextItems[4].Digits), digits);
    QVERIFY(!t.m->doc.card.TextItems[3].Tategaki);
}

void TestCardFile::missingFontReplacedEmptyKept() {
    SessionContext t;
    t.m->FontList = QStringList{QStringLiteral("IPAGothic")};
    t.m->doc.card.TextItems[0].FontName = QStringLiteral("ＭＳ Ｐゴシック");
    t.m->doc.card.TextItems[1].FontName.clear();
    t.m->doc.card.TextItems[2].FontName = QStringLiteral("IPAGothic");
    ShowCardData(*t.m);
    QVERIFY(!t.m->doc.card.TextItems[0].FontName.isEmpty());
    QVERIFY(t.m->doc.card.TextItems[0].FontName != QStringLiteral("ＭＳ Ｐゴシック"));
    QVERIFY(t.m->doc.card.TextItems[1].FontName.isEmpty()); // never drawn, stays so
    QCOMPARE(t.m->doc.card.TextItems[2].FontName, QStringLiteral("IPAGothic"));
}

void TestCardFile::directionOutOfRangeReadAsDefault_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("read");
    QTest::newRow("9") << 9 << 3;
    QTest::newRow("-1") << -1 << 3;
    QTest::newRow("8") << 8 << 3;
    QTest::newRow("7") << 7 << 7;
    QTest::newRow("0") << 0 << 0;
}

// A 3D direction the editor cannot show is the default one, lower right.
void TestCardFile::directionOutOfRangeReadAsDefault() {
    QFETCH(int, stored);
    QFETCH(int, read);
    SessionContext t;
    Card card = sampleCard();
    card.TextItems[4].KageHoukou = std::int16_t(stored);
    const QString path = t.path(QStringLiteral("direction.qcd"));
    QCOMPARE(WriteCardFile(path, card), 0);
    QVERIFY(OpenCardFile(*t.m, path));
    QCOMPARE(int(t.m->doc.card.TextItems[4].KageHoukou), read);
}

namespace {

constexpr QRgb Red = 0xFF0000;

QString writePicture(const SessionContext& t, const QString& name, QRgb colour) {
    QImage picture(64, 40, QImage::Format_RGB32);
    picture.fill(colour);
    const QString path = t.path(name);
    return picture.save(path, "PNG") ? path : QString();
}

// The colour in the middle of the card image with its picture.
QRgb exportedColour(Session& m) {
    const QImage image = RenderOpenCard(m, true, false);
    return image.pixel(image.width() / 2, image.height() / 2) & 0xFFFFFF;
}

} // namespace

// Colour mode 4, which only a card file can hold, is the picture's own
// colours, as the picture settings show it.
void TestCardFile::colourModeFourReadAsColour() {
    SessionContext t;
    Card card;
    ResetLines(card, QStringLiteral("IPAGothic"));
    card.PicPath = writePicture(t, QStringLiteral("red.png"), qRgb(255, 0, 0));
    card.PicColorMode = 4;
    const QString path = t.path(QStringLiteral("mode4.qcd"));
    QCOMPARE(WriteCardFile(path, card), 0);
    QVERIFY(OpenCardFile(*t.m, path));
    QCOMPARE(t.m->doc.card.PicColorMode, 0);
    LoadCardPicture(t.m->doc, t.m->ui(), t.m->app);
    QVERIFY(t.ui.messages.isEmpty());
    QCOMPARE(exportedColour(*t.m), Red);
}

// Saving as format 2.0 measures lines, which needs the fonts.
QTEST_MAIN(TestCardFile)
#include "test_cardfile.moc"
