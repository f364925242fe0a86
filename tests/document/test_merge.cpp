// Staff lists as spreadsheets write them, and the fields they fill in.

#include "base/runtimeerror.h"
#include "document/merge.h"

#include <QStringEncoder>
#include <QtTest>

class TestMerge : public QObject {
    Q_OBJECT
private slots:
    void staffList_data();
    void staffList();
    void mergedText_data();
    void mergedText();
    void settingsRoundTrip_data();
    void settingsRoundTrip();
};

namespace {

QByteArray cp932(const QString& text) {
    QStringEncoder encoder("Shift_JIS");
    return encoder(text);
}

// A table written as "a|b;c|d": rows by ';', fields by '|'.
QList<QStringList> table(const QString& text) {
    QList<QStringList> rows;
    for (const QString& row : text.split(u';', Qt::SkipEmptyParts))
        rows.append(row.split(u'|'));
    return rows;
}

} // namespace

// The file's bytes, whether tab-separated, then the header and records read,
// or the start of the error that names the record.
void TestMerge::staffList_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("tabs");
    QTest::addColumn<QString>("expected"); // header;row;row… or "!error start"
    const auto row = [](const char* tag, const QByteArray& bytes, const char* expected,
                        bool tabs = false) {
        QTest::newRow(tag) << bytes << tabs << QString::fromUtf8(expected);
    };
    const QString names = QStringLiteral("氏名,電話\r\n山田　太郎,03-1234-5678\r\n");
    row("UTF-8 with a BOM, CR LF", "\xEF\xBB\xBF" + names.toUtf8(),
        "氏名|電話;山田　太郎|03-1234-5678");
    row("UTF-8 without a BOM, LF", "氏名,電話\n鈴木,06\n", "氏名|電話;鈴木|06");
    row("CP932 from Excel", cp932(names + QStringLiteral("高橋,①～㈱\r\n")),
        "氏名|電話;山田　太郎|03-1234-5678;高橋|①～㈱");
    row("quotes hold commas, quotes and line breaks",
        "name,note\r\n\"a, b\",\"say \"\"hi\"\"\"\r\n\"two\r\nlines\",x\r\n",
        "name|note;a, b|say \"hi\";two\r\nlines|x");
    row("blanks kept, empty rows skipped", "a,b\r\n\r\n  x , y\r\n,\r\n\r\nz,\r\n",
        "a|b;  x | y;z|");
    row("short rows get empty fields", "a,b,c\r\n1\r\n1,2\r\n", "a|b|c;1||;1|2|");
    row("tab-separated, commas are text", "a\tb\r\n1,5\t2\r\n", "a|b;1,5|2", true);
    row("a row longer than the header", "a,b\r\n1,2\r\n1,2,3\r\n", "!名簿の2件目を");
    row("neither UTF-8 nor CP932", "a,b\r\n1,2\r\n3,\x85\x40\r\n", "!名簿の2件目を");
    row("a stray quote", "a,b\r\n1,2\r\n3,4\r\n\"5,6\r\n", "!名簿の3件目を");
    row("no header at all", "\r\n,,\r\n", "!名簿に見出しの行がありません");
}

void TestMerge::staffList() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, tabs);
    QFETCH(QString, expected);
    if (expected.startsWith(u'!')) {
        try {
            ParseStaffList(bytes, tabs);
            QFAIL("read");
        } catch (const RuntimeError& e) {
            QVERIFY2(e.description().startsWith(expected.mid(1)), qPrintable(e.description()));
            QCOMPARE(e.number(), int(RuntimeError::TypeMismatch));
        }
        return;
    }
    const StaffList list = ParseStaffList(bytes, tabs);
    const QList<QStringList> rows = table(expected);
    QCOMPARE(list.header, rows.first());
    QCOMPARE(QList<QStringList>(list.rows.begin(), list.rows.end()), rows.mid(1));
}

// A line's text with its fields filled from a record.
void TestMerge::mergedText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("merged");
    QTest::addColumn<QStringList>("unknown");
    const auto row = [](const char* tag, const char* text, const char* merged, bool unknown) {
        QTest::newRow(tag)
            << text << merged
            << (unknown ? QStringList{QStringLiteral("名前「%1」").arg(QString::fromUtf8(text))}
                        : QStringList{});
    };
    row("plain text is kept", "山田　太郎", "山田　太郎", false);
    row("text around fields", "TEL {電話} / {会社}", "TEL 03-1 / 株式会社 クイロ", false);
    row("full-width braces", "｛氏名｝様", "佐藤　花子様", false);
    row("a line break becomes a full-width space", "〒{住所}", "〒東京都　丸の内ビル　21階", false);
    row("a column the list lacks", "{氏名} {FAX}", "佐藤　花子 {FAX}", true);
    row("braces that name nothing", "{ } {}", "{ } {}", true);
}

void TestMerge::mergedText() {
    QFETCH(QString, text);
    QFETCH(QString, merged);
    QFETCH(QStringList, unknown);
    StaffList list;
    list.header = QStringList{"氏名", "電話", "会社", "住所"};
    const QStringList record{"佐藤　花子", "03-1", "株式会社 クイロ", "東京都\r\n丸の内ビル\n21階"};
    QCOMPARE(MergeText(text, list, record), merged);
    Card card;
    card.TextItems[0].Text = text;
    card.TextItems[4].WidthScale = 75;
    QCOMPARE(UnknownFields(card, list), unknown);
    const Card person = MergeCard(card, list, record);
    QCOMPARE(person.TextItems[0].Text, merged);
    // A merge fits every line of normal width to the card; a condensed
    // line keeps its own scale.
    QCOMPARE(person.TextItems[0].WidthScale, FitToCard);
    QCOMPARE(person.TextItems[4].WidthScale, std::int16_t(75));
}

void TestMerge::settingsRoundTrip_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("oneEach");
    QTest::addColumn<int>("sheets");
    QTest::addColumn<QList<int>>("skipped");
    QTest::addColumn<QList<int>>("selected"); // of 8 records
    QTest::newRow("none") << ""
                          << "" << false << 1 << QList<int>{} << QList<int>{};
    QTest::newRow("ten sheets each") << "sheets=10;each=0;skip=;file=/home/k/社員;名簿.csv"
                                     << "/home/k/社員;名簿.csv" << false << 10 << QList<int>{}
                                     << QList<int>{0, 1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("one each, some left out")
        << "sheets=1;each=1;skip=2,4-6;file=a.csv"
        << "a.csv" << true << 1 << QList<int>{2, 4, 5, 6} << QList<int>{0, 2, 6, 7};
}

void TestMerge::settingsRoundTrip() {
    QFETCH(QString, stored);
    QFETCH(QString, file);
    QFETCH(bool, oneEach);
    QFETCH(int, sheets);
    QFETCH(QList<int>, skipped);
    QFETCH(QList<int>, selected);
    const MergeSettings s = ParseMergeSettings(stored);
    QCOMPARE(s.file, file);
    QCOMPARE(s.oneEach, oneEach);
    QCOMPARE(s.sheets, sheets);
    QCOMPARE(s.skipped, skipped);
    QCOMPARE(FormatMergeSettings(s), stored);
    if (!file.isEmpty())
        QCOMPARE(SelectedRecords(s, 8), selected);
}

QTEST_MAIN(TestMerge)
#include "test_merge.moc"
