#include "templateform.h"

#include "base/uiservices.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmFormat::frmFormat(UiServices& ui, const QString& templateFile, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmFormat"));
    setWindowTitle(QStringLiteral("テンプレートの選択"));
    setModal(true);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    lstFormat = new QListWidget(Frame1);
    lstFormat->setObjectName(QStringLiteral("lstFormat"));
    lstFormat->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->setContentsMargins(4, 4, 4, 4);
    frameLayout->addWidget(lstFormat);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    // Enter in the list takes the selected template like "OK".
    Command1->setDefault(true);
    Command2->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, &frmFormat::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmFormat::Command2_Click);
    connect(lstFormat, &QListWidget::itemDoubleClicked, this, &frmFormat::Command1_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->addWidget(Frame1);
    outer->addLayout(buttons);
    resize(400, 300);

    if (parent)
        move(parent->window()->pos() + QPoint(18, 18));
    Set_ListBox(ui, templateFile);
}

void frmFormat::Set_ListBox(UiServices& ui, const QString& templateFile) {
    const TemplateFile file = ReadTemplateFile(templateFile);
    TKFormats = file.TKFormats;
    lstFormat->clear();
    for (const TKFormat& t : TKFormats)
        lstFormat->addItem(t.TKName);
    if (!file.error.isEmpty())
        ui.messageBox(file.error, QStringLiteral("Quillo"), UiServices::Ok);
}

void frmFormat::Command1_Click() {
    const QList<QListWidgetItem*> selected = lstFormat->selectedItems();
    const int index = selected.isEmpty() ? -1 : lstFormat->row(selected.first());
    // Without a selection the chooser stays open.
    if (index < 0)
        return;
    TKFormatIdx = index;
    accept();
}

void frmFormat::Command2_Click() {
    TKFormatIdx = -1;
    reject();
}
