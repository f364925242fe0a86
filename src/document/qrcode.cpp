#include "qrcode.h"

#include <QRegularExpression>

#include <qrencode.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <memory>

namespace {

// The lines by their fixed roles.
enum Role {
    Name = 0,
    Company = 1,
    Department = 2,
    Position = 3,
    Address = 4,
    Phone = 5,
    Fax = 6,
    Mobile = 7,
    Pager = 8,
    Email = 9,
};

bool inVCard(const Card& card, int line) {
    const int mask = QrLineMask(card.Qr.Lines);
    return mask == 0 || (mask >> line & 1) != 0;
}

// A line's text as the vCard takes it: empty for a line the user left out.
QString lineText(const Card& card, int line) {
    return inVCard(card, line) ? card.TextItems[line].Text.trimmed() : QString();
}

// Text values escape the backslash, the comma, the semicolon and line breaks.
QString escaped(QString text) {
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u',', QStringLiteral("\\,"));
    text.replace(u';', QStringLiteral("\\;"));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
    text.replace(u'\n', QStringLiteral("\\n"));
    text.replace(u'\r', QStringLiteral("\\n"));
    return text;
}

// A printed number usually carries its label ("TEL 03-1234-5678",
// "ＴＥＬ：０３－…"): the number is what lies from its first digit, "+" or
// "(" to its last digit, in half-width form. Empty without a digit.
QString phoneNumber(const QString& text) {
    const QString plain = text.normalized(QString::NormalizationForm_KC);
    const qsizetype first = plain.indexOf(QRegularExpression(QStringLiteral("[0-9+(]")));
    const qsizetype last = plain.lastIndexOf(QRegularExpression(QStringLiteral("[0-9]")));
    if (first < 0 || last < first)
        return {};
    return plain.mid(first, last - first + 1);
}

// A phone line: its number, and its extension (内線123, ext. 123), which a
// phone would dial as part of the number if it stayed in it.
struct PhoneLine {
    QString number;
    QString extension;
};

PhoneLine phoneLine(const QString& text) {
    static const QRegularExpression extension(
        QStringLiteral("(内線|(?<![a-z])ext(?:ension|n)?\\.?)\\s*[:.]?\\s*[0-9]+(?:-[0-9]+)*"),
        QRegularExpression::CaseInsensitiveOption);
    const QString plain = text.normalized(QString::NormalizationForm_KC);
    const QRegularExpressionMatch match = extension.match(plain);
    if (!match.hasMatch())
        return {phoneNumber(plain), {}};
    qsizetype from = match.capturedStart();
    qsizetype to = match.capturedEnd();
    // An extension in brackets takes its brackets along: 03-1234-5678 (内線12).
    qsizetype before = from;
    while (before > 0 && plain[before - 1].isSpace())
        --before;
    qsizetype after = to;
    while (after < plain.size() && plain[after].isSpace())
        ++after;
    if (before > 0 && plain[before - 1] == u'(' && after < plain.size() && plain[after] == u')') {
        from = before - 1;
        to = after + 1;
    }
    return {phoneNumber(plain.left(from) + u' ' + plain.mid(to)), match.captured(0)};
}

// An address: the postal code after its mark 〒 (100-0001, in half-width
// digits) and the rest of the address without it.
struct PostalAddress {
    QString street;
    QString postalCode;
};

