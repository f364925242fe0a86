#include "ttlform.h"

#include <QLabel>
#include <QPainter>

TtlForm::TtlForm(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("TtlForm"));
    setFixedSize(420, 240);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto makeLabel = [this](const QString& name, const QString& text, int pointSize, int y,
                            const QColor& color, int dx) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        QFont f = label->font();
        f.setPointSize(pointSize);
        f.setBold(true);
        label->setFont(f);
        label->setStyleSheet(
            QStringLiteral("color: %1; background: transparent;").arg(color.name()));
        label->setGeometry(150 + dx, y + dx, 260, pointSize * 2 + 8);
        return label;
    };
    // Each title is drawn twice, a shade under a face, for a raised look.
    Label4 = makeLabel(QStringLiteral("Label4"), QString(), 22, 70, QColor(0x9a, 0xa7, 0xb8), 2);
    Label1 = makeLabel(QStringLiteral("Label1"), QString(), 22, 70, QColor(0x1d, 0x3a, 0x6b), 0);
    Label5 = makeLabel(QStringLiteral("Label5"), QStringLiteral("ビジュアル名刺印刷ソフト"), 11,
                       130, QColor(0xb8, 0xc2, 0xcf), 1);
    Label3 = makeLabel(QStringLiteral("Label3"), QStringLiteral("ビジュアル名刺印刷ソフト"), 11,
                       130, QColor(0x33, 0x44, 0x55), 0);
    Label1->setText(QStringLiteral("Quillo 2.40"));
    Label4->setText(QStringLiteral("Quillo 2.40"));
}

void TtlForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(0xf4, 0xf1, 0xea));
    // Shape1..Shape4: the double frame around the window.
    p.setPen(QPen(QColor(0x1d, 0x3a, 0x6b), 3));
    p.drawRect(rect().adjusted(2, 2, -3, -3));
    p.setPen(QPen(QColor(0x9a, 0xa7, 0xb8), 1));
    p.drawRect(rect().adjusted(8, 8, -9, -9));
    // Image1: a small stack of business cards.
    for (int i = 2; i >= 0; --i) {
        const QRectF card(28 + i * 8, 66 + i * 10, 91, 55);
        p.setPen(QPen(QColor(0x88, 0x88, 0x88), 1));
        p.setBrush(i == 0 ? QColor(Qt::white) : QColor(0xe4, 0xe0, 0xd6));
        p.drawRect(card);
    }
    p.setPen(QPen(QColor(0x1d, 0x3a, 0x6b), 2));
    p.drawLine(QPointF(40, 86), QPointF(90, 86));
    p.setPen(QPen(QColor(0x66, 0x66, 0x66), 1));
    p.drawLine(QPointF(40, 98), QPointF(105, 98));
    p.drawLine(QPointF(40, 106), QPointF(98, 106));
}
