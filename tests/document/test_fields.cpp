#include "base/runtimeerror.h"
#include "document/cp932.h"
#include "document/fields.h"

#include <QtTest>

#include <cmath>

// The field reader and writer of card files, and the CP932 conversion.
class TestFields : public QObject {
    Q_OBJECT
private slots:
    void wholeNumbersRoundHalfToEven_data();
    void wholeNumbersRoundHalfToEven();
    void formatNumber_data();
    void formatNumber();
    void readsAcrossLineBreaks();
    void readNumbers_data();
    void readNumbers();
    void readErrors_data();
    void readErrors();
    void extremesReadBack_data();
    void extremesReadBack();
    void cp932RoundTrip_data();
    void cp932RoundTrip();
    void cp932InvalidBytes();
    void cp932Unencodable();
};

void TestFields::formatNumber_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("text");
    QTest::newRow("half") << 0.5 << 15 << ".5";
    QTest::newRow("negative quarter") << -0.25 << 15 << "-.25";
    QTest::newRow("whole") << 55.0 << 15 << "55";
    QTest::newRow("zero") << 0.0 << 15 << "0";
    QTest::newRow("negative zero") << -0.0 << 15 << "0";
    QTest::newRow("mixed") << 12.25 << 15 << "12.25";
    QTest::newRow("15 digits") << 240.0 / 56.7 << 15 << "4.23280423280423";
    QTest::newRow("15 whole digits") << 123456789012345.0 << 15 << "123456789012345";
    QTest::newRow("large") << 1e15 << 15 << "1E+15";
    QTest::newRow("small") << 0.00001 << 15 << "1E-05";
    QTest::newRow("small plain") << 0.0001 << 15 << ".0001";
    QTest::newRow("single") << double(10.1f) << 7 << "10.1";
    QTest::newRow("single third") << double(1.0f / 3.0f) << 7 << ".3333333";
    QTest::newRow("single large") << double(123456.7f) << 7 << "123456.7";
    // 15 digits of the largest double round up past it; what is written must
    // stay a double.
    QTest::newRow("largest double") << 1.7976931348623157e308 << 15 << "1.79769313486231E+308";
    QTest::newRow("most negative double")
        << -1.7976931348623157e308 << 15 << "-1.79769313486231E+308";
    QTest::newRow("rounding up to the limit")
        << 1.797693134862315e308 << 15 << "1.79769313486231E+308";
    QTest::newRow("largest single") << 3.4028234663852886e38 << 7 << "3.402823E+38";
}

void TestFields::formatNumber() {
    QFETCH(double, value);
    QFETCH(int, digits);
    QFETCH(QString, text);
    QCOMPARE(FieldWriter::formatNumber(value, digits), text);
}

void TestFields::readsAcrossLineBreaks() {
    FieldReader in(QStringLiteral("\"a,b\",1\r\n  2.5,#TRUE#\n\"\",-.25,\"x\"junk,7\r\n"));
    QCOMPARE(in.readString(), QStringLiteral("a,b"));
    QCOMPARE(in.readInteger(), std::int16_t(1));
    QCOMPARE(in.readDouble(), 2.5);
    QCOMPARE(in.readBoolean(), true);
    QCOMPARE(in.readString(), QString());
    QCOMPARE(in.readDouble(), -0.25);
    QCOMPARE(in.readString(), QStringLiteral("x"));
    QCOMPARE(in.readLong(), 7);
    QVERIFY(in.atEnd());
}

void TestFields::readNumbers_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("leading zero") << "0.5" << 0.5;
    QTest::newRow("negative") << "-.25" << -0.25;
    QTest::newRow("exponent") << "1E-05" << 0.00001;
    QTest::newRow("blanks") << "   42  " << 42.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("true") << "#TRUE#" << -1.0;
    QTest::newRow("false") << "#FALSE#" << 0.0;
}

void TestFields::readNumbers() {
    QFETCH(QString, field);
    QFETCH(double, value);
    FieldReader in(field + QStringLiteral(",9"));
    QCOMPARE(in.readDouble(), value);
    QCOMPARE(in.readDouble(), 9.0);
}

void TestFields::readErrors_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("number");
    QTest::newRow("past end") << "1,2"
                              << "DDD" << int(RuntimeError::InputPastEnd);
    QTest::newRow("blank lines only") << "\r\n\r\n"
                                      << "S" << int(RuntimeError::InputPastEnd);
    QTest::newRow("word for number") << "abc"
                                     << "D" << int(RuntimeError::TypeMismatch);
    QTest::newRow("string for number") << "\"12\""
                                       << "D" << int(RuntimeError::TypeMismatch);
    QTest::newRow("string for boolean") << "\"yes\""
                                        << "B" << int(RuntimeError::TypeMismatch);
    QTest::newRow("integer overflow") << "40000"
                                      << "I" << int(RuntimeError::Overflow);
    QTest::newRow("long overflow") << "3000000000"
                                   << "L" << int(RuntimeError::Overflow);
    QTest::newRow("single overflow") << "1E+300"
                                     << "F" << int(RuntimeError::Overflow);
    QTest::newRow("past the largest double") << "1.79769313486232E+308"
                                             << "D" << int(RuntimeError::Overflow);
    QTest::newRow("far past the largest double") << "-1E+999"
                                                 << "D" << int(RuntimeError::Overflow);
}

