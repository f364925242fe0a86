// The template file: its fixed columns counted in characters, its encoding
// and line ends, a file that cannot be read, the shipped Format.qfd, and a
// template applied to the working copy.

#include "document/cp932.h"
#include "layout/sheetlayout.h"
#include "layout/templates.h"
#include "testcontext.h"

#include <QFile>
#include <QtTest>

namespace {

// A template line: code, the ten fields of four characters, the 40 unread
// characters, the name.
QString line(const QString& fields, const QString& name,
             const QString& unread = QString(40, u' ')) {
    return QStringLiteral("0001") + fields + unread + name;
}

const QString StandardFields = QStringLiteral(" 297 210  55  91  11  14   0   0   5   2");

QList<double> valuesOf(const TKFormat& t) {
    QList<double> v;
    for (int i = 0; i < TKFormat::FieldCount; ++i)
        v << t.value(TKFormat::Field(i));
    return v;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestTemplates : public QObject {
    Q_OBJECT
private slots:
    void columns_data();
    void columns();
    void readFile();
    void missingFile();
    void shippedFile();
    void applyTemplate_data();
    void applyTemplate();
};

void TestTemplates::columns_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<QString>("name");

    const QList<double> standard{297, 210, 55, 91, 11, 14, 0, 0, 5, 2};
    QTest::newRow("full line") << line(StandardFields, QStringLiteral("エーワン 51003 名刺 10面"))
                               << standard << QStringLiteral("エーワン 51003 名刺 10面");
    QTest::newRow("decimals, blanks on either side, no number")
        << line(QStringLiteral("297  21055.086.411.5 6.1abcd  -1   5 2.5"), QStringLiteral("x"))
        << QList<double>{297, 210, 55, 86.4, 11.5, 6.1, 0, -1, 5, 2.5} << QStringLiteral("x");
    // Columns are characters: a two-byte name in the unread part moves nothing.
    QTest::newRow("Japanese in the unread columns")
        << line(StandardFields, QStringLiteral("ヒサゴ"),
                QStringLiteral("メモ").leftJustified(40, u'　'))
        << standard << QStringLiteral("ヒサゴ");
    QTest::newRow("short line") << QStringLiteral("0003 297 210  5") << QList<double>{297, 210, 5, 0, 0, 0, 0, 0, 0, 0}
                                << QString();
    QTest::newRow("blank line") << QString() << QList<double>(10, 0) << QString();
    const QString sixty = QString(30, u'名') + QString(30, u'刺');
    QTest::newRow("name of 60 characters")
        << line(StandardFields, sixty) << standard << sixty.left(50);
}

void TestTemplates::columns() {
    QFETCH(QString, text);
    QFETCH(QList<double>, values);
    QFETCH(QString, name);
    const TKFormat t = Get_TKFormat(text);
    QCOMPARE(valuesOf(t), values);
    QCOMPARE(t.TKName, name.leftJustified(TKFormat::NameWidth, u' '));
}

void TestTemplates::readFile() {
    TestContext t;
    // CR LF and bare LF, a blank line, a last line without its line end.
    QByteArray bytes = *Cp932::encode(line(StandardFields, QStringLiteral("コクヨ ①")));
    bytes += "\r\n" + line(StandardFields, QStringLiteral("LF")).toLatin1() + "\n\r\n";
    bytes += line(StandardFields, QStringLiteral("last")).toLatin1();
    writeFile(t.path(QStringLiteral("mixed.qfd")), bytes);
    const TemplateFile mixed = ReadTemplateFile(t.path(QStringLiteral("mixed.qfd")));
    QVERIFY(mixed.error.isEmpty());
    QStringList names;
    for (const TKFormat& f : mixed.TKFormats)
        names << f.TKName.trimmed();
    QCOMPARE(names, (QStringList{QStringLiteral("コクヨ ①"), "LF", "", "last"}));
    QCOMPARE(valuesOf(mixed.TKFormats[2]), QList<double>(10, 0));

    // 50 lines of 91 bytes: every line is an entry, however short the lines.
    QByteArray shortLines;
    for (int i = 0; i < 50; ++i)
        shortLines += line(StandardFields, QStringLiteral("%1").arg(i, 5)).toLatin1() + "\r\n";
    QCOMPARE(shortLines.size(), 50 * 91);
    writeFile(t.path(QStringLiteral("short.qfd")), shortLines);
    const TemplateFile many = ReadTemplateFile(t.path(QStringLiteral("short.qfd")));
    QVERIFY(many.error.isEmpty());
    QCOMPARE(many.TKFormats.size(), 50);
    QCOMPARE(many.TKFormats.last().TKName.trimmed(), QStringLiteral("49"));
}

void TestTemplates::missingFile() {
    TestContext t;
    const TemplateFile file = ReadTemplateFile(t.path(QStringLiteral("Format.qfd")));
    QCOMPARE(file.error, QStringLiteral("ファイルが見つかりません。"));
    QVERIFY(file.TKFormats.isEmpty());
}

// Every template shipped is a readable line in CP932 with CR LF, named, and
// a layout whose cards lie on an A4 sheet.
void TestTemplates::shippedFile() {
    const QString path = QStringLiteral(QUILLO_TEST_DATA "/../../data/Format.qfd");
    QFile raw(path);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
    QVERIFY(!Cp932::decode(bytes).contains(QChar::ReplacementCharacter));

    const TemplateFile file = ReadTemplateFile(path);
    QVERIFY(file.error.isEmpty());
    QCOMPARE(file.TKFormats.size(), bytes.count('\n'));
    QVERIFY(file.TKFormats.size() >= 15);
    QStringList names;
    for (const TKFormat& f : file.TKFormats) {
        const QString name = f.TKName.trimmed();
        QVERIFY2(!name.isEmpty() && !names.contains(name), qPrintable(name));
        names << name;
        for (const QString& field : f.fields)
            QVERIFY2(field.trimmed() == QStringLiteral("0") || f.value(TKFormat::YsY) > 0,
                     qPrintable(name));
        const double rows = f.value(TKFormat::MaisuY), columns = f.value(TKFormat::MaisuX);
        QVERIFY2(rows >= 1 && columns >= 1 && rows * columns <= 14, qPrintable(name));
        QCOMPARE(f.value(TKFormat::YsY), 297.0);
        QCOMPARE(f.value(TKFormat::YsX), 210.0);
        const double bottom = f.value(TKFormat::Yhktop) + rows * f.value(TKFormat::MsY) +
                              (rows - 1) * f.value(TKFormat::Kktop);
        const double right = f.value(TKFormat::YhkLeft) + columns * f.value(TKFormat::MsX) +
                             (columns - 1) * f.value(TKFormat::KkLeft);
        QVERIFY2(bottom <= 297 && right <= 210, qPrintable(name));
    }
    // The first template is the program's own default sheet.
    const PrintStyle defaults;
    QCOMPARE(valuesOf(file.TKFormats.first()),
             (QList<double>{defaults.YsY, defaults.YsX, defaults.MsY, defaults.MsX, defaults.Yhktop,
                            defaults.YhkLeft, defaults.Kktop, defaults.KkLeft,
                            double(defaults.MaisuY), double(defaults.MaisuX)}));
}

void TestTemplates::applyTemplate_data() {
    QTest::addColumn<QString>("rows");
    QTest::addColumn<int>("MaisuY");
    QTest::newRow("2.5 rows") << QStringLiteral(" 2.5") << 2;
    QTest::newRow("3.5 rows") << QStringLiteral(" 3.5") << 4;
    QTest::newRow("5 rows") << QStringLiteral("   5") << 5;
}

void TestTemplates::applyTemplate() {
    QFETCH(QString, rows);
    QFETCH(int, MaisuY);
    TestContext t;
    SheetLayout w;
    w.Load(*t.m); // the default A4 sheet: the largest row gap is 2.5
    w.IsfkY = 1.5;
    // A narrower sheet with an 8 mm row gap.
    const TKFormat k = Get_TKFormat(
        line(QStringLiteral(" 297 182  51  91   5   7   8  14") + rows + QStringLiteral("   1"), {}));
    ApplyTemplate(*t.m, w, k);
    QCOMPARE((QList<double>{w.YsY, w.YsX, w.MsY, w.MsX, w.Yhktop, w.YhkLeft, w.Kktop, w.KkLeft}),
             (QList<double>{297, 182, 51, 91, 5, 7, 8, 14}));
    QCOMPARE(int(w.MaisuY), MaisuY);
    QCOMPARE(int(w.MaisuX), 1);
    QCOMPARE(w.IsfkY, 1.5);
    // The printer's page was fitted to the new paper.
    QVERIFY(qAbs(w.Ikx - 182) < 0.1);
    QCOMPARE(t.m->card.PrnScaleW, w.Ikx);
    // The limits are the new sheet's: a step up widens the gap by 0.5 mm
    // instead of cutting it to the old sheet's 2.5.
    QVERIFY(!w.StepValue(*t.m, SheetField::Kktop, true));
    QCOMPARE(w.Kktop, 8.5);
}

QTEST_GUILESS_MAIN(TestTemplates)
#include "test_templates.moc"
