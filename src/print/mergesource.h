#pragma once

#include "cardsource.h"
#include "document/merge.h"

#include <QList>

// The people of a staff list, each on a card of their own: the card with
// their record merged into its lines and every line fitted to the card. One
// person's card is made at a time, so a job of any length needs the memory
// of one card.
class MergeSource final : public CardSource {
public:
    // records: the indices of the people printed, in order. With oneEach,
    // one card each, filling the positions of each sheet in order (the last
    // sheet may stay partly empty); otherwise `sheetsEach` sheets each.
    MergeSource(const Card& card, QImage picture, DecodedLogo logo, const StaffList& list,
                QList<int> records, bool oneEach, int sheetsEach, int positionsPerSheet);

    int sheetCount() const override;
    int cardCount() const override { return int(m_records.size()); }
    int cardAt(int sheet, int position) const override;
    const Card& card(int index) const override;
    QImage pictureOf(int) const override { return m_picture; }
    DecodedLogo logoOf(int) const override { return m_logo; }
    bool isUpright(int) const override { return m_template.Upright; }

    // The record (index into the list) of card number index.
    int recordOf(int index) const { return m_records.value(index, -1); }

private:
    const Card& m_template;
    QImage m_picture;
    DecodedLogo m_logo;
    const StaffList& m_list;
    QList<int> m_records;
    bool m_oneEach;
    int m_sheetsEach;
    int m_positions;
    mutable int m_made = -1;
    mutable Card m_card;
};

// The person's card as it is printed: merged, its lines placed and fitted.
// pastTheCard receives the lines that do not fit the card even condensed.
Card PersonCard(const Card& card, const StaffList& list, int record,
                QList<int>* pastTheCard = nullptr);

// The file name of each person's own PDF: the merged name line with what a
// file name cannot hold replaced, "名前なし" when it is empty, and " (2)",
// " (3)" … after a name that came before.
QStringList PersonFileNames(const Card& card, const StaffList& list, const QList<int>& records);

// Why a person's card cannot be printed as it should: a line that does not
// fit the card even condensed to 50 %, a QR code that cannot be made. Empty
// when it can.
QString MergeProblem(const Card& card, const StaffList& list, int record);
