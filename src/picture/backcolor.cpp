#include "backcolor.h"

#include "base/appstate.h"
#include "base/runtimeerror.h"
#include "base/settings.h"
#include "base/uiservices.h"
#include "cardpicture.h"
#include "document/carddocument.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString Section = QStringLiteral("opt");

// A stored setting as a number; the default when it is missing or not one.
double storedNumber(Settings& settings, const QString& key, double defaultValue) {
    try {
        return settings.number(Section, key, defaultValue);
    } catch (const RuntimeError&) {
        return defaultValue;
    }
}

} // namespace

frmBackColor::frmBackColor(CardDocument& doc, UiServices& ui, Settings& settings, AppState& app,
                           QWidget* parent)
    : QDialog(parent), m_doc(doc), m_ui(ui), m_settings(settings), m_app(app) {
    setWindowTitle(QStringLiteral("背景色の設定"));
    setModal(true);

    Frame2 = new QGroupBox(QStringLiteral("背景の使用"), this);
    auto* options = new QVBoxLayout(Frame2);
    const QString captions[2] = {QStringLiteral("使用する"), QStringLiteral("使用しない")};
    for (int i = 0; i < 2; ++i) {
        optHaikei[i] = new QRadioButton(captions[i], Frame2);
        optHaikei[i]->setObjectName(QStringLiteral("optHaikei_%1").arg(i));
        options->addWidget(optHaikei[i]);
        connect(optHaikei[i], &QRadioButton::clicked, this, [this, i] { optHaikei_Click(i); });
    }
    options->addStretch();

    fraBackcolor = new QGroupBox(QStringLiteral("背景色"), this);
    auto* colour = new QVBoxLayout(fraBackcolor);
    picImg = new QFrame(fraBackcolor);
    picImg->setFrameShape(QFrame::Box);
    picImg->setAutoFillBackground(true);
    picImg->setMinimumSize(96, 28);
    cmdCDShow = new QPushButton(QStringLiteral("色の変更"), fraBackcolor);
    connect(cmdCDShow, &QPushButton::clicked, this, &frmBackColor::cmdCDShow_Click);
    colour->addWidget(picImg);
    colour->addWidget(cmdCDShow);

    Label1 = new QLabel(QStringLiteral("（注）ここでの設定は画面上のみ有効です。"), this);
    Label2 = new QLabel(QStringLiteral("      印刷時には適用されません。"), this);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    cmdCan = new QPushButton(QStringLiteral("キャンセル"), this);
    connect(cmdOK, &QPushButton::clicked, this, &frmBackColor::cmdOK_Click);
    connect(cmdCan, &QPushButton::clicked, this, &frmBackColor::cmdCan_Click);

    auto* frames = new QHBoxLayout;
    frames->addWidget(Frame2);
    frames->addWidget(fraBackcolor);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCan);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Form_Load();
}

void frmBackColor::Form_Load() {
    if (QWidget* main = parentWidget()) {
        const QPoint offset(360 / std::max(1, m_app.TppX), 360 / std::max(1, m_app.TppY));
        move(main->window()->frameGeometry().topLeft() + offset);
    }
    // What the dialog shows is what OK applies: any stored flag but 1 is
    // "使用しない", and is applied as 0.
    m_flag = storedNumber(m_settings, QStringLiteral("HaikeiFlg"), 1) == 1 ? 1 : 0;
    optSelect(m_flag == 1 ? 0 : 1);
    cmdCDShow->setEnabled(m_flag != 1);
    const double colour = storedNumber(m_settings, QStringLiteral("BackColor"), 16777215);
    m_color = colour >= 0 && colour <= 0xFFFFFF ? quint32(colour) : 0xFFFFFFu;
    showSwatch();
}

void frmBackColor::optSelect(int index) {
    optHaikei[index]->setChecked(true);
}

void frmBackColor::optHaikei_Click(int index) {
    optSelect(index);
    cmdCDShow->setEnabled(index != 0);
    m_flag = index == 0 ? 1 : 0;
}

void frmBackColor::cmdCDShow_Click() {
    // The colour dialog starts from the colour in the swatch.
    if (const auto picked = m_ui.chooseColor(m_color)) {
        m_color = *picked & 0xFFFFFF;
        showSwatch();
    }
}

void frmBackColor::showSwatch() {
    QPalette p = picImg->palette();
    p.setColor(QPalette::Window, QColor(int(m_color & 0xFF), int((m_color >> 8) & 0xFF),
                                        int((m_color >> 16) & 0xFF)));
    picImg->setPalette(p);
}

void frmBackColor::cmdOK_Click() {
    m_app.BackColor = m_color;
    m_app.HaikeiFlg = m_flag;
    LoadCardPicture(m_doc, m_ui, m_app);
    m_settings.setText(Section, QStringLiteral("BackColor"), QString::number(m_color));
    m_settings.setText(Section, QStringLiteral("HaikeiFlg"), QString::number(m_flag));
    accept();
}

void frmBackColor::cmdCan_Click() {
    reject();
}
