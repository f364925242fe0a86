#include "toolfields.h"

#include "document/card.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QPushButton>

QDoubleSpinBox* MakeMmField(QWidget* parent, const char* name, double least) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setRange(least, 999.9);
    box->setSuffix(QStringLiteral(" mm"));
    box->setKeyboardTracking(false);
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    return box;
}

void AddCloseButton(QDialog* window, QBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    QPushButton* close = buttons->button(QDialogButtonBox::Close);
    close->setText(QStringLiteral("閉じる"));
    close->setAutoDefault(false);
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
    layout->addWidget(buttons);
}

QFrame* MakeColourSwatch(QWidget* parent, const QString& name) {
    auto* swatch = new QFrame(parent);
    swatch->setObjectName(name);
    swatch->setFrameShape(QFrame::Box);
    swatch->setFixedSize(28, 18);
    swatch->setAutoFillBackground(true);
    return swatch;
}

void FillSwatch(QFrame* swatch, std::int32_t rgb) {
    QPalette pal = swatch->palette();
    pal.setColor(QPalette::Window, ColorFromRgb(quint32(rgb)));
    swatch->setPalette(pal);
}
