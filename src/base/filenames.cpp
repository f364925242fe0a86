#include "filenames.h"

#include <QFile>

#include <climits>

namespace {

constexpr char16_t KeptByteBase = 0xDC00;

bool isKeptByte(QChar c) {
    return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF;
}

// The length of the valid UTF-8 sequence at p (of n bytes), or 0.
int utf8Length(const uchar* p, qsizetype n) {
    const uchar b = p[0];
    int length = 0;
    char32_t least = 0;
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        length = 2, least = 0x80;
    else if (b >= 0xE0 && b <= 0xEF)
        length = 3, least = 0x800;
    else if (b >= 0xF0 && b <= 0xF4)
        length = 4, least = 0x10000;
    else
        return 0;
    if (n < length)
        return 0;
    char32_t ch = b & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        ch = ch << 6 | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    if (ch < least || (ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF)
        return 0;
    return length;
}

} // namespace

QString FileNameFromNative(const QByteArray& name) {
    const auto* p = reinterpret_cast<const uchar*>(name.constData());
    const qsizetype n = name.size();
    QString text;
    text.reserve(n);
    for (qsizetype i = 0; i < n;) {
        const int length = utf8Length(p + i, n - i);
        if (length == 0) {
            text.append(QChar(char16_t(KeptByteBase + p[i])));
            ++i;
            continue;
        }
        text.append(QString::fromUtf8(name.constData() + i, length));
        i += length;
    }
    return text;
}

QByteArray NativeFileName(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype from = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !isKeptByte(name.at(i)))
            continue;
        bytes += QFile::encodeName(name.mid(from, i - from));
        if (i < name.size())
            bytes += char(name.at(i).unicode() - KeptByteBase);
        from = i + 1;
    }
    return bytes;
}

QString FileNameProblem(const QString& path) {
    for (QChar c : path) {
        if (isKeptByte(c))
            return QStringLiteral("ファイル名に UTF-8 の文字でないバイトがあります。"
                                  "この名前では保存できません。");
    }
    const QByteArray native = NativeFileName(path);
    bool tooLong = native.size() >= PATH_MAX;
    for (const QByteArray& part : native.split('/'))
        tooLong = tooLong || part.size() > NAME_MAX;
    if (tooLong)
        return QStringLiteral(
                   "ファイル名が長すぎます（フォルダ名、ファイル名とも %1 バイトまで）。")
            .arg(NAME_MAX);
    return {};
}
