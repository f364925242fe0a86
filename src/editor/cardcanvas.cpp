#include "cardcanvas.h"

#include "base/appstate.h"
#include "base/units.h"
#include "canvaszoom.h"
#include "cardrenderer.h"
#include "document/carddocument.h"
#include "itemlayout.h"
#include "logoitem.h"
#include "picture/cardpicture.h"
#include "qritem.h"

#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include <cmath>

namespace {

// A line's label: it keeps the caption, colour and place of one copy of a
// line (its text or its 3D copy) as a label does, and draws it through the
// card renderer, so the canvas shows each line as the card image and the
// paper do.
class LineLabel : public QLabel {
public:
    LineLabel(QWidget* parent, const TextItem& line) : QLabel(parent), m_line(&line) {}

    // The line drawn, where the copy's text box starts on the card in
    // millimetres, and the canvas's pixels per millimetre.
    void place(const TextItem& line, QPointF at, double perMmX, double perMmY) {
        m_line = &line;
        m_at = at;
        m_perMmX = perMmX;
        m_perMmY = perMmY;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (text().isEmpty())
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        // Card millimetres, as on the canvas.
        p.translate(-x(), -y());
        p.scale(m_perMmX, m_perMmY);
        TextItem shown = *m_line;
        shown.Text = text();
        CardRenderer::paintText(p, shown, m_at, palette().color(QPalette::WindowText));
        if (m_marked) {
            // What does not fit is framed in red where it shows on the card.
            p.resetTransform();
            const QRect visible = rect().intersected(parentWidget()->rect().translated(-pos()));
            p.setPen(QPen(Qt::red, 1, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(visible.adjusted(0, 0, -1, -1));
        }
    }

public:
    void setMarked(const QString& why) {
        if (m_marked == !why.isEmpty() && toolTip() == why)
            return;
        m_marked = !why.isEmpty();
        setToolTip(why);
        update();
    }
    bool marked() const { return m_marked; }

private:
    const TextItem* m_line;
    bool m_marked = false;
    QPointF m_at;
    double m_perMmX = 1;
    double m_perMmY = 1;
};

// Room beyond the measured box for what bold and italic add to the glyphs.
constexpr int InkRoomPixels = 2;

// How near, in screen pixels, a dragged item's edge or centre must come to a
// guide to snap to it: the same feel at every zoom.
constexpr double SnapReachPixels = 5;

// The guides a dragged item snapped to, thin lines across the whole canvas
// above every item. They are the canvas's own: the card renderer never draws
// them, so they never print.
class GuideLayer : public QWidget {
public:
    explicit GuideLayer(CardCanvas* canvas) : QWidget(canvas), m_canvas(canvas) {
        setObjectName(QStringLiteral("GuideLayer"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QPen(QColor(230, 0, 140), 1));
        for (const SnapGuide& g : m_canvas->guides()) {
            if (g.vertical) {
                const double x = std::floor(g.at * m_canvas->pixelsPerMmX()) + 0.5;
                p.drawLine(QPointF(x, 0), QPointF(x, height()));
            } else {
                const double y = std::floor(g.at * m_canvas->pixelsPerMmY()) + 0.5;
                p.drawLine(QPointF(0, y), QPointF(width(), y));
            }
        }
    }

private:
    const CardCanvas* m_canvas;
};

} // namespace

CardCanvas::CardCanvas(CardDocument& doc, UiServices& ui, const AppState& app, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_ui(ui), m_app(app) {
    setObjectName(QStringLiteral("Picture1"));
    setCursor(Qt::CrossCursor);
    setAcceptDrops(true);
    // The arrow keys move the current line while the card has the focus;
    // the pointer's place is followed without a button held.
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    // The 3D labels come first so that each text label lies above them.
    auto makeLabel = [this](const QString& name, int line) {
        auto* label = new LineLabel(this, m_doc.card.TextItems[line]);
        label->setObjectName(name);
        label->setMargin(0);
        label->setIndent(0);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->setVisible(true);
        return label;
    };
    for (int i = 0; i < LineCount; ++i) {
        MJLabel_Kage[i] = makeLabel(QStringLiteral("MJLabel_Kage_%1").arg(i), i);
        MJLabel_Kage[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    for (int i = 0; i < LineCount; ++i) {
        MJLabel[i] = makeLabel(QStringLiteral("MJLabel_%1").arg(i), i);
        MJLabel[i]->setCursor(Qt::SizeAllCursor);
        MJLabel[i]->setMouseTracking(true);
        MJLabel[i]->installEventFilter(this);
    }
    m_logoItem = new LogoItem(doc, this);
    m_qrItem = new QrItem(doc, this);
    m_guideLayer = new GuideLayer(this);
    m_guideLayer->setVisible(false);
    connect(&doc, &CardDocument::changed, this, &CardCanvas::cardChanged);
    connect(&doc, &CardDocument::pictureChanged, this, &CardCanvas::setPictureShown);
}

void CardCanvas::cardChanged(CardPart part, int line) {
    switch (part) {
    case CardPart::Line:
        DrawTextItem(line);
        break;
    case CardPart::QrCode:
        m_qrItem->refresh();
        showFit();
        break;
    case CardPart::Logo:
        m_logoItem->refresh();
        break;
    case CardPart::Merge:
        break;
    case CardPart::Picture:
        // The picture shown until the new one is made is none.
        update();
        break;
    case CardPart::PrintStyle:
    case CardPart::Whole:
        // The window places the canvas for the card's new size.
        m_logoItem->refresh();
        m_qrItem->refresh();
        RedrawCard();
        update();
        break;
    }
}

double CardCanvas::actualPixelsPerMmX() const {
    return TwipsPerMm / std::max(1, m_app.TppX);
}
double CardCanvas::actualPixelsPerMmY() const {
    return TwipsPerMm / std::max(1, m_app.TppY);
}
double CardCanvas::pixelsPerMmX() const {
    return actualPixelsPerMmX() * m_zoom;
}
double CardCanvas::pixelsPerMmY() const {
    return actualPixelsPerMmY() * m_zoom;
}

void CardCanvas::setZoom(double zoom) {
    m_zoom = ClampZoom(zoom);
    m_scaledFrom = 0;
    resize(cardPixelSize());
    RedrawCard();
}

QSize CardCanvas::cardPixelSize() const {
    const int tppX = std::max(1, m_app.TppX);
    const int tppY = std::max(1, m_app.TppY);
    const QSizeF card = CardSize(m_doc.card);
    return {int(std::lround(card.width() * TwipsPerMm * m_zoom) / tppX),
            int(std::lround(card.height() * TwipsPerMm * m_zoom) / tppY)};
}

void CardCanvas::placeLabel(QLabel* label, int i, double x, double y, const QColor& color,
                            const QString& caption) {
    const TextItem& t = shownCard().TextItems[i];
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
    label->setGeometry(int(std::floor(x * pixelsPerMmX())), int(std::floor(y * pixelsPerMmY())),
                       int(std::ceil(t.Width * pixelsPerMmX())) + 1 + InkRoomPixels,
                       int(std::ceil(t.Height * pixelsPerMmY())) + 1 + InkRoomPixels);
    label->setText(caption);
    static_cast<LineLabel*>(label)->place(t, QPointF(x, y), pixelsPerMmX(), pixelsPerMmY());
}

void CardCanvas::showCard(const Card* card) {
    if (card)
        m_shownCard = *card;
    else
        m_shownCard.reset();
    RedrawCard();
}

const Card& CardCanvas::shownCard() const {
    return m_shownCard ? *m_shownCard : m_doc.card;
}

void CardCanvas::DrawShadowItem(int i) {
    // Another card shown in place of the document's is drawn as it was
    // placed; only the document's lines are measured and kept on the card.
    TextItem& t = m_shownCard ? m_shownCard->TextItems[i] : m_doc.card.TextItems[i];
    const QSizeF card = CardSize(m_doc.card);
    if (!m_shownCard) {
        MeasureAndKeep(t, card.width(), card.height());
        if (onPositionShown)
            onPositionShown(i);
    }
    const QString shown = CardRenderer::drawnPart(t, card).Text;
    const QPointF offset = CardRenderer::kageOffset(t);
    placeLabel(MJLabel_Kage[i], i, t.Left + offset.x(), t.Top + offset.y(),
               ColorFromRgb(quint32(t.KageColor)), t.KageOn ? shown : QString());
}

void CardCanvas::DrawTextItem(int i) {
    if (i < 0 || i >= LineCount)
        return;
    // The QR code may hold the line's text.
    m_qrItem->refresh();
    TextItem& t = m_shownCard ? m_shownCard->TextItems[i] : m_doc.card.TextItems[i];
    if (t.FontName.isEmpty())
        return;
    DrawShadowItem(i);
    const QSizeF card = CardSize(m_doc.card);
    if (!m_shownCard) {
        MeasureAndKeep(t, card.width(), card.height());
        if (onPositionShown)
            onPositionShown(i);
    }
    placeLabel(MJLabel[i], i, t.Left, t.Top, ColorFromRgb(quint32(t.ForeColor)),
               CardRenderer::drawnPart(t, card).Text);
    // The outline follows the current line.
    if (i == m_current)
        update();
    showFit();
}

void CardCanvas::setCurrentLine(int i) {
    if (i < 0 || i >= LineCount || i == m_current)
        return;
    endNudging();
    m_current = i;
    update();
}

QRect CardCanvas::currentLineBox() const {
    const TextItem& t = m_doc.card.TextItems[m_current];
    if (t.Text.isEmpty() || t.FontName.isEmpty())
        return {};
    return QRectF(t.Left * pixelsPerMmX(), t.Top * pixelsPerMmY(), t.Width * pixelsPerMmX(),
                  t.Height * pixelsPerMmY())
        .toAlignedRect();
}

void CardCanvas::nudgeCurrentLine(double dx, double dy) {
    TextItem& t = m_doc.card.TextItems[m_current];
    if (t.FontName.isEmpty())
        return;
    t.Left += dx;
    t.Top += dy;
    // Drawing keeps the line on the card and shows its new place; the moves
    // of one run merge into one step.
    m_doc.markChanged(CardChange::Position, m_current, true);
}

void CardCanvas::endNudging() {
    m_doc.history().endMerging();
}

void CardCanvas::keyPressEvent(QKeyEvent* event) {
    const double step = event->modifiers() & Qt::ShiftModifier ? 1.0 : 0.1;
    switch (event->key()) {
    case Qt::Key_Left:
        nudgeCurrentLine(-step, 0);
        break;
    case Qt::Key_Right:
        nudgeCurrentLine(step, 0);
        break;
    case Qt::Key_Up:
        nudgeCurrentLine(0, -step);
        break;
    case Qt::Key_Down:
        nudgeCurrentLine(0, step);
        break;
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
        // Shift taken up between two arrows only changes the step: the run
        // goes on.
        QWidget::keyPressEvent(event);
        return;
    default:
        endNudging();
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CardCanvas::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void CardCanvas::focusOutEvent(QFocusEvent* event) {
    endNudging();
    update();
    QWidget::focusOutEvent(event);
}

void CardCanvas::showPointer(QPointF at) {
    emit pointerMoved(QPointF(at.x() / pixelsPerMmX(), at.y() / pixelsPerMmY()));
}

void CardCanvas::mouseMoveEvent(QMouseEvent* event) {
    showPointer(event->position());
    QWidget::mouseMoveEvent(event);
}

void CardCanvas::mousePressEvent(QMouseEvent* event) {
    // A click on the card, off its lines, gives it the keyboard.
    endNudging();
    QWidget::mousePressEvent(event);
}

void CardCanvas::leaveEvent(QEvent* event) {
    emit pointerLeft();
    QWidget::leaveEvent(event);
}

void CardCanvas::showFit() {
    const CardFit fit = CheckCardFit(shownCard());
    for (int i = 0; i < LineCount; ++i) {
        QStringList why;
        if (fit.pastTheEdge.contains(i))
            why << QStringLiteral("名刺からはみ出しています");
        if (fit.underQrCode.contains(i))
            why << QStringLiteral("QRコードが重なっています");
        static_cast<LineLabel*>(MJLabel[i])->setMarked(why.join(QStringLiteral("。")));
    }
}

bool CardCanvas::lineMarked(int i) const {
    return i >= 0 && i < LineCount && static_cast<LineLabel*>(MJLabel[i])->marked();
}

void CardCanvas::RedrawCard() {
    for (int i = 0; i < LineCount; ++i)
        DrawTextItem(i);
}

void CardCanvas::MJLabel_MouseDown(int i, double x, double y) {
    DragY = float(y / TwipsPerMm);
    DragX = float(x / TwipsPerMm);
    DragFlg = 1;
    DragIdx = i;
    emit itemGrabbed(i);
}

void CardCanvas::MJLabel_MouseMove(double x, double y, bool free) {
    if (DragFlg == 0)
        return;
    const int k = DragIdx;
    TextItem& t = m_doc.card.TextItems[k];
    const QPointF to = snapDragged(
        QRectF(x / TwipsPerMm + t.Left - DragX, y / TwipsPerMm + t.Top - DragY, t.Width, t.Height),
        k, free);
    t.Left = to.x();
    t.Top = to.y();
    KeepItemOnCard(t, CardSize(m_doc.card).width(), CardSize(m_doc.card).height());
    if (onPositionShown)
        onPositionShown(k);
    DrawTextItem(k);
}

void CardCanvas::MJLabel_MouseUp() {
    DragFlg = 0;
    endGuides();
    // The whole drag is one step; a click that moved nothing is none.
    m_doc.markChanged(CardChange::Position, DragIdx);
}

bool CardCanvas::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    // A locked window (a tool window is open) takes no input: the filter
    // sees the events of a disabled label all the same.
    if (!static_cast<QWidget*>(watched)->isEnabled()) {
        DragFlg = 0;
        return true;
    }
    // Another card shown is only looked at.
    if (m_shownCard)
        return true;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    // The pointer in twips from the corner of the line being dragged, which
    // the canvas keeps at the line's stored position.
    const QPointF onCanvas = static_cast<QWidget*>(watched)->mapTo(this, mouse->position());
    showPointer(onCanvas);
    if (type == QEvent::MouseButtonPress) {
        const int i = int(std::find(MJLabel.begin(), MJLabel.end(), watched) - MJLabel.begin());
        if (i >= LineCount)
            return false;
        endNudging();
        const TextItem& t = m_doc.card.TextItems[i];
        MJLabel_MouseDown(i, (onCanvas.x() / pixelsPerMmX() - t.Left) * TwipsPerMm,
                          (onCanvas.y() / pixelsPerMmY() - t.Top) * TwipsPerMm);
        return true;
    }
    if (type == QEvent::MouseMove) {
        if (DragFlg == 0)
            return false;
        const TextItem& t = m_doc.card.TextItems[DragIdx];
        MJLabel_MouseMove((onCanvas.x() / pixelsPerMmX() - t.Left) * TwipsPerMm,
                          (onCanvas.y() / pixelsPerMmY() - t.Top) * TwipsPerMm,
                          mouse->modifiers() & Qt::AltModifier);
        return true;
    }
    if (DragFlg != 0 && mouse->buttons() == Qt::NoButton)
        MJLabel_MouseUp();
    return true;
}

void CardCanvas::placeIn(const QSize& frameSize, bool centred) {
    const int tppX = std::max(1, m_app.TppX);
    const int tppY = std::max(1, m_app.TppY);
    const double W = CardSize(m_doc.card).width();
    const double H = CardSize(m_doc.card).height();
    const long widthTwips = std::lround(W * TwipsPerMm * m_zoom);
    const long heightTwips = std::lround(H * TwipsPerMm * m_zoom);
    const long left = centred ? (frameSize.width() * tppX - widthTwips) / 2 : 3 * tppX;
    const long top = (frameSize.height() * tppY - heightTwips) / 2 + 2 * tppY;
    setGeometry(int(left / tppX), int(top / tppY), int(widthTwips / tppX), int(heightTwips / tppY));
    m_logoItem->refresh();
    m_qrItem->refresh();
    update();
}

void CardCanvas::stackItems() {
    if (m_doc.card.Logo.Layer == LogoLayer::OverLines)
        m_logoItem->raise();
    else
        m_logoItem->lower();
    m_qrItem->raise();
    m_guideLayer->raise();
}

QPointF CardCanvas::snapDragged(const QRectF& box, int id, bool free) {
    const Card& card = m_doc.card;
    std::vector<QRectF> others;
    for (int i = 0; i < LineCount; ++i) {
        const TextItem& t = card.TextItems[i];
        if (i != id && !t.Text.isEmpty() && !t.FontName.isEmpty())
            others.emplace_back(t.Left, t.Top, t.Width, t.Height);
    }
    if (id != QrSnapId && card.Qr.On)
        others.emplace_back(card.Qr.Left, card.Qr.Top, card.Qr.Side, card.Qr.Side);
    if (id != LogoSnapId) {
        const QRectF logo = CardRenderer(card, m_doc.logoImage()).logoBox();
        if (!logo.isEmpty())
            others.push_back(logo);
    }
    SnapResult snapped{box.topLeft(), {}};
    if (!free)
        snapped =
            SnapBox(box, CardSize(card), others, SnapReachPixels / std::max(pixelsPerMmX(), 1e-9));
    m_guides = std::move(snapped.guides);
    m_guideLayer->setGeometry(rect());
    m_guideLayer->setVisible(!m_guides.empty());
    m_guideLayer->raise();
    m_guideLayer->update();
    return snapped.topLeft;
}

void CardCanvas::endGuides() {
    m_guides.clear();
    m_guideLayer->setVisible(false);
}

void CardCanvas::setPictureShown(bool shown) {
    m_pictureShown = shown;
    m_scaledFrom = 0;
    update();
}

void CardCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ColorFromRgb(m_app.BackColor));
    const QImage picture = m_pictureShown ? m_doc.pictureImage() : QImage();
    if (!picture.isNull()) {
        // The picture is scaled to the canvas once; each repaint of a moved
        // line then copies only its part of the scaled picture.
        if (m_scaled.size() != size() || m_scaledFrom != picture.cacheKey()) {
            m_scaled = QPixmap::fromImage(
                picture.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
            m_scaledFrom = picture.cacheKey();
        }
        p.drawPixmap(0, 0, m_scaled);
    }
    // The current line's outline, beside its glyphs; stronger while the
    // arrow keys move it. It belongs to the screen: the card image and the
    // paper never show it.
    const QRect box = currentLineBox();
    if (!box.isEmpty()) {
        const bool keys = hasFocus();
        QPen pen(palette().color(QPalette::Highlight), keys ? 2 : 1,
                 keys ? Qt::SolidLine : Qt::DashLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(box.adjusted(-2, -2, 1, 1));
    }
}

QStringList CardCanvas::localFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    }
    return files;
}

void CardCanvas::dragEnterEvent(QDragEnterEvent* event) {
    if (FirstDroppedPicture(localFiles(event->mimeData()))) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void CardCanvas::dragMoveEvent(QDragMoveEvent* event) {
    if (FirstDroppedPicture(localFiles(event->mimeData()))) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void CardCanvas::dropEvent(QDropEvent* event) {
    if (DropPictureFiles(m_doc, m_ui, m_app, localFiles(event->mimeData()))) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        emit pictureDropped();
    }
}
