#include "qrform.h"

#include "base/uiservices.h"
#include "cardcanvas.h"
#include "document/carddocument.h"
#include "document/qrcode.h"
#include "qritem.h"
#include "toolfields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

QrForm::QrForm(CardDocument& doc, UiServices& ui, CardCanvas* canvas, QWidget* parent)
    : QDialog(parent, Qt::Tool), m_doc(doc), m_ui(ui), m_canvas(canvas) {
    setObjectName(QStringLiteral("frmQrCode"));
    setWindowTitle(QStringLiteral("QRコード"));
    auto* outer = new QVBoxLayout(this);

    enabledBox = new QCheckBox(QStringLiteral("名刺にQRコードを入れる"), this);
    enabledBox->setObjectName(QStringLiteral("enabledBox"));
    connect(enabledBox, &QCheckBox::clicked, this, &QrForm::switchCode);
    outer->addWidget(enabledBox);

    auto* content = new QGroupBox(QStringLiteral("内容"), this);
    auto* contentLayout = new QVBoxLayout(content);
    vcardOption = new QRadioButton(QStringLiteral("名刺の連絡先 (vCard)"), content);
    vcardOption->setObjectName(QStringLiteral("vcardOption"));
    lineOption = new QRadioButton(QStringLiteral("次の行の文字 (URL など) :"), content);
    lineOption->setObjectName(QStringLiteral("lineOption"));
    lineChoice = new QComboBox(content);
    lineChoice->setObjectName(QStringLiteral("lineChoice"));
    for (int i = 0; i < LineCount; ++i)
        lineChoice->addItem(TabCaption(i));
    auto* lineRow = new QHBoxLayout;
    lineRow->addWidget(lineOption);
    lineRow->addWidget(lineChoice, 1);
    auto* linesGrid = new QGridLayout;
    linesGrid->setContentsMargins(20, 0, 0, 0);
    for (int i = 0; i < LineCount; ++i) {
        lineBoxes[i] = new QCheckBox(TabCaption(i), content);
        lineBoxes[i]->setObjectName(QStringLiteral("lineBox%1").arg(i));
        connect(lineBoxes[i], &QCheckBox::clicked, this, [this, i] { chooseLines(i); });
        linesGrid->addWidget(lineBoxes[i], i / 4, i % 4);
    }
    contentLayout->addWidget(vcardOption);
    contentLayout->addLayout(linesGrid);
    contentLayout->addLayout(lineRow);
    outer->addWidget(content);

    auto* form = new QFormLayout;
    levelChoice = new QComboBox(this);
    levelChoice->setObjectName(QStringLiteral("levelChoice"));
    levelChoice->addItems(QrLevelNames());
    form->addRow(QStringLiteral("誤り訂正 :"), levelChoice);
    colourSwatch = MakeColourSwatch(this, QStringLiteral("colourSwatch"));
    colourButton = new QPushButton(QStringLiteral("設定"), this);
    colourButton->setObjectName(QStringLiteral("colourButton"));
    // Enter in a number field applies the number; it presses no button.
    colourButton->setAutoDefault(false);
    connect(colourButton, &QPushButton::clicked, this, &QrForm::chooseColour);
    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(colourSwatch);
    colorRow->addWidget(colourButton);
    colorRow->addStretch(1);
    form->addRow(QStringLiteral("色 :"), colorRow);
    leftField = MakeMmField(this, "leftField");
    topField = MakeMmField(this, "topField");
    sideField = MakeMmField(this, "sideField");
    form->addRow(QStringLiteral("X :"), leftField);
    form->addRow(QStringLiteral("Y :"), topField);
    form->addRow(QStringLiteral("一辺 :"), sideField);
    outer->addLayout(form);

    contentView = new QPlainTextEdit(this);
    contentView->setObjectName(QStringLiteral("contentView"));
    contentView->setReadOnly(true);
    // A Latin font first: a Japanese font draws the backslash of a URL or a
    // vCard escape as ¥.
    QFont latinFirst = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    latinFirst.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Sans Mono"),
                            latinFirst.family()});
    contentView->setFont(latinFirst);
    contentView->setMinimumSize(320, 140);
    outer->addWidget(new QLabel(QStringLiteral("QRコードにする文字 :"), this));
    outer->addWidget(contentView, 1);
    stateLabel = new QLabel(this);
    stateLabel->setObjectName(QStringLiteral("stateLabel"));
    stateLabel->setWordWrap(true);
    outer->addWidget(stateLabel);

    AddCloseButton(this, outer);

    for (QRadioButton* b : {vcardOption, lineOption})
        connect(b, &QRadioButton::toggled, this, &QrForm::apply);
    for (QComboBox* c : {lineChoice, levelChoice})
        connect(c, &QComboBox::currentIndexChanged, this, &QrForm::apply);
    for (QDoubleSpinBox* f : {leftField, topField, sideField})
        connect(f, &QDoubleSpinBox::valueChanged, this, &QrForm::apply);
    connect(m_canvas->qrItem(), &QrItem::shown, this, &QrForm::showQr);
    showQr();
}

