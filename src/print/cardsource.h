#pragma once

#include "document/card.h"
#include "document/cardlogo.h"

#include <QImage>

// The cards of a print job: which card stands at each position of each
// sheet, and the picture it is printed with. The print routines and the
// preview take a source, so that a job can print the open card at every
// position or another card at each.
class CardSource {
public:
    virtual ~CardSource() = default;
    // The sheets of the job.
    virtual int sheetCount() const = 0;
    // The cards the source holds, numbered from 0.
    virtual int cardCount() const = 0;
    // The number of the card at a position of a sheet, both counted from 0,
    // the positions in the order of the sheet plan (row by row, each row
    // left to right); -1 leaves the position empty: no card and no marks.
    virtual int cardAt(int sheet, int position) const = 0;
    // Card number index; the reference may only be used until the next call.
    virtual const Card& card(int index) const = 0;
    // The converted picture of card number index; null for none.
    virtual QImage pictureOf(int index) const = 0;
    // The decoded logo of card number index; null for none. The same logo
    // at every position, so that a PDF stores its picture once.
    virtual DecodedLogo logoOf(int index) const = 0;
    // Whether card number index is upright (縦型名刺); a source that can
    // tell without making the card says so here.
    virtual bool isUpright(int index) const { return card(index).Upright; }
};

// One card at every position of every sheet.
class SameCardSource final : public CardSource {
public:
    SameCardSource(const Card& card, QImage picture, DecodedLogo logo, int sheets)
        : m_card(card), m_picture(std::move(picture)), m_logo(std::move(logo)), m_sheets(sheets) {}
    int sheetCount() const override { return m_sheets; }
    int cardCount() const override { return 1; }
    int cardAt(int, int) const override { return 0; }
    const Card& card(int) const override { return m_card; }
    QImage pictureOf(int) const override { return m_picture; }
    DecodedLogo logoOf(int) const override { return m_logo; }

private:
    const Card& m_card;
    QImage m_picture;
    DecodedLogo m_logo;
    int m_sheets;
};
