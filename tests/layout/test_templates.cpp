// The template file: fixed columns counted in characters, CP932 and line
// ends, a missing file, the shipped Format.qfd, a template applied.

#include "document/cp932.h"
#include "layout/sheetlayout.h"
#include "layout/templates.h"
#include "testcontext.h"

#include <QFile>
#include <QtTest>

namespace {

// Code, ten fields of four characters, 40 unread characters, the name.
QString line(const QString& fields, const QString& name, QChar unread = u' ') {
    return QStringLiteral("0001") + fields + QString(40, unread) + name;
}

const QString A4 = QStringLiteral(" 297 210  55  91  11  14   0   0   5   2");

QList<double> valuesOf(const TKFormat& t) {
    QList<double> v;
    for (int i = 0; i < TKFormat::FieldCount; ++i)
        v << t.value(TKFormat::Field(i));
    return v;
}

void addRow(const char* name, const QString& text, const QList<double>& values,
            const QString& tkName) {
    QTest::newRow(name) << text << values << tkName;
}

} // namespace

class TestTemplates : public QObject {
    Q_OBJECT
private slots:
    void columns_data();
    void columns();
    void readFile();
    void shippedFile();
    void applyTemplate();
};

void TestTemplates::columns_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<QString>("name");
    const QList<double> a4{297, 210, 55, 91, 11, 14, 0, 0, 5, 2};
    const QString sixty = QString(30, u'名') + QString(30, u'刺');
    addRow("full line", line(A4, QStringLiteral("エーワン 51003")), a4,
           QStringLiteral("エーワン 51003"));
    addRow("decimals, blanks either side, no number",
           line(QStringLiteral("297  21055.086.411.5 6.1abcd  -1   5 2.5"), QStringLiteral("x")),
           {297, 210, 55, 86.4, 11.5, 6.1, 0, -1, 5, 2.5}, QStringLiteral("x"));
    // Two-byte characters in the unread columns move nothing.
    addRow("Japanese before the name", line(A4, QStringLiteral("ヒサゴ"), u'　'), a4,
           QStringLiteral("ヒサゴ"));
    addRow("short line", QStringLiteral("0003 297 210  5"), {297, 210, 5, 0, 0, 0, 0, 0, 0, 0}, {});
    addRow("blank line", {}, QList<double>(10, 0), {});
    addRow("name of 60 characters", line(A4, sixty), a4, sixty.left(50));
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
    // CR LF and bare LF, a blank line, a last line without its line end; then
    // 50 short lines of 91 bytes, each of which is an entry.
    QByteArray bytes = *Cp932::encode(line(A4, QStringLiteral("コクヨ ①")) + "\r\n" +
                                      line(A4, "LF") + "\n\r\n" + line(A4, "last"));
    QByteArray shortLines;
    for (int i = 0; i < 50; ++i)
        shortLines += line(A4, QString::number(i).rightJustified(5)).toLatin1() + "\r\n";
    QCOMPARE(shortLines.size(), 50 * 91);
    const QList<std::pair<QByteArray, QStringList>> cases{
        {bytes, {QStringLiteral("コクヨ ①"), "LF", "", "last"}}, {shortLines, {"0", "1"}}};
    for (const auto& [content, first] : cases) {
        QFile f(t.path(QStringLiteral("t.qfd")));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        f.close();
        const TemplateFile file = ReadTemplateFile(f.fileName());
        QVERIFY(file.error.isEmpty());
        QCOMPARE(file.TKFormats.size(), content.count('\n') + (content.endsWith('\n') ? 0 : 1));
        for (int i = 0; i < first.size(); ++i)
            QCOMPARE(file.TKFormats[i].TKName.trimmed(), first[i]);
    }
    const TemplateFile missing = ReadTemplateFile(t.path(QStringLiteral("Format.qfd")));
    QCOMPARE(missing.error, QStringLiteral("ファイルが見つかりません。"));
    QVERIFY(missing.TKFormats.isEmpty());
}

// Every shipped template is a CP932 line ending in CR LF, named once, with
// its cards on an A4 sheet; the first is the program's own default.
void TestTemplates::shippedFile() {
    QFile raw(QStringLiteral(QUILLO_TEST_DATA "/../../data/Format.qfd"));
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    QVERIFY(bytes.endsWith("\r\n") && bytes.count("\r\n") == bytes.count('\n'));
    QVERIFY(!Cp932::decode(bytes).contains(QChar::ReplacementCharacter));

    const TemplateFile file = ReadTemplateFile(raw.fileName());
    QVERIFY(file.error.isEmpty() && file.TKFormats.size() >= 15);
    QStringList names;
    for (const TKFormat& f : file.TKFormats) {
        const QString name = f.TKName.trimmed();
        QVERIFY2(!name.isEmpty() && !names.contains(name), qPrintable(name));
        names << name;
        const auto v = [&](TKFormat::Field field) { return f.value(field); };
        const double rows = v(TKFormat::MaisuY), columns = v(TKFormat::MaisuX);
        const double bottom =
            v(TKFormat::Yhktop) + rows * v(TKFormat::MsY) + (rows - 1) * v(TKFormat::Kktop);
        const double right =
            v(TKFormat::YhkLeft) + columns * v(TKFormat::MsX) + (columns - 1) * v(TKFormat::KkLeft);
        QVERIFY2(rows >= 1 && columns >= 1 && rows * columns <= 14, qPrintable(name));
        QVERIFY2(v(TKFormat::YsY) == 297 && v(TKFormat::YsX) == 210, qPrintable(name));
        QVERIFY2(bottom <= 297 && right <= 210, qPrintable(name));
    }
    const PrintStyle s;
    QCOMPARE(valuesOf(file.TKFormats.first()),
             (QList<double>{s.YsY, s.YsX, s.MsY, s.MsX, s.Yhktop, s.YhkLeft, s.Kktop, s.KkLeft,
                            double(s.MaisuY), double(s.MaisuX)}));
}

void TestTemplates::applyTemplate() {
    TestContext t;
    SheetLayout w;
    w.Load(*t.printers, t.doc.card, t.app); // the default A4 sheet: its largest row gap is 2.5
    w.IsfkY = 1.5;
    // A narrower sheet with an 8 mm row gap; 2.5 rows and 3.5 columns.
    ApplyTemplate(*t.printers, t.doc.card, w,
                  Get_TKFormat(line(" 297 182  51  91   5   7   8  14 2.5 3.5", {})));
    QCOMPARE((QList<double>{w.YsY, w.YsX, w.MsY, w.MsX, w.Yhktop, w.YhkLeft, w.Kktop, w.KkLeft,
                            double(w.MaisuY), double(w.MaisuX), w.IsfkY}),
             (QList<double>{297, 182, 51, 91, 5, 7, 8, 14, 2, 4, 1.5}));
    // The printer's page was fitted to the new paper.
    QVERIFY(qAbs(w.Ikx - 182) < 0.1);
    QCOMPARE(t.doc.card.PrnScaleW, w.Ikx);
    // The limits are the new sheet's: a step widens the gap by 0.5 mm
    // instead of cutting it to the old sheet's 2.5.
    QVERIFY(!w.StepValue(*t.printers, t.doc.card, SheetField::Kktop, true));
    QCOMPARE(w.Kktop, 8.5);
}

QTEST_GUILESS_MAIN(TestTemplates)
#include "test_templates.moc"