void QrForm::showQr() {
    m_showing = true;
    const QrCode& q = m_doc.card.Qr;
    enabledBox->setChecked(q.On);
    (q.Content == std::int16_t(QrContent::LineText) ? lineOption : vcardOption)->setChecked(true);
    lineChoice->setCurrentIndex(q.Line);
    levelChoice->setCurrentIndex(q.Level);
    FillSwatch(colourSwatch, q.Color);
    leftField->setValue(q.Left);
    topField->setValue(q.Top);
    sideField->setValue(q.Side);
    for (QWidget* w :
         std::initializer_list<QWidget*>{vcardOption, lineOption, lineChoice, levelChoice,
                                         colourButton, leftField, topField, sideField})
        w->setEnabled(q.On);
    const int mask = QrLineMask(q.Lines);
    for (int i = 0; i < LineCount; ++i) {
        lineBoxes[i]->setChecked(mask == 0 || (mask >> i & 1) != 0);
        lineBoxes[i]->setEnabled(q.On && q.Content == std::int16_t(QrContent::VCard));
    }
    const QString text = QrText(m_doc.card);
    if (contentView->toPlainText() != text)
        contentView->setPlainText(text);
    if (!q.On) {
        stateLabel->setText(QString());
    } else {
        const QrResult code = MakeQrCode(m_doc.card);
        if (code.drawable()) {
            stateLabel->setStyleSheet(QString());
            stateLabel->setText(QStringLiteral("%1 × %1 モジュール、1 モジュール %2 mm")
                                    .arg(code.symbol.width)
                                    .arg(QString::number(code.moduleMm, 'f', 2)));
        } else {
            stateLabel->setStyleSheet(QStringLiteral("color: red"));
            stateLabel->setText(code.problem +
                                QStringLiteral("\nこのままではQRコードを印刷しません。"));
        }
    }
    m_showing = false;
}

void QrForm::apply() {
    if (m_showing)
        return;
    QrCode& q = m_doc.card.Qr;
    q.Content = std::int16_t(lineOption->isChecked() ? QrContent::LineText : QrContent::VCard);
    q.Line = std::int16_t(std::max(0, lineChoice->currentIndex()));
    q.Level = std::int16_t(std::max(0, levelChoice->currentIndex()));
    q.Left = leftField->value();
    q.Top = topField->value();
    q.Side = sideField->value();
    // The canvas keeps the code on the card, and the window shows it.
    m_doc.markChanged(CardChange::QrCode);
}

void QrForm::switchCode() {
    QrCode& q = m_doc.card.Qr;
    if (enabledBox->isChecked() && q.Side <= 0)
        q = DefaultQrCode(CardSize(m_doc.card).width(), CardSize(m_doc.card).height());
    q.On = enabledBox->isChecked();
    // The canvas keeps the code on the card, and the window shows it.
    m_doc.markChanged(CardChange::QrCode);
}

void QrForm::chooseColour() {
    const auto chosen = m_ui.chooseColor(quint32(m_doc.card.Qr.Color));
    if (!chosen)
        return;
    m_doc.card.Qr.Color = std::int32_t(*chosen);
    // The canvas keeps the code on the card, and the window shows it.
    m_doc.markChanged(CardChange::QrCode);
}

void QrForm::chooseLines(int line) {
    int mask = 0;
    for (int i = 0; i < LineCount; ++i)
        if (lineBoxes[i]->isChecked())
            mask |= 1 << i;
    // A mask of none would be stored as all of them: one line stays in.
    if (mask == 0) {
        m_ui.beep();
        lineBoxes[line]->setChecked(true);
        return;
    }
    m_doc.card.Qr.Lines = QrLineMask(mask);
    // The canvas keeps the code on the card, and the window shows it.
    m_doc.markChanged(CardChange::QrCode);
}
