#pragma once

#include "document/card.h"
#include "snapguides.h"

#include <QPixmap>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class QLabel;
class QMimeData;
class CardDocument;
class LogoItem;
class QrItem;
class UiServices;
enum class CardPart;
struct AppState;

// The on-screen card: the card picture under twelve text labels and their
// twelve 3D labels, in a millimetre scale of 56.7 twips per millimetre. The
// labels hold each copy's caption, colour and place and are drawn by the card
// renderer.
// Drawing a line measures it in its font, keeps it on the card and shows
// its position.
class CardCanvas : public QWidget {
    Q_OBJECT
public:
    CardCanvas(CardDocument& doc, UiServices& ui, const AppState& app, QWidget* parent = nullptr);

    std::array<QLabel*, LineCount> MJLabel{};
    std::array<QLabel*, LineCount> MJLabel_Kage{};

    void DrawTextItem(int i);
    void DrawShadowItem(int i);
    void RedrawCard();
    // Frames in red the lines that run past the card or lie under the QR
    // code (CheckCardFit), with the reason as their tooltip.
    void showFit();
    bool lineMarked(int i) const;

    // Sizes the canvas to the card and places it in its frame: centred, or
    // three pixels from the left edge when the screen is too small.
    void placeIn(const QSize& frameSize, bool centred);

    // Shows another card in place of the document's (a person of a merge),
    // as it was placed, until called with nullptr; it cannot be dragged.
    void showCard(const Card* card);
    // The card the canvas shows: the document's, or the one shown instead.
    const Card& shownCard() const;

    // The card's QR code, above the lines.
    QrItem* qrItem() const { return m_qrItem; }
    // The card's logo, under the lines or over them.
    LogoItem* logoItem() const { return m_logoItem; }
    // Lays the items on each other as the card does: the logo under or over
    // the lines, the QR code over them, the guides over everything.
    void stackItems();

    // The dragged item, which does not snap to itself: a line's index, or
    // one of these.
    static constexpr int QrSnapId = -1;
    static constexpr int LogoSnapId = -2;
    // Where an item dragged to box (millimetres) goes: snapped to the
    // card's centre lines, its safe margins and the edges and centres of the
    // other items within a few pixels, showing a guide for what it snapped
    // to; where the pointer put it when free (Alt held). The guides stay
    // until endGuides(), when the item is let go.
    QPointF snapDragged(const QRectF& box, int id, bool free);
    void endGuides();
    const std::vector<SnapGuide>& guides() const { return m_guides; }

    // Whether the card picture is painted (after a load, until cleared).
    void setPictureShown(bool shown);
    bool pictureShown() const { return m_pictureShown; }

    // Millimetres to pixels and back, at the screen's twips per pixel and
    // the zoom.
    double pixelsPerMmX() const;
    double pixelsPerMmY() const;

    // The zoom of the card on screen (1 = actual size). Lines are measured
    // at actual size whatever the zoom, so the card itself never changes;
    // the canvas takes the card's new size and the caller places it again
    // (placeIn).
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }
    // The canvas's size in pixels at the zoom.
    QSize cardPixelSize() const;

    // Called with the line whose position changed (IcPrint).
    std::function<void(int)> onPositionShown;

    // The line of the tab in front: outlined on the card, and moved by the
    // arrow keys while the card has the keyboard focus.
    void setCurrentLine(int i);
    int currentLine() const { return m_current; }
    // Moves the current line by (dx, dy) mm, kept on the card; the moves of
    // one run of arrow keys are one step of the undo history.
    void nudgeCurrentLine(double dxMm, double dyMm);
    // The moves made from now on start a new step.
    void endNudging();

    // Dragging a line: the button went down on label i at (x, y) twips from
    // the label's corner; the pointer moved to (x, y) twips from the dragged
    // label's corner; the button was released.
    void MJLabel_MouseDown(int i, double xTwips, double yTwips);
    // Holding Alt (free) drags without snapping.
    void MJLabel_MouseMove(double xTwips, double yTwips, bool free = false);
    void MJLabel_MouseUp();
    bool dragging() const { return DragFlg != 0; }

signals:
    // A line was grabbed: its tab becomes current and its text gets the focus.
    void itemGrabbed(int index);
    // The pointer is over the card at this place, in card millimetres; left it.
    void pointerMoved(QPointF millimetres);
    void pointerLeft();
    // A picture file was dropped and taken as the card's picture.
    void pictureDropped();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The current line's text box on the canvas, pixels; empty when it is
    // not shown.
    QRect currentLineBox() const;
    void showPointer(QPointF canvasPixels);
    void placeLabel(QLabel* label, int i, double x, double y, const QColor& color,
                    const QString& caption);
    static QStringList localFiles(const QMimeData* data);

    // Redraws what the document announced as changed.
    void cardChanged(CardPart part, int line);

    CardDocument& m_doc;
    UiServices& m_ui;
    const AppState& m_app;
    QrItem* m_qrItem = nullptr;
    std::optional<Card> m_shownCard;
    LogoItem* m_logoItem = nullptr;
    QWidget* m_guideLayer = nullptr;
    std::vector<SnapGuide> m_guides;
    double actualPixelsPerMmX() const;
    double actualPixelsPerMmY() const;

    double m_zoom = 1.0;
    bool m_pictureShown = false;
    QPixmap m_scaled;
    qint64 m_scaledFrom = 0;
    int m_current = 0;
    int DragFlg = 0;
    int DragIdx = 0;
    float DragX = 0;
    float DragY = 0;
};
