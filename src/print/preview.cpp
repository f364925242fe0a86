#include "preview.h"

#include "base/runtimeerror.h"
#include "base/uiservices.h"
#include "base/units.h"
#include "cardsource.h"
#include "document/card.h"
#include "editor/cardimage.h"
#include "sheetprint.h"

#include <QActionGroup>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Grey around the paper, so that a white sheet shows its edges.
constexpr int PaperBorder = 8;

} // namespace

const std::array<double, 5> frmPREVIEW::PreviewRatios{0, 1, std::numbers::sqrt2, 2, 0};

frmPREVIEW::frmPREVIEW(const PrintStyle& style, const CardSource& cards,
                       const PrintOptions& options, UiServices& ui, QWidget* parent)
    : QDialog(parent), m_style(style), m_cards(cards), m_options(options), m_ui(ui) {
    setObjectName(QStringLiteral("frmPREVIEW"));
    setWindowTitle(QStringLiteral("プレビュー"));
    setModal(true);

    menuBar = new QMenuBar(this);
    mnuClose = menuBar->addAction(QStringLiteral("閉じる"));
    mnuClose->setObjectName(QStringLiteral("mnuClose"));
    connect(mnuClose, &QAction::triggered, this, &QDialog::close);
    mnuBairitu = menuBar->addMenu(QStringLiteral("倍率"));
    mnuBairitu->setObjectName(QStringLiteral("mnuBairitu"));
    auto* ratios = new QActionGroup(this);
    const QString names[] = {QString(), QStringLiteral("１／１倍"), QStringLiteral("１／２倍"),
                             QStringLiteral("１／４倍")};
    for (int i = 1; i <= 3; ++i) {
        mnuRitu[i] = mnuBairitu->addAction(names[i]);
        mnuRitu[i]->setObjectName(QStringLiteral("mnuRitu_%1").arg(i));
        mnuRitu[i]->setCheckable(true);
        ratios->addAction(mnuRitu[i]);
        connect(mnuRitu[i], &QAction::triggered, this, [this, i] { mnuRitu_Click(i); });
    }
    mnuRitu[2]->setChecked(true);

    picPaper = new QLabel;
    picPaper->setObjectName(QStringLiteral("picPaper"));
    picPaper->setContentsMargins(PaperBorder, PaperBorder, PaperBorder, PaperBorder);
    m_scroll = new QScrollArea(this);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setWidget(picPaper);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(menuBar);
    layout->addWidget(m_scroll);

    // Each card as the print kind shows it: whole, its text, its picture.
    CardImageOptions look = options.image;
    look.withPicture = options.kind != PrintKind::Text;
    look.withText = options.kind != PrintKind::Background;
    const int positions = int(PlanSheet(style, false, false).size());
    for (int k = 0; k < positions && cards.sheetCount() > 0; ++k) {
        const int index = cards.cardAt(0, k);
        if (index >= 0 && !m_cardImages.count(index))
            m_cardImages[index] = RenderCardImage(cards.card(index), cards.pictureOf(index),
                                                  cards.logoOf(index), look, ui);
    }
    HyojiBairitu(PreviewRatios[2]);
}

QImage frmPREVIEW::cardImage() const {
    const int first = m_cards.sheetCount() > 0 ? m_cards.cardAt(0, 0) : -1;
    const auto it = m_cardImages.find(first);
    return it == m_cardImages.end() ? QImage() : it->second;
}

void frmPREVIEW::mnuRitu_Click(int index) {
    if (index < 1 || index > 3)
        return;
    mnuRitu[index]->setChecked(true);
    HyojiBairitu(PreviewRatios[index]);
}

