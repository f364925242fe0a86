#include "qrform.h"

#include "base/uiservices.h"
#include "cardcanvas.h"
#include "document/carddocument.h"
#include "document/qrcode.h"
#include "qritem.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox* makeMmField(QWidget* parent, const char* name) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setRange(0, 999.9);
    box->setSuffix(QStringLiteral(" mm"));
    box->setKeyboardTracking(false);
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    return box;
}

} // namespace

QrForm::QrForm(CardDocument& doc, UiServices& ui, CardCanvas* canvas, QWidget* parent)
    : QDialog(parent, Qt::Tool), m_doc(doc), m_ui(ui), m_canvas(canvas) {
    setObjectName(QStringLiteral("frmQrCode"));
    setWindowTitle(QStringLiteral("QRコード"));
    auto* outer = new QVBoxLayout(this);

    chk_Qr = new QCheckBox(QStringLiteral("名刺にQRコードを入れる"), this);
    chk_Qr->setObjectName(QStringLiteral("chk_Qr"));
    connect(chk_Qr, &QCheckBox::clicked, this, &QrForm::chk_Qr_Click);
    outer->addWidget(chk_Qr);

    auto* content = new QGroupBox(QStringLiteral("内容"), this);
    auto* contentLayout = new QVBoxLayout(content);
    opt_VCard = new QRadioButton(QStringLiteral("名刺の連絡先 (vCard)"), content);
    opt_VCard->setObjectName(QStringLiteral("opt_VCard"));
    opt_Line = new QRadioButton(QStringLiteral("次の行の文字 (URL など) :"), content);
    opt_Line->setObjectName(QStringLiteral("opt_Line"));
    cmb_Line = new QComboBox(content);
    cmb_Line->setObjectName(QStringLiteral("cmb_Line"));
    for (int i = 0; i < LineCount; ++i)
        cmb_Line->addItem(TabCaption(i));
    auto* lineRow = new QHBoxLayout;
    lineRow->addWidget(opt_Line);
    lineRow->addWidget(cmb_Line, 1);
    contentLayout->addWidget(opt_VCard);
    contentLayout->addLayout(lineRow);
    outer->addWidget(content);

    auto* form = new QFormLayout;
    cmb_Level = new QComboBox(this);
    cmb_Level->setObjectName(QStringLiteral("cmb_Level"));
    cmb_Level->addItems(QrLevelNames());
    form->addRow(QStringLiteral("誤り訂正 :"), cmb_Level);
    shp_Color = new QFrame(this);
    shp_Color->setObjectName(QStringLiteral("shp_Color"));
    shp_Color->setFrameShape(QFrame::Box);
    shp_Color->setFixedSize(28, 18);
    shp_Color->setAutoFillBackground(true);
    cmd_Color = new QPushButton(QStringLiteral("設定"), this);
    cmd_Color->setObjectName(QStringLiteral("cmd_Color"));
    connect(cmd_Color, &QPushButton::clicked, this, &QrForm::cmd_Color_Click);
    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(shp_Color);
    colorRow->addWidget(cmd_Color);
    colorRow->addStretch(1);
    form->addRow(QStringLiteral("色 :"), colorRow);
    txt_X = makeMmField(this, "txt_X");
    txt_Y = makeMmField(this, "txt_Y");
    txt_Side = makeMmField(this, "txt_Side");
    form->addRow(QStringLiteral("X :"), txt_X);
    form->addRow(QStringLiteral("Y :"), txt_Y);
    form->addRow(QStringLiteral("一辺 :"), txt_Side);
    outer->addLayout(form);

    txt_Content = new QPlainTextEdit(this);
    txt_Content->setObjectName(QStringLiteral("txt_Content"));
    txt_Content->setReadOnly(true);
    txt_Content->setMinimumSize(320, 140);
    outer->addWidget(new QLabel(QStringLiteral("QRコードにする文字 :"), this));
    outer->addWidget(txt_Content, 1);
    lbl_State = new QLabel(this);
    lbl_State->setObjectName(QStringLiteral("lbl_State"));
    lbl_State->setWordWrap(true);
    outer->addWidget(lbl_State);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("閉じる"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    outer->addWidget(buttons);

    for (QRadioButton* b : {opt_VCard, opt_Line})
        connect(b, &QRadioButton::toggled, this, &QrForm::apply);
    for (QComboBox* c : {cmb_Line, cmb_Level})
        connect(c, &QComboBox::currentIndexChanged, this, &QrForm::apply);
    for (QDoubleSpinBox* f : {txt_X, txt_Y, txt_Side})
        connect(f, &QDoubleSpinBox::valueChanged, this, &QrForm::apply);
    connect(m_canvas->qrItem(), &QrItem::shown, this, &QrForm::showQr);
    showQr();
}

void QrForm::showQr() {
    m_showing = true;
    const QrCode& q = m_doc.card.Qr;
    chk_Qr->setChecked(q.On);
    (q.Content == std::int16_t(QrContent::LineText) ? opt_Line : opt_VCard)->setChecked(true);
    cmb_Line->setCurrentIndex(q.Line);
    cmb_Level->setCurrentIndex(q.Level);
    QPalette pal = shp_Color->palette();
    pal.setColor(QPalette::Window, ColorFromRgb(quint32(q.Color)));
    shp_Color->setPalette(pal);
    txt_X->setValue(q.Left);
    txt_Y->setValue(q.Top);
    txt_Side->setValue(q.Side);
    for (QWidget* w : std::initializer_list<QWidget*>{opt_VCard, opt_Line, cmb_Line, cmb_Level,
                                                      cmd_Color, txt_X, txt_Y, txt_Side})
        w->setEnabled(q.On);
    const QString text = QrText(m_doc.card);
    if (txt_Content->toPlainText() != text)
        txt_Content->setPlainText(text);
    if (!q.On) {
        lbl_State->setText(QString());
    } else {
        const QrResult code = MakeQrCode(m_doc.card);
        if (code.drawable()) {
            lbl_State->setStyleSheet(QString());
            lbl_State->setText(QStringLiteral("%1 × %1 モジュール、1 モジュール %2 mm")
                                   .arg(code.symbol.width)
                                   .arg(QString::number(code.moduleMm, 'f', 2)));
        } else {
            lbl_State->setStyleSheet(QStringLiteral("color: red"));
            lbl_State->setText(code.problem +
                               QStringLiteral("\nこのままではQRコードを印刷しません。"));
        }
    }
    m_showing = false;
}

void QrForm::apply() {
    if (m_showing)
        return;
    QrCode& q = m_doc.card.Qr;
    q.Content = std::int16_t(opt_Line->isChecked() ? QrContent::LineText : QrContent::VCard);
    q.Line = std::int16_t(std::max(0, cmb_Line->currentIndex()));
    q.Level = std::int16_t(std::max(0, cmb_Level->currentIndex()));
    q.Left = txt_X->value();
    q.Top = txt_Y->value();
    q.Side = txt_Side->value();
    // The canvas keeps the code on the card, and the window shows it.
    m_doc.markChanged(CardChange::QrCode);
}

void QrForm::chk_Qr_Click() {
    QrCode& q = m_doc.card.Qr;
    if (chk_Qr->isChecked() && q.Side <= 0)
        q = DefaultQrCode(m_doc.card.PrintStyle.MsX, m_doc.card.PrintStyle.MsY);
    q.On = chk_Qr->isChecked();
    // The canvas keeps the code on the card, and the window shows it.
    m_doc.markChanged(CardChange::QrCode);
}

void QrForm::cmd_Color_Click() {
    const auto chosen = m_ui.chooseColor(quint32(m_doc.card.Qr.Color));
    if (!chosen)
        return;
    m_doc.card.Qr.Color = std::int32_t(*chosen);
    // The canvas keeps the code on the card, and the window shows it.
    m_doc.markChanged(CardChange::QrCode);
}
