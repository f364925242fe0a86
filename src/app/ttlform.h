#pragma once

#include <QWidget>

class QLabel;

// The splash window shown while the program starts.
class TtlForm : public QWidget {
    Q_OBJECT
public:
    explicit TtlForm(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;

protected:
    void paintEvent(QPaintEvent* event) override;
};
