#pragma once

#include "card.h"

#include <QObject>
#include <QUndoStack>

class CardDocument;

// What a step changed, for its name in the edit menu and for merging: the
// keystrokes typed into one field become one step.
enum class CardChange {
    Text,
    FontName,
    FontSize,
    Style,
    Color,
    Position,
    Kage,
    KageHeight,
    Picture,
    PrintStyle,
    QrCode,
    Logo,
    WidthScale,
    Merge,
    Orientation, // the card turned upright or back
};

// The undo history of a card document. Each step holds the card before and after
// one change the user made; ChangedFlg follows the stack: the card counts as
// changed exactly when it is not at the state last opened or saved.
class CardHistory : public QObject {
    Q_OBJECT
public:
    explicit CardHistory(CardDocument& doc);

    QUndoStack& stack() { return m_stack; }

    // The card as it stands starts a fresh history (new card, open).
    void reset();
    // The card as it stands is the one in its file (save, export).
    void markSaved();
    // Records the change just made to the card, to line (or -1 for the card
    // as a whole), as one step. A change that leaves the card as it was is no
    // step. Consecutive changes of one kind to one line merge when mergeable.
    void record(CardChange what, int line = -1, bool mergeable = false);
    // The next change starts a new step even where it would merge (the user
    // left the field).
    void endMerging() { ++m_generation; }

    bool canUndo() const { return m_stack.canUndo(); }
    bool canRedo() const { return m_stack.canRedo(); }
    void undo() { m_stack.undo(); }
    void redo() { m_stack.redo(); }

    static QString stepName(CardChange what);

signals:
    // Undo or redo put another card in place: the editor shows it again.
    // pictureChanged when its picture settings differ from the card it
    // replaced, styleChanged when its print style does; line is the first
    // line that differs (-1 when none does), for the editor to show.
    void restored(bool pictureChanged, bool styleChanged, int line);

private:
    friend class CardStep;
    void apply(const Card& card);
    void syncChanged();

    CardDocument& m_doc;
    QUndoStack m_stack;
    Card m_committed;
    int m_generation = 0;
};