PostalAddress postalAddress(const QString& text) {
    static const QRegularExpression postal(
        QStringLiteral("〒\\s*([0-9０-９]{3})\\s*[-－‐‑–—―−ー]?\\s*([0-9０-９]{4})"),
        QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch match = postal.match(text);
    if (!match.hasMatch())
        return {text, {}};
    const auto digits = [&](int group) {
        return match.captured(group).normalized(QString::NormalizationForm_KC);
    };
    return {(text.left(match.capturedStart()) + u' ' + text.mid(match.capturedEnd())).trimmed(),
            digits(1) + u'-' + digits(2)};
}

// The address in an E-Mail line, without a label such as "E-mail:".
QString emailAddress(const QString& text) {
    const QString plain = text.normalized(QString::NormalizationForm_KC);
    for (QString word : plain.split(QRegularExpression(QStringLiteral("\\s+")))) {
        if (!word.contains(u'@'))
            continue;
        word = word.mid(word.lastIndexOf(u':') + 1);
        return word.contains(u'@') ? word : QString();
    }
    return {};
}

// The first web address on the card, line by line: a word that starts with
// "http://", "https://" or "www." (not the domain of a mail address).
QString webAddress(const Card& card) {
    static const QRegularExpression web(QStringLiteral("(?<![\\w@.\\-])(https?://|www\\.)\\S+"),
                                        QRegularExpression::CaseInsensitiveOption);
    for (int i = 0; i < LineCount; ++i) {
        if (!inVCard(card, i))
            continue;
        const QString plain = card.TextItems[i].Text.normalized(QString::NormalizationForm_KC);
        const QRegularExpressionMatch match = web.match(plain);
        if (!match.hasMatch())
            continue;
        const QString url = match.captured(0);
        return url.startsWith(QStringLiteral("www."), Qt::CaseInsensitive)
                   ? QStringLiteral("http://") + url
                   : url;
    }
    return {};
}

} // namespace

QStringList QrLevelNames() {
    return {QStringLiteral("L (7%)"), QStringLiteral("M (15%)"), QStringLiteral("Q (25%)"),
            QStringLiteral("H (30%)")};
}

QrCode DefaultQrCode(double W, double H) {
    QrCode q;
    q.On = true;
    q.Content = std::int16_t(QrContent::VCard);
    q.Level = 1;
    q.Side = 20;
    q.Left = W - q.Side - 2;
    q.Top = 1;
    KeepQrOnCard(q, W, H);
    return q;
}

