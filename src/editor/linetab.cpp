#include "linetab.h"

#include "base/fonts.h"
#include "base/uiservices.h"
#include "document/card.h"
#include "document/carddocument.h"
#include "lineedits.h"
#include "toolfields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>

LineTab::LineTab(CardDocument& doc, UiServices& ui, int index, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_ui(ui), m_index(index) {
    connect(&doc, &CardDocument::changed, this, &LineTab::cardChanged);
    setObjectName(QStringLiteral("LineTab_%1").arg(index));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(4);

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAttribute(Qt::WA_InputMethodEnabled, true);
    Text1->installEventFilter(this);
    connect(Text1, &QLineEdit::textEdited, this, &LineTab::Text1_Change);
    outer->addWidget(Text1);

    auto* groups = new QHBoxLayout;
    groups->setSpacing(6);
    outer->addLayout(groups);

    // Font group
    Frame2 = new QGroupBox(QStringLiteral("ﾌｫﾝﾄ"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto* font = new QGridLayout(Frame2);
    font->setContentsMargins(6, 4, 6, 4);
    font->setHorizontalSpacing(4);
    font->setVerticalSpacing(2);
    Label1 = new QLabel(QStringLiteral("ﾌｫﾝﾄ名 :"), Frame2);
    ComboFN = new QComboBox(Frame2);
    ComboFN->setObjectName(QStringLiteral("ComboFN"));
    ComboFN->setMinimumContentsLength(12);
    ComboFN->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(ComboFN, &QComboBox::activated, this, &LineTab::ComboFN_Click);
    Label4 = new QLabel(QStringLiteral("ｻｲｽﾞ :"), Frame2);
    TextFsize = makeNumberField("TextFsize", 48);
    TextFsize->setParent(Frame2);
    VScroll1 = makeSpin(Qt::Vertical, "VScroll1");
    VScroll1->setParent(Frame2);
    connect(VScroll1, &QScrollBar::valueChanged, this, &LineTab::VScroll1_Change);
    Check1 = new QCheckBox(QStringLiteral("太字"), Frame2);
    Check2 = new QCheckBox(QStringLiteral("斜体"), Frame2);
    Check3 = new QCheckBox(QStringLiteral("ｱﾝﾀﾞｰﾗｲﾝ"), Frame2);
    Check4 = new QCheckBox(QStringLiteral("取り消し線"), Frame2);
    Check5 = new QCheckBox(QStringLiteral("縦書き"), Frame2);
    int n = 1;
    for (QCheckBox* c : {Check1, Check2, Check3, Check4, Check5}) {
        c->setObjectName(QStringLiteral("Check%1").arg(n++));
        connect(c, &QCheckBox::clicked, this, &LineTab::Check_Click);
    }
    digitsLabel = new QLabel(QStringLiteral("縦書きの数字 :"), Frame2);
    digitsChoice = new QComboBox(Frame2);
    digitsChoice->setObjectName(QStringLiteral("digitsChoice"));
    // In the order of VerticalDigits.
    digitsChoice->addItems(
        {QStringLiteral("横倒し"), QStringLiteral("縦中横"), QStringLiteral("全角で立てる")});
    connect(digitsChoice, &QComboBox::activated, this, &LineTab::chooseDigits);
    Label3 = new QLabel(QStringLiteral("色 :"), Frame2);
    Shape1 = MakeColourSwatch(Frame2, QStringLiteral("Shape1"));
    CmdC = new QPushButton(QStringLiteral("設定"), Frame2);
    CmdC->setObjectName(QStringLiteral("CmdC"));
    connect(CmdC, &QPushButton::clicked, this, &LineTab::CmdC_Click);

    auto* sizeRow = new QHBoxLayout;
    sizeRow->setSpacing(0);
    sizeRow->addWidget(TextFsize);
    sizeRow->addWidget(VScroll1);
    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(Shape1);
    colorRow->addWidget(CmdC);
    font->addWidget(Label1, 0, 0);
    font->addWidget(ComboFN, 0, 1, 1, 3);
    font->addWidget(Label4, 1, 0);
    font->addLayout(sizeRow, 1, 1);
    font->addWidget(Label3, 1, 2);
    font->addLayout(colorRow, 1, 3);
    font->addWidget(Check1, 2, 0, 1, 1);
    font->addWidget(Check2, 2, 1, 1, 1);
    font->addWidget(Check3, 2, 2, 1, 1);
    font->addWidget(Check4, 2, 3, 1, 1);
    auto* verticalRow = new QHBoxLayout;
    verticalRow->addWidget(Check5);
    verticalRow->addSpacing(12);
    verticalRow->addWidget(digitsLabel);
    verticalRow->addWidget(digitsChoice);
    verticalRow->addStretch(1);
    font->addLayout(verticalRow, 3, 0, 1, 4);
    // The width scale (長体): a percent, or as far as the card needs.
    scaleLabel = new QLabel(QStringLiteral("長体 :"), Frame2);
    widthScale = new QSpinBox(Frame2);
    widthScale->setObjectName(QStringLiteral("widthScale"));
    widthScale->setRange(MinWidthScale, 100);
    widthScale->setSingleStep(5);
    widthScale->setSuffix(QStringLiteral(" %"));
    widthScale->setKeyboardTracking(false);
    widthScale->setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(widthScale, &QSpinBox::valueChanged, this, &LineTab::widthScaleChanged);
    fitToCard = new QCheckBox(QStringLiteral("長体で収める"), Frame2);
    fitToCard->setObjectName(QStringLiteral("fitToCard"));
    fitToCard->setToolTip(QStringLiteral("名刺からはみ出す分だけ文字の幅を狭めます（50 % まで）"));
    connect(fitToCard, &QCheckBox::clicked, this, &LineTab::widthScaleChanged);
    font->addWidget(scaleLabel, 4, 0);
    font->addWidget(widthScale, 4, 1);
    font->addWidget(fitToCard, 4, 2, 1, 2);
    groups->addWidget(Frame2, 3);

    // Position group
    Frame3 = new QGroupBox(QStringLiteral("位置"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    auto* pos = new QGridLayout(Frame3);
    pos->setContentsMargins(6, 4, 6, 4);
    pos->setVerticalSpacing(2);
    Label5 = new QLabel(QStringLiteral("X :"), Frame3);
    TextX = makeNumberField("TextX", 52);
    TextX->setParent(Frame3);
    HScroll1 = makeSpin(Qt::Horizontal, "HScroll1");
    HScroll1->setParent(Frame3);
    connect(HScroll1, &QScrollBar::valueChanged, this, &LineTab::HScroll1_Change);
    Label6 = new QLabel(QStringLiteral("Y :"), Frame3);
    TextY = makeNumberField("TextY", 52);
    TextY->setParent(Frame3);
    VScroll3 = makeSpin(Qt::Vertical, "VScroll3");
    VScroll3->setParent(Frame3);
    connect(VScroll3, &QScrollBar::valueChanged, this, &LineTab::VScroll3_Change);
    pos->addWidget(Label5, 0, 0);
    pos->addWidget(TextX, 0, 1);
    pos->addWidget(HScroll1, 1, 1);
    pos->addWidget(Label6, 2, 0);
    auto* yRow = new QHBoxLayout;
    yRow->setSpacing(0);
    yRow->addWidget(TextY);
    yRow->addWidget(VScroll3);
    pos->addLayout(yRow, 2, 1);
    groups->addWidget(Frame3, 1);

    // 3D group
    frm_Kage = new QGroupBox(QStringLiteral("立体文字"), this);
    frm_Kage->setObjectName(QStringLiteral("frm_Kage"));
    auto* kage = new QGridLayout(frm_Kage);
    kage->setContentsMargins(6, 4, 6, 4);
    kage->setVerticalSpacing(2);
    chk_Kage = new QCheckBox(QStringLiteral("使用"), frm_Kage);
    chk_Kage->setObjectName(QStringLiteral("chk_Kage"));
    connect(chk_Kage, &QCheckBox::clicked, this, &LineTab::chk_Kage_Click);
    lbl_Kage1 = new QLabel(QStringLiteral("高さ :"), frm_Kage);
    txt_Takasa = makeNumberField("txt_Takasa", 40);
    txt_Takasa->setParent(frm_Kage);
    VSc_Takasa = makeSpin(Qt::Vertical, "VSc_Takasa");
    VSc_Takasa->setParent(frm_Kage);
    connect(VSc_Takasa, &QScrollBar::valueChanged, this, &LineTab::VSc_Takasa_Change);
    lbl_Kage2 = new QLabel(QStringLiteral("色 :"), frm_Kage);
    shp_Kage = new QFrame(frm_Kage);
    shp_Kage->setObjectName(QStringLiteral("shp_Kage"));
    shp_Kage->setFrameShape(QFrame::Box);
    shp_Kage->setFixedSize(28, 18);
    shp_Kage->setAutoFillBackground(true);
    Cmd_Kage = new QPushButton(QStringLiteral("設定"), frm_Kage);
    Cmd_Kage->setObjectName(QStringLiteral("Cmd_Kage"));
    connect(Cmd_Kage, &QPushButton::clicked, this, &LineTab::Cmd_Kage_Click);
    lbl_Kage3 = new QLabel(QStringLiteral("方向 :"), frm_Kage);
    cmb_Houkou = new QComboBox(frm_Kage);
    cmb_Houkou->setObjectName(QStringLiteral("cmb_Houkou"));
    for (int d = 0; d < 8; ++d)
        cmb_Houkou->addItem(HoukouName[d]);
    cmb_Houkou->setCurrentIndex(3);
    connect(cmb_Houkou, &QComboBox::activated, this, &LineTab::cmb_Houkou_Click);
    auto* heightRow = new QHBoxLayout;
    heightRow->setSpacing(0);
    heightRow->addWidget(txt_Takasa);
    heightRow->addWidget(VSc_Takasa);
    auto* kageColorRow = new QHBoxLayout;
    kageColorRow->addWidget(shp_Kage);
    kageColorRow->addWidget(Cmd_Kage);
    kage->addWidget(chk_Kage, 0, 0, 1, 2);
    kage->addWidget(lbl_Kage1, 1, 0);
    kage->addLayout(heightRow, 1, 1);
    kage->addWidget(lbl_Kage3, 1, 2);
    kage->addWidget(cmb_Houkou, 1, 3);
    kage->addWidget(lbl_Kage2, 2, 0);
    kage->addLayout(kageColorRow, 2, 1, 1, 3);
    groups->addWidget(frm_Kage, 2);

    connect(TextFsize, &QLineEdit::returnPressed, this, &LineTab::TextFsize_Commit);
    connect(TextX, &QLineEdit::returnPressed, this, &LineTab::TextX_Commit);
    connect(TextY, &QLineEdit::returnPressed, this, &LineTab::TextY_Commit);
    connect(txt_Takasa, &QLineEdit::returnPressed, this, &LineTab::txt_Takasa_Commit);

    FillSwatch(Shape1, 0);
    FillSwatch(shp_Kage, 0);
    txt_Takasa->setText(FormatOneDecimal(0.5));
    EnableKageControls(false);

    // Tab goes through the tab as it reads: the text, the font group, the
    // position, the 3D group. The spin buttons are for the mouse.
    QWidget* const order[] = {Text1,  ComboFN, TextFsize,    Check1,     Check2,     Check3,
                              Check4, Check5,  digitsChoice, widthScale, fitToCard,  CmdC,
                              TextX,  TextY,   chk_Kage,     txt_Takasa, cmb_Houkou, Cmd_Kage};
    for (std::size_t k = 1; k < std::size(order); ++k)
        setTabOrder(order[k - 1], order[k]);
}

QScrollBar* LineTab::makeSpin(Qt::Orientation orientation, const char* name) {
    auto* spin = new QScrollBar(orientation, this);
    spin->setObjectName(QString::fromLatin1(name));
    // A spin button: it rests at 1; an arrow moves it to 0 or 2 and the
    // handler puts it back.
    spin->setRange(0, 32767);
    spin->setSingleStep(1);
    spin->setPageStep(1);
    spin->setValue(1);
    spin->setFocusPolicy(Qt::NoFocus);
    if (orientation == Qt::Vertical)
        spin->setFixedSize(16, 24);
    else
        spin->setFixedSize(52, 16);
    return spin;
}

QLineEdit* LineTab::makeNumberField(const char* name, int width) {
    auto* field = new QLineEdit(this);
    field->setObjectName(QString::fromLatin1(name));
    field->setFixedWidth(width);
    field->setAlignment(Qt::AlignRight);
    // Numbers are typed without the input method.
    field->setAttribute(Qt::WA_InputMethodEnabled, false);
    field->installEventFilter(this);
    return field;
}

bool LineTab::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field && event->type() == QEvent::ShortcutOverride) {
        // Undo and redo act on the card, not on the field's own text: the
        // field does not claim the keys, so the edit menu's entries get them.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo))
            return true;
    }
    if (field == Text1 && event->type() == QEvent::FocusOut)
        m_doc.history().endMerging();
    if (field && event->type() == QEvent::FocusIn) {
        QTimer::singleShot(0, field, &QLineEdit::selectAll);
    } else if (field && event->type() == QEvent::FocusOut && field != Text1 &&
               static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason &&
               static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason) {
        // Leaving the field for another control commits it; switching to
        // another window or program does not (the field keeps its focus).
        if (field == TextFsize)
            TextFsize_Commit();
        else if (field == TextX)
            TextX_Commit();
        else if (field == TextY)
            TextY_Commit();
        else if (field == txt_Takasa)
            txt_Takasa_Commit();
    }
    return QWidget::eventFilter(watched, event);
}

void LineTab::changed(CardChange what, bool mergeable) {
    m_doc.markChanged(what, m_index, mergeable);
}

void LineTab::cardChanged(CardPart part, int line) {
    // Drawing keeps the line on the card, which may move it.
    if (part == CardPart::Line && line == m_index)
        IcPrint();
}

void LineTab::rest(QScrollBar* spin) {
    spin->setValue(1);
}

void LineTab::Text1_Change(const QString& text) {
    const QString clean = CleanLineText(text);
    if (clean != text) {
        const int cursor = Text1->cursorPosition() - int(text.size() - clean.size());
        Text1->setText(clean);
        Text1->setCursorPosition(std::max(0, cursor));
        m_ui.beep();
    }
    m_doc.card.TextItems[m_index].Text = clean;
    changed(CardChange::Text, true);
}

void LineTab::insertField(const QString& field) {
    Text1->insert(field);
    Text1_Change(Text1->text());
    m_doc.history().endMerging();
}

void LineTab::ComboFN_Click(int row) {
    if (row >= 0)
        m_doc.card.TextItems[m_index].FontName = ComboFN->itemText(row);
    changed(CardChange::FontName);
}

void LineTab::TextFsize_Commit() {
    TextItem& t = m_doc.card.TextItems[m_index];
    if (const auto size = TypedFontSize(TextFsize->text()))
        t.FontSize = *size;
    else
        m_ui.beep();
    TextFsize->setText(FormatOneDecimal(t.FontSize));
    changed(CardChange::FontSize);
}

void LineTab::VScroll1_Change(int value) {
    TextItem& t = m_doc.card.TextItems[m_index];
    if (value != 1) {
        bool limited = false;
        t.FontSize = FontSizeStep(t.FontSize, value < 1, &limited);
        if (limited)
            m_ui.beep();
    }
    TextFsize->setText(FormatOneDecimal(t.FontSize));
    changed(CardChange::FontSize);
    rest(VScroll1);
}

void LineTab::Check_Click() {
    TextItem& t = m_doc.card.TextItems[m_index];
    t.Bold = Check1->isChecked();
    t.Italic = Check2->isChecked();
    t.Underline = Check3->isChecked();
    t.Strikethrough = Check4->isChecked();
    t.Tategaki = Check5->isChecked();
    enableDigits();
    changed(CardChange::Style);
}

void LineTab::widthScaleChanged() {
    TextItem& t = m_doc.card.TextItems[m_index];
    const int percent = widthScale->value();
    t.WidthScale = fitToCard->isChecked() ? FitToCard : percent < 100 ? std::int16_t(percent) : 0;
    widthScale->setEnabled(!fitToCard->isChecked());
    changed(CardChange::WidthScale);
}

void LineTab::chooseDigits(int row) {
    m_doc.card.TextItems[m_index].Digits =
        row == 1 || row == 2 ? VerticalDigits(row) : VerticalDigits::TurnedUnits;
    changed(CardChange::Style);
}

void LineTab::enableDigits() {
    // The digits' setting acts on a vertical line only.
    const bool vertical = m_doc.card.TextItems[m_index].Tategaki;
    digitsLabel->setEnabled(vertical);
    digitsChoice->setEnabled(vertical);
}

void LineTab::CmdC_Click() {
    TextItem& t = m_doc.card.TextItems[m_index];
    const auto color = m_ui.chooseColor(quint32(t.ForeColor));
    if (!color)
        return;
    t.ForeColor = std::int32_t(*color);
    FillSwatch(Shape1, t.ForeColor);
    changed(CardChange::Color);
}

void LineTab::TextX_Commit() {
    m_doc.card.TextItems[m_index].Left = TruncateToTenth(TextX->text());
    changed(CardChange::Position);
}

void LineTab::TextY_Commit() {
    m_doc.card.TextItems[m_index].Top = TruncateToTenth(TextY->text());
    changed(CardChange::Position);
}

void LineTab::HScroll1_Change(int value) {
    TextItem& t = m_doc.card.TextItems[m_index];
    if (value < 1)
        t.Left -= 0.1;
    else if (value > 1)
        t.Left += 0.1;
    changed(CardChange::Position);
    rest(HScroll1);
}

void LineTab::VScroll3_Change(int value) {
    TextItem& t = m_doc.card.TextItems[m_index];
    if (value < 1)
        t.Top -= 0.1;
    else if (value > 1)
        t.Top += 0.1;
    changed(CardChange::Position);
    rest(VScroll3);
}

void LineTab::chk_Kage_Click() {
    TextItem& t = m_doc.card.TextItems[m_index];
    t.KageOn = chk_Kage->isChecked();
    EnableKageControls(t.KageOn);
    changed(CardChange::Kage);
}

void LineTab::cmb_Houkou_Click(int row) {
    m_doc.card.TextItems[m_index].KageHoukou = std::int16_t(row >= 0 && row < 8 ? row : 3);
    changed(CardChange::Kage);
}

void LineTab::Cmd_Kage_Click() {
    TextItem& t = m_doc.card.TextItems[m_index];
    const auto color = m_ui.chooseColor(quint32(t.KageColor));
    if (!color)
        return;
    t.KageColor = std::int32_t(*color);
    FillSwatch(shp_Kage, t.KageColor);
    changed(CardChange::Kage);
}

void LineTab::txt_Takasa_Commit() {
    // No limit on a typed height, and the box keeps what was typed.
    m_doc.card.TextItems[m_index].KageTakasa = TruncateToTenth(txt_Takasa->text());
    changed(CardChange::KageHeight);
}

void LineTab::VSc_Takasa_Change(int value) {
    TextItem& t = m_doc.card.TextItems[m_index];
    if (value != 1) {
        bool limited = false;
        t.KageTakasa = TakasaStep(t.KageTakasa, value < 1, &limited);
        if (limited)
            m_ui.beep();
    }
    txt_Takasa->setText(FormatOneDecimal(t.KageTakasa));
    changed(CardChange::KageHeight);
    rest(VSc_Takasa);
}

void LineTab::EnableKageControls(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{txt_Takasa, VSc_Takasa, shp_Kage, Cmd_Kage,
                                                      lbl_Kage1, lbl_Kage2, lbl_Kage3, cmb_Houkou})
        w->setEnabled(on);
}

void LineTab::setCurrent(bool current) {
    Text1->setEnabled(current);
    Frame2->setEnabled(current);
    Frame3->setEnabled(current);
}

void LineTab::setFontList(const QStringList& fonts, const QString& current) {
    const QSignalBlocker block(ComboFN);
    ComboFN->clear();
    ComboFN->addItems(fonts);
    ComboFN->setCurrentText(current);
}

void LineTab::IcPrint() {
    const TextItem& t = m_doc.card.TextItems[m_index];
    TextX->setText(FormatOneDecimal(t.Left));
    TextY->setText(FormatOneDecimal(t.Top));
}

void LineTab::showLine() {
    const TextItem& t = m_doc.card.TextItems[m_index];
    const QSignalBlocker b1(Text1), b2(ComboFN), b3(cmb_Houkou), b4(digitsChoice);
    Text1->setText(t.Text);
    // A card may name the font by another of its names than the list's.
    int row = ComboFN->findText(t.FontName);
    if (row < 0)
        row = ComboFN->findText(InstalledFamilyFor(t.FontName));
    if (row >= 0)
        ComboFN->setCurrentIndex(row);
    else
        ComboFN->setEditText(t.FontName);
    TextFsize->setText(FormatOneDecimal(t.FontSize));
    Check1->setChecked(t.Bold);
    Check2->setChecked(t.Italic);
    Check3->setChecked(t.Underline);
    Check4->setChecked(t.Strikethrough);
    Check5->setChecked(t.Tategaki);
    {
        const QSignalBlocker b4(widthScale);
        widthScale->setValue(IsCondensedScale(t.WidthScale) ? t.WidthScale : 100);
    }
    fitToCard->setChecked(t.WidthScale == FitToCard);
    widthScale->setEnabled(t.WidthScale != FitToCard);
    digitsChoice->setCurrentIndex(int(t.Digits));
    enableDigits();
    FillSwatch(Shape1, t.ForeColor);
    chk_Kage->setChecked(t.KageOn);
    EnableKageControls(t.KageOn);
    txt_Takasa->setText(FormatOneDecimal(t.KageTakasa));
    cmb_Houkou->setCurrentIndex(t.KageHoukou >= 0 && t.KageHoukou < 8 ? t.KageHoukou : 3);
    FillSwatch(shp_Kage, t.KageColor);
    IcPrint();
}
