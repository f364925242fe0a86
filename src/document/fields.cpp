#include "fields.h"

#include "base/runtimeerror.h"

#include <cmath>
#include <limits>

namespace {

bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}
bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

} // namespace

bool FieldReader::atEnd() const {
    qsizetype p = m_pos;
    while (p < m_text.size() && (isBlank(m_text[p]) || isLineEnd(m_text[p])))
        ++p;
    return p >= m_text.size();
}

void FieldReader::skipDelimiter() {
    // Whatever stands between the end of a field and its delimiter is dropped.
    while (m_pos < m_text.size() && m_text[m_pos] != u',' && !isLineEnd(m_text[m_pos]))
        ++m_pos;
    if (m_pos >= m_text.size())
        return;
    if (m_text[m_pos] == u',') {
        ++m_pos;
        return;
    }
    if (m_text[m_pos] == u'\r')
        ++m_pos;
    if (m_pos < m_text.size() && m_text[m_pos] == u'\n')
        ++m_pos;
}

FieldReader::Field FieldReader::next() {
    // A field may begin on a later line; blank lines between fields are skipped.
    while (m_pos < m_text.size() && (isBlank(m_text[m_pos]) || isLineEnd(m_text[m_pos])))
        ++m_pos;
    if (m_pos >= m_text.size())
        throw RuntimeError(RuntimeError::InputPastEnd);

    Field f;
    if (m_text[m_pos] == u'"') {
        const qsizetype close = m_text.indexOf(u'"', m_pos + 1);
        const qsizetype end = close < 0 ? m_text.size() : close;
        f.text = m_text.mid(m_pos + 1, end - m_pos - 1);
        f.quoted = true;
        m_pos = close < 0 ? m_text.size() : close + 1;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != u',' && !isLineEnd(m_text[m_pos]))
            ++m_pos;
        f.text = m_text.mid(start, m_pos - start).trimmed();
    }
    skipDelimiter();
    return f;
}

QString FieldReader::readString() {
    return next().text;
}

double FieldReader::readNumber() {
    const Field f = next();
    if (f.quoted)
        throw RuntimeError(RuntimeError::TypeMismatch);
    if (f.text.isEmpty() || f.text == u"#FALSE#")
        return 0;
    if (f.text == u"#TRUE#")
        return -1;
    // Only plain decimal forms: digits with an optional sign, point and exponent.
    for (QChar c : f.text) {
        if (!(c.isDigit() || c == u'.' || c == u'-' || c == u'+' || c == u'E' || c == u'e'))
            throw RuntimeError(RuntimeError::TypeMismatch);
    }
    bool ok = false;
    const double v = f.text.toDouble(&ok);
    // A number past the largest double reads as an infinity: too large for
    // its type rather than not a number.
    if (!std::isfinite(v))
        throw RuntimeError(RuntimeError::Overflow);
    if (!ok)
        throw RuntimeError(RuntimeError::TypeMismatch);
    return v;
}

double FieldReader::readDouble() {
    return readNumber();
}

float FieldReader::readSingle() {
    const double v = readNumber();
    if (std::fabs(v) > double(std::numeric_limits<float>::max()))
        throw RuntimeError(RuntimeError::Overflow);
    return float(v);
}

std::int32_t FieldReader::readLong() {
    // Fractions round half to even, as the conversion to a whole number always did.
    const double v = std::nearbyint(readNumber());
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        throw RuntimeError(RuntimeError::Overflow);
    return std::int32_t(v);
}

std::int16_t FieldReader::readInteger() {
    const double v = std::nearbyint(readNumber());
    if (v < std::numeric_limits<std::int16_t>::min() ||
        v > std::numeric_limits<std::int16_t>::max())
        throw RuntimeError(RuntimeError::Overflow);
    return std::int16_t(v);
}

bool FieldReader::readBoolean() {
    return readNumber() != 0;
}

void FieldWriter::separate() {
    if (m_lineStarted)
        m_text.append(u',');
    m_lineStarted = true;
}

void FieldWriter::writeString(const QString& s) {
    separate();
    m_text.append(u'"');
    m_text.append(s);
    m_text.append(u'"');
}

void FieldWriter::writeDouble(double v) {
    separate();
    m_text.append(formatNumber(v, 15));
}

void FieldWriter::writeSingle(float v) {
    separate();
    m_text.append(formatNumber(double(v), 7));
}

void FieldWriter::writeLong(std::int32_t v) {
    separate();
    m_text.append(QString::number(v));
}

void FieldWriter::writeInteger(std::int16_t v) {
    separate();
    m_text.append(QString::number(v));
}

void FieldWriter::writeBoolean(bool v) {
    separate();
    m_text.append(v ? QStringLiteral("#TRUE#") : QStringLiteral("#FALSE#"));
}

void FieldWriter::endLine() {
    m_text.append(QStringLiteral("\r\n"));
    m_lineStarted = false;
}

QString FieldWriter::formatNumber(double v, int significantDigits) {
    if (v == 0 || !std::isfinite(v))
        return QStringLiteral("0");
    QString s = QString::asprintf("%.*G", significantDigits, v);
    // Rounded to the digits written, a value within a few units of the last
    // digit of the largest double is carried past it (1.79769313486232E+308)
    // and would not read back: such a value is written one step nearer zero.
    while (!std::isfinite(s.toDouble())) {
        v = std::nextafter(v, 0.0);
        s = QString::asprintf("%.*G", significantDigits, v);
    }
    if (s.startsWith(QLatin1String("0.")))
        s.remove(0, 1);
    else if (s.startsWith(QLatin1String("-0.")))
        s.remove(1, 1);
    return s;
}
