#include "picturesettings.h"

#include "base/appstate.h"
#include "base/uiservices.h"
#include "cardpicture.h"
#include "document/carddocument.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace {

struct ModeRow {
    int mode;
    const char* caption;
    std::array<bool, 3> channels; // red, green, blue sliders in use
};

constexpr std::array<ModeRow, 6> Modes{{
    {0, "カラー", {false, false, false}},
    {1, "セピア", {true, false, false}},
    {2, "緑", {false, true, false}},
    {3, "青", {false, false, true}},
    {5, "白黒", {false, false, false}},
    {6, "色合い", {true, true, true}},
}};

const ModeRow& rowOf(int mode) {
    for (const ModeRow& row : Modes) {
        if (row.mode == mode)
            return row;
    }
    return Modes[0];
}

} // namespace

frmPictureSetting::frmPictureSetting(CardDocument& doc, UiServices& ui, const AppState& app,
                                     QWidget* parent)
    : QDialog(parent), m_doc(doc), m_ui(ui), m_app(app) {
    setWindowTitle(QStringLiteral("画像設定"));
    setModal(true);

    fraColor = new QGroupBox(QStringLiteral("色"), this);
    auto* modes = new QGridLayout(fraColor);
    for (int i = 0; i < int(Modes.size()); ++i) {
        const int mode = Modes[i].mode;
        auto* button = new QRadioButton(QString::fromUtf8(Modes[i].caption), fraColor);
        button->setObjectName(QStringLiteral("optColor_%1").arg(mode));
        optColor[mode] = button;
        modes->addWidget(button, i / 3, i % 3);
        connect(button, &QRadioButton::toggled, this, [this, mode](bool on) {
            if (on)
                optColor_Click(mode);
        });
    }

    fraRGB = new QGroupBox(QStringLiteral("色合い"), this);
    auto* sliders = new QGridLayout(fraRGB);
    const char* names[3] = {"赤", "緑", "青"};
    const char* placeholders[3] = {"R00", "G00", "B00"};
    for (int k = 0; k < 3; ++k) {
        lblColor[k] = new QLabel(QString::fromUtf8(names[k]), fraRGB);
        sldRGB[k] = new QSlider(Qt::Horizontal, fraRGB);
        sldRGB[k]->setObjectName(QStringLiteral("sldRGB_%1").arg(k));
        sldRGB[k]->setRange(0, 255);
        sldRGB[k]->setPageStep(16);
        sldRGB[k]->setMinimumWidth(200);
        lblRGB[k] = new QLabel(QString::fromUtf8(placeholders[k]), fraRGB);
        lblRGB[k]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lblRGB[k]->setMinimumWidth(
            lblRGB[k]->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
        QSizePolicy keep = lblRGB[k]->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        lblRGB[k]->setSizePolicy(keep);
        sliders->addWidget(lblColor[k], k, 0);
        sliders->addWidget(sldRGB[k], k, 1);
        sliders->addWidget(lblRGB[k], k, 2);
        connect(sldRGB[k], &QSlider::valueChanged, this, [this, k] { sldRGB_Change(k); });
    }

    lblDisp = new QLabel(QStringLiteral("変換処理中です・・・"), this);
    lblDisp->setVisible(false);
    QSizePolicy keep = lblDisp->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    lblDisp->setSizePolicy(keep);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    cmdCansel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    connect(cmdOK, &QPushButton::clicked, this, &frmPictureSetting::cmdOK_Click);
    connect(cmdCansel, &QPushButton::clicked, this, &frmPictureSetting::cmdCansel_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblDisp);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCansel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraColor);
    layout->addWidget(fraRGB);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Form_Load();
}

int frmPictureSetting::FF200(int x) {
    return std::clamp(std::abs(x - 255), 0, 255);
}

// The widget holds the value itself, so that the slider fills up as the
// colour gets stronger; the position is its FF200.
int frmPictureSetting::position(int k) const {
    return FF200(sldRGB[k]->value());
}

void frmPictureSetting::setPosition(int k, int p) {
    sldRGB[k]->setValue(FF200(p));
}

void frmPictureSetting::Form_Load() {
    if (QWidget* main = parentWidget())
        move(main->window()->frameGeometry().topLeft() + QPoint(18, 18));
    const int stored = m_doc.card.PicColorMode;
    // Mode 4 (only a card file can hold it) and modes out of range have no
    // button; they show as the picture's own colours.
    const int mode = stored >= 0 && stored <= 6 && optColor[stored] ? stored : 0;
    optColor[mode]->setChecked(true); // runs optColor_Click
    for (int k = 0; k < 3; ++k) {
        setPosition(k, FF200(m_doc.card.PicTint[k]));
        lblRGB[k]->setText(QString::number(m_doc.card.PicTint[k]));
    }
}

void frmPictureSetting::optColor_Click(int index) {
    m_mode = index;
    const ModeRow& row = rowOf(index);
    for (int k = 0; k < 3; ++k) {
        sldRGB[k]->setEnabled(row.channels[k]);
        lblColor[k]->setEnabled(row.channels[k]);
        lblRGB[k]->setVisible(row.channels[k]);
    }
    if (index == 1 && position(0) == 255)
        setPosition(0, 192);
    if (index == 6 && position(0) == 255 && position(1) == 255 && position(2) == 255) {
        for (int k = 0; k < 3; ++k)
            setPosition(k, 128);
    }
    for (int k = 0; k < 3; ++k)
        sldRGB_Change(k);
}

void frmPictureSetting::sldRGB_Change(int k) {
    lblRGB[k]->setText(QString::number(FF200(position(k))));
}

void frmPictureSetting::cmdOK_Click() {
    m_doc.card.PicColorMode = m_mode;
    for (int k = 0; k < 3; ++k)
        m_doc.card.PicTint[k] = m_mode == 5 ? 0 : FF200(position(k));
    // The notice shows before the conversion starts.
    lblDisp->setVisible(true);
    m_ui.processEvents();
    LoadCardPicture(m_doc, m_ui, m_app);
    lblDisp->setVisible(false);
    m_ui.processEvents();
    m_doc.markChanged(CardChange::Picture);
    accept();
}

void frmPictureSetting::cmdCansel_Click() {
    reject();
}
