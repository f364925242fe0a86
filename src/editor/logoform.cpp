#include "logoform.h"

#include "base/uiservices.h"
#include "cardcanvas.h"
#include "cardrenderer.h"
#include "document/carddocument.h"
#include "logofile.h"
#include "logoitem.h"
#include "toolfields.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr QSize ThumbnailSize(160, 100);

} // namespace

LogoForm::LogoForm(CardDocument& doc, UiServices& ui, CardCanvas* canvas, QWidget* parent)
    : QDialog(parent, Qt::Tool), m_doc(doc), m_ui(ui), m_canvas(canvas) {
    setObjectName(QStringLiteral("frmLogo"));
    setWindowTitle(QStringLiteral("ロゴ"));
    auto* outer = new QVBoxLayout(this);

    enabledBox = new QCheckBox(QStringLiteral("名刺にロゴを入れる"), this);
    enabledBox->setObjectName(QStringLiteral("enabledBox"));
    connect(enabledBox, &QCheckBox::clicked, this, &LogoForm::switchLogo);
    outer->addWidget(enabledBox);

    auto* fileRow = new QHBoxLayout;
    fileField = new QLineEdit(this);
    fileField->setObjectName(QStringLiteral("fileField"));
    fileField->setReadOnly(true);
    chooseButton = new QPushButton(QStringLiteral("参照..."), this);
    chooseButton->setObjectName(QStringLiteral("chooseButton"));
    // Enter in a number field applies the number; it opens no file chooser.
    chooseButton->setAutoDefault(false);
    connect(chooseButton, &QPushButton::clicked, this, &LogoForm::chooseFile);
    fileRow->addWidget(new QLabel(QStringLiteral("画像ファイル :"), this));
    fileRow->addWidget(fileField, 1);
    fileRow->addWidget(chooseButton);
    outer->addLayout(fileRow);

    thumbnail = new QLabel(this);
    thumbnail->setObjectName(QStringLiteral("thumbnail"));
    thumbnail->setFixedSize(ThumbnailSize + QSize(2, 2));
    thumbnail->setFrameShape(QFrame::Box);
    thumbnail->setAlignment(Qt::AlignCenter);
    outer->addWidget(thumbnail, 0, Qt::AlignHCenter);

    auto* form = new QFormLayout;
    leftField = MakeMmField(this, "leftField");
    topField = MakeMmField(this, "topField");
    widthField = MakeMmField(this, "widthField", MinLogoWidth);
    heightLabel = new QLabel(this);
    heightLabel->setObjectName(QStringLiteral("heightLabel"));
    form->addRow(QStringLiteral("X :"), leftField);
    form->addRow(QStringLiteral("Y :"), topField);
    form->addRow(QStringLiteral("幅 :"), widthField);
    form->addRow(QStringLiteral("高さ :"), heightLabel);
    outer->addLayout(form);

    auto* layer = new QGroupBox(QStringLiteral("重なり"), this);
    auto* layerRow = new QHBoxLayout(layer);
    underOption = new QRadioButton(QStringLiteral("文字の下"), layer);
    underOption->setObjectName(QStringLiteral("underOption"));
    overOption = new QRadioButton(QStringLiteral("文字の上"), layer);
    overOption->setObjectName(QStringLiteral("overOption"));
    layerRow->addWidget(underOption);
    layerRow->addWidget(overOption);
    layerRow->addStretch(1);
    outer->addWidget(layer);

    stateLabel = new QLabel(this);
    stateLabel->setObjectName(QStringLiteral("stateLabel"));
    stateLabel->setWordWrap(true);
    stateLabel->setStyleSheet(QStringLiteral("color: red"));
    outer->addWidget(stateLabel);

    AddCloseButton(this, outer);

    for (QDoubleSpinBox* f : {leftField, topField, widthField})
        connect(f, &QDoubleSpinBox::valueChanged, this, &LogoForm::apply);
    connect(overOption, &QRadioButton::toggled, this, &LogoForm::apply);
    connect(m_canvas->logoItem(), &LogoItem::shown, this, &LogoForm::showLogo);
    showLogo();
}

QPixmap LogoForm::thumbnailPicture() const {
    const DecodedLogo logo = m_doc.logoImage();
    if (logo.isNull())
        return {};
    const qreal dpr = devicePixelRatioF();
    const QSizeF box = logo.size.scaled(QSizeF(ThumbnailSize), Qt::KeepAspectRatio);
    QPixmap picture((box * dpr).toSize());
    picture.setDevicePixelRatio(dpr);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    CardRenderer::paintLogo(p, logo, QRectF(QPointF(0, 0), box));
    return picture;
}

void LogoForm::showLogo() {
    m_showing = true;
    const CardLogo& logo = m_doc.card.Logo;
    const DecodedLogo decoded = m_doc.logoImage();
    enabledBox->setChecked(logo.On);
    fileField->setText(logo.Path);
    thumbnail->setPixmap(thumbnailPicture());
    leftField->setValue(logo.Left);
    topField->setValue(logo.Top);
    widthField->setValue(std::max(logo.Width, MinLogoWidth));
    heightLabel->setText(decoded.isNull() ? QStringLiteral("-")
                                          : QStringLiteral("%1 mm").arg(QString::number(
                                                LogoHeight(logo, decoded.aspect()), 'f', 1)));
    (logo.Layer == LogoLayer::OverLines ? overOption : underOption)->setChecked(true);
    for (QWidget* w :
         std::initializer_list<QWidget*>{leftField, topField, widthField, underOption, overOption})
        w->setEnabled(logo.On);
    stateLabel->setText(logo.On && decoded.isNull() && !logo.Path.isEmpty()
                            ? QStringLiteral("この画像はロゴに使えません。印刷されません。")
                            : QString());
    m_showing = false;
}

void LogoForm::apply() {
    if (m_showing)
        return;
    CardLogo& logo = m_doc.card.Logo;
    logo.Left = leftField->value();
    logo.Top = topField->value();
    logo.Width = widthField->value();
    logo.Layer = overOption->isChecked() ? LogoLayer::OverLines : LogoLayer::UnderLines;
    // The canvas keeps the logo on the card, and the window shows it.
    m_doc.markChanged(CardChange::Logo);
}

void LogoForm::switchLogo() {
    if (enabledBox->isChecked() && m_doc.card.Logo.Path.isEmpty()) {
        // A logo needs its picture first.
        enabledBox->setChecked(false);
        chooseFile();
        return;
    }
    m_doc.card.Logo.On = enabledBox->isChecked();
    PrepareCardLogo(m_doc, m_ui);
    m_doc.markChanged(CardChange::Logo);
}

void LogoForm::chooseFile() {
    const auto name = m_ui.openFileName(m_doc.card.Logo.Path, QString::fromUtf16(LogoFilter));
    if (name)
        ChooseLogoFile(m_doc, m_ui, *name);
}
