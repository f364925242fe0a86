#include "mergesource.h"

#include "document/qrcode.h"
#include "editor/itemlayout.h"

#include <QHash>

#include <algorithm>
#include <limits>

MergeSource::MergeSource(const Card& card, QImage picture, DecodedLogo logo, const StaffList& list,
                         QList<int> records, bool oneEach, int sheetsEach, int positionsPerSheet)
    : m_template(card), m_picture(std::move(picture)), m_logo(std::move(logo)), m_list(list),
      m_records(std::move(records)), m_oneEach(oneEach), m_sheetsEach(std::max(1, sheetsEach)),
      m_positions(std::max(1, positionsPerSheet)) {}

int MergeSource::sheetCount() const {
    const qsizetype people = m_records.size();
    if (m_oneEach)
        return int((people + m_positions - 1) / m_positions);
    return int(std::min<qsizetype>(people * m_sheetsEach, std::numeric_limits<int>::max()));
}

int MergeSource::cardAt(int sheet, int position) const {
    if (m_oneEach) {
        const qint64 index = qint64(sheet) * m_positions + position;
        return position < m_positions && index < m_records.size() ? int(index) : -1;
    }
    return sheet / m_sheetsEach;
}

const Card& MergeSource::card(int index) const {
    if (index != m_made) {
        m_card = PersonCard(m_template, m_list, m_records.value(index, -1));
        m_made = index;
    }
    return m_card;
}

Card PersonCard(const Card& card, const StaffList& list, int record, QList<int>* pastTheCard) {
    static const QStringList none;
    const QStringList& values =
        record >= 0 && size_t(record) < list.rows.size() ? list.rows[size_t(record)] : none;
    Card person = MergeCard(card, list, values);
    const QList<int> past = PlaceCardLines(person);
    if (pastTheCard)
        *pastTheCard = past;
    return person;
}

QStringList PersonFileNames(const Card& card, const StaffList& list, const QList<int>& records) {
    QStringList names;
    QHash<QString, int> seen;
    for (int record : records) {
        QString name =
            MergeText(card.TextItems[0].Text, list,
                      record >= 0 && size_t(record) < list.rows.size() ? list.rows[size_t(record)]
                                                                       : QStringList());
        for (QChar& c : name)
            if (c == u'/' || c.category() == QChar::Other_Control)
                c = u'_';
        name = name.trimmed().left(80);
        if (name.isEmpty() || name == u"." || name == u"..")
            name = QStringLiteral("名前なし");
        const int n = ++seen[name];
        names.append(n == 1 ? name + QStringLiteral(".pdf")
                            : QStringLiteral("%1 (%2).pdf").arg(name).arg(n));
    }
    return names;
}

QString MergeProblem(const Card& card, const StaffList& list, int record) {
    QList<int> past;
    const Card person = PersonCard(card, list, record, &past);
    QStringList problems;
    for (int line : past)
        problems.append(QStringLiteral("%1が名刺に収まりません").arg(TabCaption(line)));
    if (person.Qr.On) {
        const QrResult code = MakeQrCode(person);
        if (!code.drawable())
            problems.append(code.problem);
    }
    return problems.join(QStringLiteral("、"));
}
