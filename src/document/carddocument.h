#pragma once

#include "card.h"
#include "cardhistory.h"
#include "cardlogo.h"

#include <QImage>
#include <QObject>
#include <QString>

// What part of the card a change touched, for the views to redraw only that.
enum class CardPart {
    Line,       // one line (its text, font, style, colour, place or 3D copy)
    Picture,    // the picture settings: path, colour mode, tint
    PrintStyle, // the print style and the printer geometry measured for it
    QrCode,     // the QR code
    Logo,       // the logo: its file, place, width or layer
    Merge,      // the merge's staff list and options
    Whole,      // another card took its place (new, open, undo, redo)
};

// The card's picture as it is shown and printed: the converted working
// bitmap and the picture settings it was made for. It is only ever handed
// out for the card whose settings it was made for, so a picture cannot
// outlive its settings: another card, or this card after a change of its
// picture, gets none until the picture is converted again.
class ConvertedPicture {
public:
    // What identifies a converted picture: the card's picture path, colour
    // mode and tint.
    static QString keyOf(const Card& card);

    // Whether the picture was made for this card's picture settings (also
    // when that conversion gave no picture: a card without one, or a picture
    // that could not be used).
    bool isFor(const Card& card) const { return m_made && m_key == keyOf(card); }
    // The picture for this card; null when there is none for its settings.
    QImage imageFor(const Card& card) const { return isFor(card) ? m_image : QImage(); }

    // The conversion for this card's settings gave image (null: none).
    void set(const Card& card, QImage image);
    void clear();

private:
    QImage m_image;
    QString m_key;
    bool m_made = false;
};

// The open card: the card itself, its file, whether it changed since, its
// undo history and its converted picture. Whatever changes the card
// announces it here; the canvas, the line tabs, the caption and the tool
// windows follow the announcements.
class CardDocument : public QObject {
    Q_OBJECT
public:
    CardDocument();
    ~CardDocument() override;

    Card card;
    QString CardPath;
    int ChangedFlg = 0;
    ConvertedPicture picture;
    LoadedLogo logo;

    // The card's picture as shown and printed; null when none was converted
    // for its current settings.
    QImage pictureImage() const { return picture.imageFor(card); }
    // The card's logo as shown and printed; null when none was decoded from
    // its file (whether it is switched on is the card's).
    DecodedLogo logoImage() const { return logo.logoFor(card); }

    // The undo history of the card; ChangedFlg follows it.
    CardHistory& history() { return *m_history; }

    // Announces a change the user made, then records it as a step of the
    // history. The views redraw first: drawing keeps lines on the card, and
    // the step holds the card as drawn.
    void markChanged(CardChange what, int line = -1, bool mergeable = false);
    // Announces a change that is no step of its own (a whole new card, a
    // card read from its file).
    void announce(CardPart part, int line = -1) { emit changed(part, line); }
    // Announces the converted picture: shown, when the canvas is to show it.
    void announcePicture(bool shown) { emit pictureChanged(shown); }
    // Announces CardPath, for the caption.
    void announcePath() { emit pathChanged(CardPath); }

    static CardPart partOf(CardChange what);

signals:
    void changed(CardPart part, int line);
    void pictureChanged(bool shown);
    void pathChanged(const QString& path);

private:
    std::unique_ptr<CardHistory> m_history;
};
