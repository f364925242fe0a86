#include "carddocument.h"

QString ConvertedPicture::keyOf(const Card& c) {
    return QStringLiteral("%1\n%2 %3 %4 %5")
        .arg(c.PicPath)
        .arg(c.PicColorMode)
        .arg(c.PicTint[0])
        .arg(c.PicTint[1])
        .arg(c.PicTint[2]);
}

void ConvertedPicture::set(const Card& card, QImage image) {
    m_key = keyOf(card);
    m_image = std::move(image);
    m_made = true;
}

void ConvertedPicture::clear() {
    m_key.clear();
    m_image = QImage();
    m_made = false;
}

CardDocument::CardDocument() : m_history(std::make_unique<CardHistory>(*this)) {}

CardDocument::~CardDocument() = default;

CardPart CardDocument::partOf(CardChange what) {
    switch (what) {
    case CardChange::Picture:
        return CardPart::Picture;
    case CardChange::PrintStyle:
    case CardChange::Orientation:
        return CardPart::PrintStyle;
    case CardChange::QrCode:
        return CardPart::QrCode;
    case CardChange::Logo:
        return CardPart::Logo;
    case CardChange::Merge:
        return CardPart::Merge;
    default:
        return CardPart::Line;
    }
}

void CardDocument::markChanged(CardChange what, int line, bool mergeable) {
    emit changed(partOf(what), line);
    m_history->record(what, line, mergeable);
}
