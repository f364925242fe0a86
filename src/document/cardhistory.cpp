#include "cardhistory.h"

#include "carddocument.h"

#include <QUndoCommand>

// One change: the card before and after it. The change is already made when
// the step is pushed, so its first redo does nothing.
class CardStep : public QUndoCommand {
public:
    CardStep(CardHistory& history, Card before, Card after, int key, int generation)
        : QUndoCommand(), h(history), m_before(std::move(before)), m_after(std::move(after)),
          m_key(key), m_generation(generation) {}

    void undo() override { h.apply(m_before); }
    void redo() override {
        if (m_pushed)
            h.apply(m_after);
        m_pushed = true;
    }
    int id() const override { return m_key; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const CardStep*>(other);
        if (next->m_generation != m_generation)
            return false;
        m_after = next->m_after;
        // Typing that ends where it began is no change at all.
        setObsolete(m_after == m_before);
        return true;
    }

private:
    CardHistory& h;
    Card m_before;
    Card m_after;
    int m_key;
    int m_generation;
    bool m_pushed = false;
};

CardHistory::CardHistory(CardDocument& doc) : m_doc(doc) {
    connect(&m_stack, &QUndoStack::indexChanged, this, &CardHistory::syncChanged);
    connect(&m_stack, &QUndoStack::cleanChanged, this, &CardHistory::syncChanged);
}

QString CardHistory::stepName(CardChange what) {
    switch (what) {
    case CardChange::Text:
        return QStringLiteral("文字の入力");
    case CardChange::FontName:
        return QStringLiteral("ﾌｫﾝﾄ名");
    case CardChange::FontSize:
        return QStringLiteral("ｻｲｽﾞ");
    case CardChange::Style:
        return QStringLiteral("文字飾り");
    case CardChange::Color:
        return QStringLiteral("色");
    case CardChange::Position:
        return QStringLiteral("位置");
    case CardChange::Kage:
        return QStringLiteral("立体文字");
    case CardChange::KageHeight:
        return QStringLiteral("立体文字の高さ");
    case CardChange::Picture:
        return QStringLiteral("画像");
    case CardChange::PrintStyle:
        return QStringLiteral("印刷スタイル");
    case CardChange::QrCode:
        return QStringLiteral("QRコード");
    case CardChange::Logo:
        return QStringLiteral("ロゴ");
    case CardChange::WidthScale:
        return QStringLiteral("長体");
    case CardChange::Merge:
        return QStringLiteral("差し込み印刷");
    case CardChange::Orientation:
        return QStringLiteral("縦型名刺");
    }
    return {};
}

void CardHistory::reset() {
    m_stack.clear();
    m_stack.setClean();
    m_committed = m_doc.card;
    ++m_generation;
    syncChanged();
}

void CardHistory::markSaved() {
    m_stack.setClean();
    m_committed = m_doc.card;
    ++m_generation;
    syncChanged();
}

void CardHistory::record(CardChange what, int line, bool mergeable) {
    if (m_doc.card == m_committed)
        return;
    // Only typing merges; every other change is a step of its own.
    const int key = mergeable ? int(what) * 100 + line + 1 : -1;
    auto* step = new CardStep(*this, m_committed, m_doc.card, key, m_generation);
    step->setText(stepName(what));
    m_committed = m_doc.card;
    m_stack.push(step);
    syncChanged();
}

void CardHistory::apply(const Card& card) {
    const bool pictureChanged = card.PicPath != m_doc.card.PicPath ||
                                card.PicColorMode != m_doc.card.PicColorMode ||
                                card.PicTint != m_doc.card.PicTint;
    const bool styleChanged = !(card.PrintStyle == m_doc.card.PrintStyle);
    int line = -1;
    for (int k = 0; k < LineCount && line < 0; ++k)
        if (!(card.TextItems[k] == m_doc.card.TextItems[k]))
            line = k;
    m_doc.card = card;
    m_committed = card;
    ++m_generation;
    emit restored(pictureChanged, styleChanged, line);
    m_doc.announce(CardPart::Whole, line);
    // What the editor measured while showing the card is part of it now.
    m_committed = m_doc.card;
}

void CardHistory::syncChanged() {
    m_doc.ChangedFlg = m_stack.isClean() ? 0 : 1;
}