// Every field type at its extremes is written so that it reads back, and
// what is read back is written the same way again.
void TestFields::extremesReadBack_data() {
    QTest::addColumn<QChar>("kind");
    QTest::addColumn<double>("value");
    const double dmax = 1.7976931348623157e308;
    QTest::newRow("D largest") << QChar('D') << dmax;
    QTest::newRow("D most negative") << QChar('D') << -dmax;
    QTest::newRow("D smallest normal") << QChar('D') << 2.2250738585072014e-308;
    QTest::newRow("D smallest denormal") << QChar('D') << 4.9406564584124654e-324;
    QTest::newRow("D 15 nines") << QChar('D') << 999999999999999.9;
    QTest::newRow("F largest") << QChar('F') << 3.4028234663852886e38;
    QTest::newRow("F most negative") << QChar('F') << -3.4028234663852886e38;
    QTest::newRow("F smallest normal") << QChar('F') << 1.1754943508222875e-38;
    QTest::newRow("F smallest denormal") << QChar('F') << 1.401298464324817e-45;
    QTest::newRow("L largest") << QChar('L') << 2147483647.0;
    QTest::newRow("L smallest") << QChar('L') << -2147483648.0;
    QTest::newRow("I largest") << QChar('I') << 32767.0;
    QTest::newRow("I smallest") << QChar('I') << -32768.0;
    QTest::newRow("B true") << QChar('B') << -1.0;
}

void TestFields::extremesReadBack() {
    QFETCH(QChar, kind);
    QFETCH(double, value);
    auto write = [&](double v) {
        FieldWriter w;
        switch (kind.toLatin1()) {
        case 'D':
            w.writeDouble(v);
            break;
        case 'F':
            w.writeSingle(float(v));
            break;
        case 'L':
            w.writeLong(std::int32_t(v));
            break;
        case 'I':
            w.writeInteger(std::int16_t(v));
            break;
        case 'B':
            w.writeBoolean(v != 0);
            break;
        }
        w.endLine();
        return w.text();
    };
    auto read = [&](const QString& text) -> double {
        FieldReader in(text);
        switch (kind.toLatin1()) {
        case 'D':
            return in.readDouble();
        case 'F':
            return in.readSingle();
        case 'L':
            return in.readLong();
        case 'I':
            return in.readInteger();
        default:
            return in.readBoolean() ? -1 : 0;
        }
    };
    const QString written = write(value);
    double back = 0;
    try {
        back = read(written);
    } catch (const RuntimeError& e) {
        QFAIL(qPrintable(written + QStringLiteral(" does not read back: ") + e.message()));
    }
    // Within the digits written, and on the same side of zero.
    QVERIFY2(std::fabs(back - value) <= std::fabs(value) * 1e-6, qPrintable(written));
    QCOMPARE(back < 0, value < 0);
    QCOMPARE(write(back), written);
}

void TestFields::readErrors() {
    QFETCH(QString, text);
    QFETCH(QString, kind);
    QFETCH(int, number);
    FieldReader in(text);
    try {
        for (QChar k : kind) {
            switch (k.toLatin1()) {
            case 'S':
                in.readString();
                break;
            case 'D':
                in.readDouble();
                break;
            case 'F':
                in.readSingle();
                break;
            case 'I':
                in.readInteger();
                break;
            case 'L':
                in.readLong();
                break;
            case 'B':
                in.readBoolean();
                break;
            }
        }
        QFAIL("no error raised");
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), number);
    }
}

void TestFields::cp932RoundTrip_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << "abc,\"" << QByteArray("abc,\"");
    QTest::newRow("kabushiki") << "㈱" << QByteArray("\x87\x8a");
    QTest::newRow("wave dash") << "～" << QByteArray("\x81\x60");
    QTest::newRow("circled one") << "①" << QByteArray("\x87\x40");
    QTest::newRow("half-width kana") << "ﾎﾟｹﾍﾞﾙ" << QByteArray("\xce\xdf\xb9\xcd\xde\xd9");
    QTest::newRow("kanji") << "名刺" << QByteArray("\x96\xbc\x8e\x68");
}

void TestFields::cp932RoundTrip() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const auto encoded = Cp932::encode(text);
    QVERIFY(encoded.has_value());
    QCOMPARE(*encoded, bytes);
    QCOMPARE(Cp932::decode(bytes), text);
}

void TestFields::cp932InvalidBytes() {
    // 0xA0 is no CP932 character and 0x81 at the end lacks its second byte.
    const QString text = Cp932::decode(QByteArray("a\xa0"
                                                  "b\x81",
                                                  4));
    QCOMPARE(text, QStringLiteral("a\uFFFDb\uFFFD"));
}

void TestFields::cp932Unencodable() {
    QString bad;
    QVERIFY(!Cp932::encode(QStringLiteral("ok😀"), &bad).has_value());
    QCOMPARE(bad, QStringLiteral("😀"));
    QCOMPARE(Cp932::firstUnencodable(QStringLiteral("名刺€")), QStringLiteral("€"));
    QVERIFY(Cp932::firstUnencodable(QStringLiteral("名刺㈱")).isEmpty());
}

// A whole-number field holding a fraction is rounded, halves to the even
// neighbour.
void TestFields::wholeNumbersRoundHalfToEven_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow(".5") << ".5" << 0;
    QTest::newRow("1.5") << "1.5" << 2;
    QTest::newRow("2.5") << "2.5" << 2;
    QTest::newRow("3.5") << "3.5" << 4;
    QTest::newRow("-2.5") << "-2.5" << -2;
    QTest::newRow("-3.5") << "-3.5" << -4;
    QTest::newRow("2.51") << "2.51" << 3;
    QTest::newRow("2.49") << "2.49" << 2;
}

void TestFields::wholeNumbersRoundHalfToEven() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    FieldReader integers(text);
    QCOMPARE(int(integers.readInteger()), expected);
    FieldReader longs(text);
    QCOMPARE(int(longs.readLong()), expected);
}

QTEST_GUILESS_MAIN(TestFields)
#include "test_fields.moc"
