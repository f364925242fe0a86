#include "cardcanvas.h"

#include "base/units.h"
#include "canvaszoom.h"
#include "document/tavormain.h"
#include "itemlayout.h"
#include "picture/cardpicture.h"

#include <QDragEnterEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include <cmath>

namespace {} // namespace

CardCanvas::CardCanvas(TavorMain& tavor, QWidget* parent) : QWidget(parent), m(tavor) {
    setObjectName(QStringLiteral("Picture1"));
    setCursor(Qt::CrossCursor);
    setAcceptDrops(true);
    // The 3D labels come first so that each text label lies above them.
    auto makeLabel = [this](const QString& name) {
        auto* label = new QLabel(this);
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
        MJLabel_Kage[i] = makeLabel(QStringLiteral("MJLabel_Kage_%1").arg(i));
        MJLabel_Kage[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    for (int i = 0; i < LineCount; ++i) {
        MJLabel[i] = makeLabel(QStringLiteral("MJLabel_%1").arg(i));
        MJLabel[i]->setCursor(Qt::SizeAllCursor);
        MJLabel[i]->installEventFilter(this);
    }
}

double CardCanvas::actualPixelsPerMmX() const {
    return TwipsPerMm / std::max(1, m.app.TppX);
}
double CardCanvas::actualPixelsPerMmY() const {
    return TwipsPerMm / std::max(1, m.app.TppY);
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
    const int tppX = std::max(1, m.app.TppX);
    const int tppY = std::max(1, m.app.TppY);
    return {int(std::lround(m.card.PrintStyle.MsX * TwipsPerMm * m_zoom) / tppX),
            int(std::lround(m.card.PrintStyle.MsY * TwipsPerMm * m_zoom) / tppY)};
}

QFont CardCanvas::fontOf(int i) const {
    const TextItem& t = m.card.TextItems[i];
    QFont f(t.FontName);
    f.setPointSizeF(t.FontSize > 0 ? double(t.FontSize) : 1.0);
    f.setBold(t.Bold);
    f.setItalic(t.Italic);
    f.setUnderline(t.Underline);
    f.setStrikeOut(t.Strikethrough);
    return f;
}

void CardCanvas::measure(int i) {
    TextItem& t = m.card.TextItems[i];
    const QFontMetricsF fm(fontOf(i));
    StoreMeasuredSize(t, fm.horizontalAdvance(t.Text) / actualPixelsPerMmX(),
                      fm.height() / actualPixelsPerMmY());
}

void CardCanvas::placeLabel(QLabel* label, int i, double x, double y, const QColor& color,
                            const QString& caption) {
    const TextItem& t = m.card.TextItems[i];
    QFont font = fontOf(i);
    font.setPointSizeF(font.pointSizeF() * m_zoom);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
    label->setGeometry(int(std::floor(x * pixelsPerMmX())), int(std::floor(y * pixelsPerMmY())),
                       int(std::ceil(t.Width * pixelsPerMmX())) + 1,
                       int(std::ceil(t.Height * pixelsPerMmY())) + 1);
    label->setText(caption);
}

void CardCanvas::DrawShadowItem(int i) {
    TextItem& t = m.card.TextItems[i];
    measure(i);
    KeepItemOnCard(t, m.card.PrintStyle.MsX, m.card.PrintStyle.MsY);
    if (onPositionShown)
        onPositionShown(i);
    const int dir = KageIndex(t.KageHoukou);
    placeLabel(MJLabel_Kage[i], i, t.Left + KageDX[dir] * t.KageTakasa,
               t.Top + KageDY[dir] * t.KageTakasa, ColorFromRgb(quint32(t.KageColor)),
               t.KageOn ? t.Text : QString());
}

void CardCanvas::DrawTextItem(int i) {
    if (i < 0 || i >= LineCount)
        return;
    TextItem& t = m.card.TextItems[i];
    if (t.FontName.isEmpty())
        return;
    DrawShadowItem(i);
    measure(i);
    KeepItemOnCard(t, m.card.PrintStyle.MsX, m.card.PrintStyle.MsY);
    if (onPositionShown)
        onPositionShown(i);
    placeLabel(MJLabel[i], i, t.Left, t.Top, ColorFromRgb(quint32(t.ForeColor)), t.Text);
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

void CardCanvas::MJLabel_MouseMove(double x, double y) {
    if (DragFlg == 0)
        return;
    const int k = DragIdx;
    TextItem& t = m.card.TextItems[k];
    t.Top = y / TwipsPerMm + t.Top - DragY;
    t.Left = x / TwipsPerMm + t.Left - DragX;
    KeepItemOnCard(t, m.card.PrintStyle.MsX, m.card.PrintStyle.MsY);
    if (onPositionShown)
        onPositionShown(k);
    DrawTextItem(k);
}

void CardCanvas::MJLabel_MouseUp() {
    DragFlg = 0;
    // The whole drag is one step; a click that moved nothing is none.
    m.markChanged(CardChange::Position, DragIdx);
}

bool CardCanvas::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    // The pointer in twips from the corner of the line being dragged, which
    // the canvas keeps at the line's stored position.
    const QPointF onCanvas = static_cast<QWidget*>(watched)->mapTo(this, mouse->position());
    if (type == QEvent::MouseButtonPress) {
        const int i = int(std::find(MJLabel.begin(), MJLabel.end(), watched) - MJLabel.begin());
        if (i >= LineCount)
            return false;
        const TextItem& t = m.card.TextItems[i];
        MJLabel_MouseDown(i, (onCanvas.x() / pixelsPerMmX() - t.Left) * TwipsPerMm,
                          (onCanvas.y() / pixelsPerMmY() - t.Top) * TwipsPerMm);
        return true;
    }
    if (type == QEvent::MouseMove) {
        if (DragFlg == 0)
            return false;
        const TextItem& t = m.card.TextItems[DragIdx];
        MJLabel_MouseMove((onCanvas.x() / pixelsPerMmX() - t.Left) * TwipsPerMm,
                          (onCanvas.y() / pixelsPerMmY() - t.Top) * TwipsPerMm);
        return true;
    }
    if (DragFlg != 0 && mouse->buttons() == Qt::NoButton)
        MJLabel_MouseUp();
    return true;
}

void CardCanvas::placeIn(const QSize& frameSize, bool centred) {
    const int tppX = std::max(1, m.app.TppX);
    const int tppY = std::max(1, m.app.TppY);
    const double W = m.card.PrintStyle.MsX;
    const double H = m.card.PrintStyle.MsY;
    const long widthTwips = std::lround(W * TwipsPerMm * m_zoom);
    const long heightTwips = std::lround(H * TwipsPerMm * m_zoom);
    const long left = centred ? (frameSize.width() * tppX - widthTwips) / 2 : 3 * tppX;
    const long top = (frameSize.height() * tppY - heightTwips) / 2 + 2 * tppY;
    setGeometry(int(left / tppX), int(top / tppY), int(widthTwips / tppX), int(heightTwips / tppY));
    update();
}

void CardCanvas::setPictureShown(bool shown) {
    m_pictureShown = shown;
    m_scaledFrom = 0;
    update();
}

void CardCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ColorFromRgb(m.app.BackColor));
    if (m_pictureShown && !m.Image1.isNull()) {
        // The picture is scaled to the canvas once; each repaint of a moved
        // line then copies only its part of the scaled picture.
        if (m_scaled.size() != size() || m_scaledFrom != m.Image1.cacheKey()) {
            m_scaled = QPixmap::fromImage(
                m.Image1.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
            m_scaledFrom = m.Image1.cacheKey();
        }
        p.drawPixmap(0, 0, m_scaled);
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
    if (DropPictureFiles(m, localFiles(event->mimeData()))) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        emit pictureDropped();
    }
}
