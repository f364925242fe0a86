#pragma once

#include <QDialog>
#include <array>

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class CardDocument;
class Settings;
class UiServices;
struct AppState;

// The background settings dialog "背景色の設定": whether the canvas shows the
// card's picture or only a plain colour, and that colour. Both are settings
// of the program ("opt"/"HaikeiFlg", "opt"/"BackColor"), not of the card, and
// act on the screen only.
class frmBackColor : public QDialog {
    Q_OBJECT
public:
    frmBackColor(CardDocument& doc, UiServices& ui, Settings& settings, AppState& app,
                 QWidget* parent = nullptr);

    void optSelect(int index);
    void optHaikei_Click(int index);
    void cmdCDShow_Click();
    void cmdOK_Click();
    void cmdCan_Click();

    // The colour in the swatch, red in the low byte; the flag, 1 = picture.
    quint32 chosenColor() const { return m_color; }
    int chosenFlag() const { return m_flag; }

    QGroupBox* Frame2;
    std::array<QRadioButton*, 2> optHaikei{};
    QGroupBox* fraBackcolor;
    QFrame* picImg;
    QPushButton* cmdCDShow;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* cmdOK;
    QPushButton* cmdCan;

private:
    void Form_Load();
    void showSwatch();

    CardDocument& m_doc;
    UiServices& m_ui;
    Settings& m_settings;
    AppState& m_app;
    quint32 m_color = 0xFFFFFF;
    int m_flag = 1;
};
