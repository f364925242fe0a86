#include "cp932.h"

#include <cerrno>
#include <iconv.h>

namespace {

// One iconv conversion descriptor for the duration of a call.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_cd; }

private:
    iconv_t m_cd;
};

} // namespace

namespace Cp932 {

QString decode(const QByteArray& bytes) {
    Converter cv("UTF-16LE", "CP932");
    if (!cv.valid())
        return QString::fromLatin1(bytes);
    QString out;
    out.reserve(bytes.size());
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char16_t buffer[4096];
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cv.handle(), &in, &inLeft, &outPtr, &outLeft);
        out.append(QStringView(buffer, (sizeof buffer - outLeft) / sizeof(char16_t)));
        if (r == size_t(-1)) {
            if (errno == E2BIG)
                continue;
            // An invalid or incomplete sequence: one replacement character for
            // the offending byte, then go on with the next.
            out.append(QChar(QChar::ReplacementCharacter));
            ++in;
            --inLeft;
            iconv(cv.handle(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

static bool encodeInto(const QString& text, QByteArray* out, QString* badChar) {
    Converter cv("CP932", "UTF-16LE");
    if (!cv.valid())
        return false;
    QByteArray source(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    char* in = source.data();
    size_t inLeft = size_t(source.size());
    out->clear();
    out->reserve(text.size() * 2);
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cv.handle(), &in, &inLeft, &outPtr, &outLeft);
        out->append(buffer, int(sizeof buffer - outLeft));
        if (r == size_t(-1) && errno != E2BIG) {
            if (badChar) {
                const qsizetype index = (source.size() - qsizetype(inLeft)) / 2;
                const QChar c = text.at(index);
                *badChar = (c.isHighSurrogate() && index + 1 < text.size()) ? text.mid(index, 2)
                                                                            : QString(c);
            }
            return false;
        }
    }
    return true;
}

std::optional<QByteArray> encode(const QString& text, QString* badChar) {
    QByteArray out;
    if (!encodeInto(text, &out, badChar))
        return std::nullopt;
    return out;
}

QString firstUnencodable(const QString& text) {
    QByteArray out;
    QString bad;
    if (encodeInto(text, &out, &bad))
        return {};
    return bad;
}

} // namespace Cp932
