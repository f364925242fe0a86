#include "printstyleform.h"

#include "base/appstate.h"
#include "base/datafiles.h"
#include "base/printer.h"
#include "base/uiservices.h"
#include "document/carddocument.h"
#include "editor/lineedits.h"
#include "templateform.h"
#include "templates.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <span>

namespace {

constexpr int DiagramPadding = 4;

// The arrow-key rings of the entry fields: margins, gaps and counts on one
// tab; paper length, paper width and card size on the other.
constexpr SheetField LayoutRing[] = {SheetField::Yhktop, SheetField::YhkLeft, SheetField::Kktop,
                                     SheetField::KkLeft, SheetField::MaisuY,  SheetField::MaisuX};
constexpr SheetField SizeRing[] = {SheetField::YsY, SheetField::YsX, SheetField::MsY,
                                   SheetField::MsX};

bool isPaper(SheetField f) {
    return f == SheetField::YsX || f == SheetField::YsY;
}
bool isIsfk(SheetField f) {
    return f == SheetField::IsfkY || f == SheetField::IsfkX;
}

} // namespace

SheetDiagram::SheetDiagram(const QImage& cardPicture, int twipsPerPixel, QWidget* parent)
    : QWidget(parent),
      // One millimetre is 10 twips of the screen.
      m_pixelsPerMm(10.0 / std::max(1, twipsPerPixel)) {
    setObjectName(QStringLiteral("pic_back"));
    // Cards are a few dozen pixels wide: a small copy scales quickly and well.
    if (!cardPicture.isNull())
        m_picture = cardPicture.scaled(256, 256, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SheetDiagram::sizeHint() const {
    // An A4 sheet with the page a few millimetres longer fits unscaled.
    return {int(std::ceil(210 * m_pixelsPerMm)) + 2 * DiagramPadding,
            int(std::ceil(300 * m_pixelsPerMm)) + 2 * DiagramPadding};
}

void SheetDiagram::setPaper(double height, double width, double printableHeight,
                            double printableWidth) {
    m_paper = QSizeF(std::max(0.0, width), std::max(0.0, height));
    m_printable = QSizeF(std::max(0.0, printableWidth), std::max(0.0, printableHeight));
    update();
}

void SheetDiagram::setCards(const QList<QRectF>& cards) {
    m_cards = cards;
    update();
}

void SheetDiagram::paintEvent(QPaintEvent*) {
    if (m_paper.isEmpty())
        return;
    // A paper larger than the room is drawn smaller.
    const QSizeF room(width() - 2 * DiagramPadding, height() - 2 * DiagramPadding);
    const double scale =
        std::min({m_pixelsPerMm, room.width() / m_paper.width(), room.height() / m_paper.height()});
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.translate((width() - m_paper.width() * scale) / 2, (height() - m_paper.height() * scale) / 2);
    p.scale(scale, scale);

    const QRectF paper(QPointF(0, 0), m_paper);
    p.fillRect(paper, QColor(0xd4, 0xd4, 0xd4)); // the unprintable border shows grey

    // The printable area is centred on the paper; the cards are placed in it
    // and cut off at its edge.
    const QRectF printable(QPointF((m_paper.width() - m_printable.width()) / 2,
                                   (m_paper.height() - m_printable.height()) / 2),
                           m_printable);
    p.fillRect(printable, Qt::white);
    p.save();
    p.setClipRect(printable);
    p.translate(printable.topLeft());
    p.setPen(QPen(QColor(0x50, 0x68, 0x98), 0));
    p.setBrush(QColor(0xf2, 0xf5, 0xfb));
    for (const QRectF& card : m_cards) {
        if (m_picture.isNull())
            p.drawRect(card);
        else {
            p.drawImage(card, m_picture);
            p.setBrush(Qt::NoBrush);
            p.drawRect(card);
        }
    }
    p.restore();
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(paper);
}

PrintsForm::PrintsForm(CardDocument& doc, UiServices& ui, Settings& settings,
                       PrinterChoice& printers, AppState& app, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_ui(ui), m_settings(settings), m_printers(printers),
      m_app(app) {
    setObjectName(QStringLiteral("PrintsForm"));
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("印刷ｽﾀｲﾙ"));

    // Controls
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    auto* layoutTab = new QWidget;
    auto* sizeTab = new QWidget;
    SSTab1->addTab(layoutTab, QStringLiteral("ﾚｲｱｳﾄ"));
    SSTab1->addTab(sizeTab, QStringLiteral("ｻｲｽﾞ"));

    Frame2 = makePair(QStringLiteral("余白 (㎜)"), SheetField::Yhktop, QStringLiteral("上："),
                      QStringLiteral("左："));
    Frame3 = makePair(QStringLiteral("間隔 (㎜)"), SheetField::Kktop, QStringLiteral("縦："),
                      QStringLiteral("横："));
    Frame6 = makePair(QStringLiteral("枚数"), SheetField::MaisuY, QStringLiteral("縦："),
                      QStringLiteral("横："));
    Chk_Isfk = new QCheckBox(QStringLiteral("自動"));
    Chk_Isfk->setObjectName(QStringLiteral("Chk_Isfk"));
    Frame7 = makePair(QStringLiteral("印刷不可領域 (㎜)"), SheetField::IsfkY,
                      QStringLiteral("上方："), QStringLiteral("左方："), Chk_Isfk);
    Combo1 = new QComboBox;
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Frame4 = makePair(QStringLiteral("用紙ｻｲｽﾞ (㎜)"), SheetField::YsX, QStringLiteral("幅　："),
                      QStringLiteral("長さ："), Combo1);
    Frame5 = makePair(QStringLiteral("名刺ｻｲｽﾞ (㎜)"), SheetField::MsY, QStringLiteral("縦："),
                      QStringLiteral("横："));
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame6->setObjectName(QStringLiteral("Frame6"));
    Frame7->setObjectName(QStringLiteral("Frame7"));
    Frame4->setObjectName(QStringLiteral("Frame4"));
    Frame5->setObjectName(QStringLiteral("Frame5"));
    for (int i = 0; i < 2; ++i) {
        Text1[i] = m_fields[0 + i];
        Text2[i] = m_fields[2 + i];
        Text3[i] = m_fields[4 + i];
        Text4[i] = m_fields[6 + i];
        Text5[i] = m_fields[8 + i];
        Text6[i] = m_fields[10 + i];
        VScroll1[i] = m_spins[0 + i];
        VScroll2[i] = m_spins[2 + i];
        VScroll3[i] = m_spins[4 + i];
        VScroll4[i] = m_spins[6 + i];
        VScroll5[i] = m_spins[8 + i];
        VScroll6[i] = m_spins[10 + i];
    }

    auto* layoutPage = new QVBoxLayout(layoutTab);
    layoutPage->setContentsMargins(6, 6, 6, 6);
    layoutPage->setSpacing(4);
    for (QGroupBox* g : {Frame2, Frame3, Frame6})
        layoutPage->addWidget(g);
    layoutPage->addStretch();
    auto* sizePage = new QVBoxLayout(sizeTab);
    sizePage->setContentsMargins(6, 6, 6, 6);
    sizePage->setSpacing(4);
    for (QGroupBox* g : {Frame7, Frame4, Frame5})
        sizePage->addWidget(g);
    sizePage->addStretch();

    Frame1 = new QGroupBox(QStringLiteral("印刷ｲﾒｰｼﾞ"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    // The diagram shows the landscape positions: an upright card's picture
    // lies turned in them as it is printed.
    QImage picture = m_doc.pictureImage();
    if (m_doc.card.Upright && !picture.isNull())
        picture = picture.transformed(QTransform().rotate(-90));
    pic_back = new SheetDiagram(picture, m_app.TppX, Frame1);
    auto* diagram = new QVBoxLayout(Frame1);
    diagram->setContentsMargins(4, 2, 4, 4);
    diagram->addWidget(pic_back, 0, Qt::AlignCenter);

    CmdYomiKomi = new QPushButton(QStringLiteral("ﾃﾝﾌﾟﾚｰﾄ"), this);
    CmdYomiKomi->setObjectName(QStringLiteral("CmdYomiKomi"));
    Command1 = new QPushButton(QStringLiteral("更新"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Command2->setObjectName(QStringLiteral("Command2"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CmdYomiKomi);
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* left = new QVBoxLayout;
    left->addWidget(SSTab1);
    left->addLayout(buttons);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->setSpacing(8);
    outer->addLayout(left);
    outer->addWidget(Frame1);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(Combo1, &QComboBox::activated, this, &PrintsForm::Combo1_Click);
    connect(Chk_Isfk, &QCheckBox::clicked, this, &PrintsForm::Chk_Isfk_Click);
    connect(CmdYomiKomi, &QPushButton::clicked, this, &PrintsForm::CmdYomiKomi_Click);
    connect(Command1, &QPushButton::clicked, this, &PrintsForm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &PrintsForm::Command2_Click);

    // Opening: beside the main window, the working copy loaded, the paper
    // list showing its first entry whatever the paper is.
    if (QWidget* owner = parent ? parent->window() : QApplication::activeWindow())
        move(owner->pos() + QPoint(18, 18));
    sheet.Load(m_printers, m_doc.card, m_app);
    {
        // Filling the list is no choice of paper.
        const QSignalBlocker quiet(Combo1);
        for (const PaperEntry& paper : PaperList)
            Combo1->addItem(paper.name);
        Combo1->setCurrentIndex(0);
    }
    sheet.LoadIsfkAuto(m_settings, m_printers, m_app);
    Chk_Isfk->setChecked(sheet.IsfkAuto);
    lockIsfk();
    AllPrint(1);
    IMGPrint_P(2);
    IsfkPrint();
    // Resting the spin bars at 1 is no step.
    for (QScrollBar* s : m_spins) {
        const QSignalBlocker quiet(s);
        s->setValue(1);
    }
}

PrintsForm::~PrintsForm() {
    // Fields that lose the focus while the window is taken down take no value.
    for (QLineEdit* f : m_fields)
        f->removeEventFilter(this);
}

QGroupBox* PrintsForm::makePair(const QString& caption, SheetField first, const QString& firstLabel,
                                const QString& secondLabel, QWidget* top) {
    auto* group = new QGroupBox(caption);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    int row = 0;
    if (top) {
        top->setParent(group);
        grid->addWidget(top, row++, 0, 1, 7);
    }
    for (int i = 0; i < 2; ++i) {
        const auto f = SheetField(int(first) + i);
        auto* field = new QLineEdit(group);
        // The names the fields and bars had as control arrays: Text3_0 …
        const int number = int(f) / 2 + 1;
        field->setObjectName(QStringLiteral("Text%1_%2").arg(number).arg(i));
        field->setFixedWidth(52);
        field->setAlignment(Qt::AlignRight);
        field->setAttribute(Qt::WA_InputMethodEnabled, false);
        field->installEventFilter(this);
        m_fields[int(f)] = field;

        // A spin button rests at 1; an arrow moves it to 0 (up) or 2 (down)
        // and the handler puts it back. Clicking it takes the focus, so a
        // value being typed is taken before the step.
        auto* bar = new QScrollBar(Qt::Vertical, group);
        bar->setObjectName(QStringLiteral("VScroll%1_%2").arg(number).arg(i));
        bar->setRange(0, 32767);
        bar->setSingleStep(1);
        bar->setPageStep(1);
        bar->setValue(1);
        bar->setFixedSize(16, 24);
        bar->setFocusPolicy(Qt::ClickFocus);
        connect(bar, &QScrollBar::valueChanged, this, [this, f](int v) { VScroll_Change(f, v); });
        m_spins[int(f)] = bar;

        auto* label = new QLabel(i == 0 ? firstLabel : secondLabel, group);
        label->setBuddy(field);
        const int column = i * 4;
        if (i == 1)
            grid->setColumnMinimumWidth(3, 10);
        grid->addWidget(label, row, column, Qt::AlignRight);
        grid->addWidget(field, row, column + 1);
        grid->addWidget(bar, row, column + 2);
    }
    grid->setColumnStretch(7, 1);
    return group;
}

void PrintsForm::showField(SheetField f) {
    const double v = sheet.value(f);
    m_fields[int(f)]->setText(SheetLayout::isCount(f) ? QString::number(qint64(v))
                                                      : FormatOneDecimal(v));
}

void PrintsForm::AllPrint(int P) {
    for (int i = 0; i < int(SheetField::IsfkY); ++i)
        showField(SheetField(i));
    IMGPrint_P(P);
}

void PrintsForm::IMGPrint_P(int P) {
    if (P == 1)
        pic_back->setPaper(sheet.KYsY, sheet.YsX, sheet.Iky, sheet.Ikx);
    else
        pic_back->setCards(sheet.CardRects());
}

void PrintsForm::IsfkPrint() {
    showField(SheetField::IsfkY);
    showField(SheetField::IsfkX);
}

void PrintsForm::Text_LostFocus(SheetField f) {
    QLineEdit* field = m_fields[int(f)];
    // The automatic unprintable area is shown, not typed.
    if (field->isReadOnly())
        return;
    const EntryResult result =
        sheet.TypeValue(m_printers, m_doc.card, f, LeadingNumber(field->text()));
    if (result == EntryResult::Refused)
        m_ui.beep();
    showAfterEdit(f);
}

void PrintsForm::showAfterEdit(SheetField f) {
    if (isIsfk(f)) {
        IsfkPrint();
        return;
    }
    if (isPaper(f))
        AllPrint(1);
    AllPrint(2);
}

void PrintsForm::VScroll_Change(SheetField f, int value) {
    if (value == 1)
        return;
    // The upper arrow leaves the bar below 1: one step up.
    if (sheet.StepValue(m_printers, m_doc.card, f, value < 1))
        m_ui.beep();
    showAfterEdit(f);
    m_spins[int(f)]->setValue(1);
}

void PrintsForm::Combo1_Click(int index) {
    if (index < 0 || index >= int(PaperList.size()))
        return;
    sheet.YsY = PaperList[index].YsY;
    sheet.YsX = PaperList[index].YsX;
    sheet.AfterPaperEdit(m_printers, m_doc.card);
    AllPrint(1);
    AllPrint(2);
}

void PrintsForm::lockIsfk() {
    for (SheetField f : {SheetField::IsfkY, SheetField::IsfkX}) {
        m_fields[int(f)]->setReadOnly(!sheet.isfkEditable());
        m_spins[int(f)]->setEnabled(sheet.isfkEditable());
    }
}

void PrintsForm::Chk_Isfk_Click() {
    sheet.setIsfkAuto(m_printers, m_app, Chk_Isfk->isChecked());
    lockIsfk();
    if (sheet.IsfkAuto)
        IsfkPrint();
}

void PrintsForm::CmdYomiKomi_Click() {
    const QString path = m_templateFile.isEmpty()
                             ? FindDataFile(QStringLiteral("Format.qfd"))
                             : (QFileInfo(m_templateFile).isFile() ? m_templateFile : QString());
    if (path.isEmpty()) {
        m_ui.messageBox(QStringLiteral("テンプレートファイルがありません。"),
                        QStringLiteral("Quillo"), UiServices::Ok);
        return;
    }
    frmFormat chooser(m_ui, path, this);
    chooser.exec();
    if (chooser.TKFormatIdx >= 0 && chooser.TKFormatIdx < chooser.TKFormats.size())
        Set_TKFormat(chooser.TKFormats[chooser.TKFormatIdx]);
}

void PrintsForm::Set_TKFormat(const TKFormat& t) {
    ApplyTemplate(m_printers, m_doc.card, sheet, t);
    AllPrint(1);
    IMGPrint_P(2);
    IsfkPrint();
}

void PrintsForm::Command1_Click() {
    sheet.Commit(m_doc.card, m_app, m_settings);
    // The canvas takes the new size and keeps the lines on the card before
    // the step is taken.
    m_doc.markChanged(CardChange::PrintStyle);
    close();
}

void PrintsForm::Command2_Click() {
    close();
}

void PrintsForm::closeEvent(QCloseEvent* event) {
    hide();
    QWidget::closeEvent(event);
}

void PrintsForm::moveFocus(SheetField from, bool down) {
    for (const auto& ring :
         {std::span<const SheetField>(LayoutRing), std::span<const SheetField>(SizeRing)}) {
        const auto at = std::find(ring.begin(), ring.end(), from);
        if (at == ring.end())
            continue;
        const auto n = std::ssize(ring);
        const auto i = at - ring.begin();
        m_fields[int(ring[(i + (down ? 1 : n - 1)) % n])]->setFocus(Qt::OtherFocusReason);
        return;
    }
}

bool PrintsForm::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    const auto slot = std::find(m_fields.begin(), m_fields.end(), field);
    if (!field || slot == m_fields.end())
        return QWidget::eventFilter(watched, event);
    const auto f = SheetField(slot - m_fields.begin());
    switch (event->type()) {
    case QEvent::FocusIn:
        QTimer::singleShot(0, field, &QLineEdit::selectAll);
        break;
    case QEvent::FocusOut: {
        // A value is taken when the focus moves to another control of the
        // window, not when another window or a menu takes it.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            Text_LostFocus(f);
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Enter takes no value: only leaving the field does.
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
        if ((key == Qt::Key_Up || key == Qt::Key_Down) && !isIsfk(f)) {
            moveFocus(f, key == Qt::Key_Down);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