QString VCardOf(const Card& card) {
    QStringList lines;
    const auto add = [&](const QString& property, const QString& value) {
        if (!value.isEmpty())
            lines << property + u':' + value;
    };
    const QString name = lineText(card, Name);
    const QString company = lineText(card, Company);
    const QString department = lineText(card, Department);
    const QString position = lineText(card, Position);
    const PostalAddress address = postalAddress(lineText(card, Address));
    PhoneLine phones[4];
    QStringList notes;
    for (int role : {Phone, Fax, Mobile, Pager}) {
        PhoneLine& phone = phones[role - Phone];
        phone = phoneLine(lineText(card, role));
        // A phone reads a number as dialled: the extension is for the reader.
        if (!phone.extension.isEmpty())
            notes << TabCaption(role) + u' ' + phone.extension;
    }
    const QString email = emailAddress(lineText(card, Email));
    const QString url = webAddress(card);

    bool any = !url.isEmpty() || !email.isEmpty();
    for (const QString& text :
         {name, company, department, position, address.street, address.postalCode})
        any = any || !text.isEmpty();
    for (const PhoneLine& phone : phones)
        any = any || !phone.number.isEmpty();
    if (!any)
        return {};

    // N and FN are required. A Japanese name is written family name first,
    // the two parts usually parted by a blank, a full-width one as often as
    // not; without one it is all family name. A card without a name is known
    // by its company.
    static const QRegularExpression blanks(QStringLiteral("\\s+"),
                                           QRegularExpression::UseUnicodePropertiesOption);
    const QStringList parts = name.split(blanks);
    const QString family = parts.value(0);
    const QString given = parts.mid(1).join(u' ');
    lines << QStringLiteral("BEGIN:VCARD") << QStringLiteral("VERSION:3.0");
    lines << QStringLiteral("N:%1;%2;;;").arg(escaped(family), escaped(given));
    lines << QStringLiteral("FN:") + escaped(!name.isEmpty()      ? name
                                             : !company.isEmpty() ? company
                                                                  : department);
    if (!company.isEmpty() || !department.isEmpty())
        lines << QStringLiteral("ORG:") + escaped(company) +
                     (department.isEmpty() ? QString() : u';' + escaped(department));
    add(QStringLiteral("TITLE"), escaped(position));
    if (!address.street.isEmpty() || !address.postalCode.isEmpty())
        lines << QStringLiteral("ADR;TYPE=WORK:;;%1;;;%2;")
                     .arg(escaped(address.street), escaped(address.postalCode));
    add(QStringLiteral("TEL;TYPE=WORK"), escaped(phones[0].number));
    add(QStringLiteral("TEL;TYPE=FAX"), escaped(phones[1].number));
    add(QStringLiteral("TEL;TYPE=CELL"), escaped(phones[2].number));
    add(QStringLiteral("TEL;TYPE=PAGER"), escaped(phones[3].number));
    add(QStringLiteral("EMAIL"), escaped(email));
    add(QStringLiteral("URL"), url); // a URI, not text: nothing to escape
    add(QStringLiteral("NOTE"), escaped(notes.join(u'\n')));
    lines << QStringLiteral("END:VCARD");
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString QrText(const Card& card) {
    const QrCode& q = card.Qr;
    if (q.Content == std::int16_t(QrContent::LineText))
        return q.Line >= 0 && q.Line < LineCount ? card.TextItems[q.Line].Text : QString();
    return VCardOf(card);
}

bool QrColorDarkEnough(quint32 rgb) {
    const QColor c = ColorFromRgb(rgb);
    return 299 * c.red() + 587 * c.green() + 114 * c.blue() <= 1000 * QrDarkestLuma;
}

double QrSmallestSide(int modules) {
    return (modules + 2 * QrQuietModules) * QrMinModuleMm;
}

QrResult MakeQrCode(const Card& card) {
    QrResult result;
    const QrCode& q = card.Qr;
    const QByteArray text = QrText(card).toUtf8();
    if (text.isEmpty()) {
        result.problem =
            q.Content == std::int16_t(QrContent::LineText)
                ? QStringLiteral("QRコードにする「%1」の行が空です。").arg(TabCaption(q.Line))
                : QStringLiteral("QRコードにする連絡先がありません。");
        return result;
    }
    if (!QrColorDarkEnough(quint32(q.Color))) {
        result.problem =
            QStringLiteral("QRコードの色が明るすぎて、読み取れません。濃い色を選んでください。");
        return result;
    }
    static const QRecLevel levels[] = {QR_ECLEVEL_L, QR_ECLEVEL_M, QR_ECLEVEL_Q, QR_ECLEVEL_H};
    const QRecLevel level = levels[std::clamp<int>(q.Level, 0, 3)];
    // QR_MODE_8 keeps every byte as it is (UTF-8); digits and capitals still
    // go into their denser modes.
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.constData(), 0, level, QR_MODE_8, 1), &QRcode_free);
    if (!code) {
        result.problem = errno == ERANGE
                             ? QStringLiteral("QRコードの内容が多すぎます (%1 バイト)。"
                                              "内容を減らすか、誤り訂正のレベルを下げてください。")
                                   .arg(text.size())
                             : QStringLiteral("QRコードを作れませんでした。");
        return result;
    }
    result.symbol.width = code->width;
    result.symbol.dark.resize(std::size_t(code->width) * code->width);
    for (std::size_t i = 0; i < result.symbol.dark.size(); ++i)
        result.symbol.dark[i] = (code->data[i] & 1) != 0;
    result.moduleMm = q.Side / (code->width + 2 * QrQuietModules);
    // Compared in hundredths of a millimetre, so that a side typed to the
    // tenth is not refused for a rounding error.
    const double needed = QrSmallestSide(code->width);
    if (std::lround(q.Side * 100) < std::lround(needed * 100))
        result.problem =
            QStringLiteral("QRコードの内容が一辺 %1 mm には多すぎます。紙から読み取れる"
                           "大きさにするには一辺 %2 mm 以上が必要です。")
                .arg(QString::number(q.Side, 'f', 1),
                     QString::number(std::ceil(needed * 10) / 10, 'f', 1)) +
            (q.Content == std::int16_t(QrContent::VCard)
                 ? QStringLiteral("入れる行を減らすこともできます。")
                 : QString());
    return result;
}

void KeepQrOnCard(QrCode& q, double W, double H) {
    q.Side = std::max(0.0, std::min(q.Side, std::min(W, H) - 3));
    if (q.Left + q.Side + 2 > W)
        q.Left = W - q.Side - 2;
    if (q.Left < 1)
        q.Left = 1;
    if (q.Top + q.Side + 2 > H)
        q.Top = H - q.Side - 2;
    if (q.Top < 1)
        q.Top = 1;
}
