#pragma once

#include "document/cardview.h"

#include <QMainWindow>

class QFrame;
class TavorMain;

// The editor window: the card canvas in its frame, the line tabs, menus and
// toolbar. It is the card's view: the document routines reach it through
// the CardView calls.
class MainForm : public QMainWindow, public CardView {
    Q_OBJECT
public:
    explicit MainForm(TavorMain& m, QWidget* parent = nullptr);
    ~MainForm() override;

    // CardView
    void setCaption(const QString& caption) override;
    void showCardData() override;
    void layoutCanvas() override;
    void redrawCard() override;
    void loadCardPicture() override;

    QFrame* Frame1;
    QWidget* Picture1;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeCanvas(bool centred);

    TavorMain& m;
    bool m_canvasCentred = true;
};
