#pragma once

#include <QString>
#include <cstdint>

// Reads the comma-separated fields of a card file one after another,
// regardless of line breaks: a comma or a line end ends an unquoted field, a
// quoted field ends at the next double quote, leading blanks of an unquoted
// field are skipped. Errors are thrown as RuntimeError: 62 past the end,
// 13 a field of the wrong type, 6 a number too large for its type.
class FieldReader {
public:
    explicit FieldReader(QString text) : m_text(std::move(text)) {}

    QString readString();
    double readDouble();
    float readSingle();
    std::int32_t readLong();
    std::int16_t readInteger();
    bool readBoolean();

    bool atEnd() const;

private:
    struct Field {
        QString text;
        bool quoted = false;
    };
    Field next();
    double readNumber();
    void skipDelimiter();

    QString m_text;
    qsizetype m_pos = 0;
};

// Writes the fields of a card file: strings in double quotes, booleans as
// "#TRUE#"/"#FALSE#", numbers in plain decimal without the zero before the
// point (".5", "-.25"), lines ended by CR LF.
class FieldWriter {
public:
    void writeString(const QString& s);
    void writeDouble(double v);
    void writeSingle(float v);
    void writeLong(std::int32_t v);
    void writeInteger(std::int16_t v);
    void writeBoolean(bool v);
    void endLine();

    const QString& text() const { return m_text; }

    // A number with at most the given significant digits, as written in files.
    static QString formatNumber(double v, int significantDigits);

private:
    void separate();

    QString m_text;
    bool m_lineStarted = false;
};
