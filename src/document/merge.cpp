#include "merge.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const QRegularExpression& fieldPattern() {
    // {name} or ｛name｝, the name without braces or line breaks.
    static const QRegularExpression pattern(
        QStringLiteral("[{\\x{FF5B}]([^{}\\x{FF5B}\\x{FF5D}\\r\\n]+)[}\\x{FF5D}]"));
    return pattern;
}

QList<int> parseNumbers(const QString& text) {
    QList<int> numbers;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        const QStringList range = part.split(u'-');
        bool ok1 = false, ok2 = false;
        const int first = range.value(0).toInt(&ok1);
        const int last = range.size() == 2 ? range[1].toInt(&ok2) : first;
        if (!ok1 || (range.size() == 2 && !ok2) || range.size() > 2 || first < 1 || last < first)
            continue;
        // A stored range cannot make the program count to the end of int.
        for (int n = first; n <= std::min(last, first + 10'000'000); ++n)
            numbers.append(n);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

QString formatNumbers(QList<int> numbers) {
    std::sort(numbers.begin(), numbers.end());
    QStringList parts;
    for (qsizetype i = 0; i < numbers.size();) {
        qsizetype j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] <= numbers[j] + 1)
            ++j;
        parts.append(j == i ? QString::number(numbers[i])
                            : QStringLiteral("%1-%2").arg(numbers[i]).arg(numbers[j]));
        i = j + 1;
    }
    return parts.join(u',');
}

} // namespace

QString FormatMergeSettings(const MergeSettings& s) {
    if (s.file.isEmpty())
        return {};
    return QStringLiteral("sheets=%1;each=%2;skip=%3;file=%4")
        .arg(s.sheets)
        .arg(s.oneEach ? 1 : 0)
        .arg(formatNumbers(s.skipped), s.file);
}

MergeSettings ParseMergeSettings(const QString& stored) {
    MergeSettings s;
    const qsizetype file = stored.indexOf(QStringLiteral("file="));
    if (file < 0)
        return s;
    s.file = stored.mid(file + 5);
    for (const QString& item : stored.left(file).split(u';', Qt::SkipEmptyParts)) {
        const QString key = item.section(u'=', 0, 0);
        const QString value = item.section(u'=', 1);
        if (key == u"sheets")
            s.sheets = std::clamp(value.toInt(), 1, MaxMergeSheets);
        else if (key == u"each")
            s.oneEach = value == u"1";
        else if (key == u"skip")
            s.skipped = parseNumbers(value);
    }
    return s;
}

QList<int> SelectedRecords(const MergeSettings& s, int count) {
    QList<int> selected;
    selected.reserve(count);
    qsizetype k = 0;
    for (int i = 0; i < count; ++i) {
        while (k < s.skipped.size() && s.skipped[k] < i + 1)
            ++k;
        if (k < s.skipped.size() && s.skipped[k] == i + 1)
            continue;
        selected.append(i);
    }
    return selected;
}

QStringList FieldsOf(const QString& text) {
    QStringList fields;
    for (auto it = fieldPattern().globalMatch(text); it.hasNext();)
        fields.append(it.next().captured(1));
    return fields;
}

bool CardHasFields(const Card& card) {
    for (int k = 0; k < LineCount; ++k)
        if (!FieldsOf(card.TextItems[k].Text).isEmpty())
            return true;
    return false;
}

QString MergeText(const QString& text, const StaffList& list, const QStringList& record) {
    if (!text.contains(u'{') && !text.contains(QChar(0xFF5B)))
        return text;
    QString merged;
    qsizetype from = 0;
    for (auto it = fieldPattern().globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const int column = list.columnOf(m.captured(1));
        if (column < 0)
            continue;
        merged += QStringView(text).mid(from, m.capturedStart() - from);
        QString value = record.value(column);
        value.replace(QStringLiteral("\r\n"), QStringLiteral("\u3000"));
        value.replace(u'\r', QChar(0x3000));
        value.replace(u'\n', QChar(0x3000));
        merged += value;
        from = m.capturedEnd();
    }
    merged += QStringView(text).mid(from);
    return merged;
}

QStringList UnknownFields(const Card& card, const StaffList& list) {
    QStringList unknown;
    for (int k = 0; k < LineCount; ++k) {
        const QString& text = card.TextItems[k].Text;
        for (const QString& field : FieldsOf(text)) {
            if (list.columnOf(field) < 0) {
                unknown.append(QStringLiteral("%1「%2」").arg(TabCaption(k), text));
                break;
            }
        }
    }
    return unknown;
}

Card MergeCard(const Card& card, const StaffList& list, const QStringList& record) {
    Card merged = card;
    for (int k = 0; k < LineCount; ++k) {
        TextItem& t = merged.TextItems[k];
        t.Text = MergeText(t.Text, list, record);
        if (!IsCondensedScale(t.WidthScale))
            t.WidthScale = FitToCard;
    }
    merged.Merge.clear();
    return merged;
}