void frmPREVIEW::HyojiBairitu(double d) {
    m_ui.setBusy(true);
    const PrintStyle& s = m_style;
    // Screen pixels a millimetre at this size: 56.7 twips, TppX twips a pixel.
    const double perMmX = TwipsPerMm / std::max(1, m_options.image.twipsPerPixelX) / d;
    const double perMmY = TwipsPerMm / std::max(1, m_options.image.twipsPerPixelY) / d;
    const QSize size(std::max(1, int(std::lround(s.YsX * perMmX))),
                     std::max(1, int(std::lround(s.YsY * perMmY))));
    // Drawn at the screen's pixels, so that it is sharp on a scaled screen.
    const qreal ratio = devicePixelRatioF();
    m_paper = QImage(size * ratio, QImage::Format_RGB32);
    m_paper.setDevicePixelRatio(ratio);
    m_paper.fill(Qt::white);
    DrawPreviewSheet();
    picPaper->setPixmap(QPixmap::fromImage(m_paper));
    picPaper->adjustSize();
    fitAndCentre();
    m_ui.setBusy(false);
}

void frmPREVIEW::DrawPreviewSheet() {
    const PrintStyle& s = m_style;
    if (s.YsX <= 0 || s.YsY <= 0)
        return;
    QPainter p(&m_paper);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // Paper millimetres, whatever the size on screen.
    const QSizeF shown = m_paper.deviceIndependentSize();
    p.scale(shown.width() / s.YsX, shown.height() / s.YsY);
    // Scaled down once to the device's pixels, averaging them: a card
    // rendered for print drawn straight into a few hundred pixels loses its
    // small text. An upright card's image stands upright; it is turned as
    // it is drawn.
    const QSize cardPixels(std::max(1, int(std::lround(s.MsX * m_paper.width() / s.YsX))),
                           std::max(1, int(std::lround(s.MsY * m_paper.height() / s.YsY))));
    std::map<int, QImage> scaled;
    for (const auto& [index, image] : m_cardImages)
        scaled[index] =
            image.scaled(m_cards.isUpright(index) ? cardPixels.transposed() : cardPixels,
                         Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    try {
        const SheetPlan plan = PlanSheet(s, m_options.cutMarks, m_options.bottomMarks);
        for (size_t k = 0; k < plan.size(); ++k) {
            const int index = m_cards.sheetCount() > 0 ? m_cards.cardAt(0, int(k)) : -1;
            if (index < 0)
                continue;
            const SheetPlace& place = plan[k];
            const CardOnSheet at =
                PlaceCardOnSheet(s, m_cards.isUpright(index), place.top, place.left);
            p.save();
            p.setTransform(at.transform(), true);
            p.drawImage(QRectF(QPointF(0, 0), at.cardSize()), scaled[index]);
            p.restore();
            for (const CutMarkLine& l : CutMarkLines(s, place.top, place.left, place.marks)) {
                p.setPen(QPen(ColorFromRgb(l.color), 0)); // one device pixel, as a screen line
                p.drawLine(QPointF(l.x1, l.y1), QPointF(l.x2, l.y2));
            }
        }
    } catch (const RuntimeError& e) {
        m_ui.message(e.message());
    }
}

void frmPREVIEW::fitAndCentre() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // Room for the window frame, which the window system adds around it.
    const QSize room = available.size() - QSize(16, 48);

    const int frame = 2 * m_scroll->frameWidth();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QSize want(picPaper->width() + frame,
               menuBar->sizeHint().height() + picPaper->height() + frame);
    // A paper larger than the screen scrolls; its scroll bar takes room too.
    if (want.height() > room.height())
        want.rwidth() += bar;
    if (want.width() > room.width())
        want.rheight() += bar;
    resize(want.boundedTo(room));
    // Centred on the window it was opened from, as far as the screen allows.
    QRect placed(QPoint(), size());
    placed.moveCenter(parentWidget() ? parentWidget()->window()->frameGeometry().center()
                                     : available.center());
    placed.moveLeft(std::clamp(placed.left(), available.left(),
                               std::max(available.left(), available.right() - width())));
    placed.moveTop(std::clamp(placed.top(), available.top(),
                              std::max(available.top(), available.bottom() - height())));
    move(placed.topLeft());
}
