#pragma once

#include <QDialog>
#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class CardDocument;
class UiServices;
struct AppState;

// The picture settings dialog "画像設定": the colour mode of the card's
// background picture and the strength of red, green and blue for the modes
// that use them. OK stores them in the card and reloads the picture.
class frmPictureSetting : public QDialog {
    Q_OBJECT
public:
    frmPictureSetting(CardDocument& doc, UiServices& ui, const AppState& app,
                      QWidget* parent = nullptr);

    // Slider position and value are each other's FF200: |x - 255| limited to
    // 0..255. Position 0 is the full value 255.
    static int FF200(int x);
    int position(int k) const;
    void setPosition(int k, int p);

    void optColor_Click(int index);
    void sldRGB_Change(int k);
    void cmdOK_Click();
    void cmdCansel_Click();

    int selectedMode() const { return m_mode; }

    QGroupBox* fraColor;
    // Indexed by colour mode; there is no mode 4.
    std::array<QRadioButton*, 7> optColor{};
    QGroupBox* fraRGB;
    std::array<QLabel*, 3> lblColor{};
    std::array<QSlider*, 3> sldRGB{};
    std::array<QLabel*, 3> lblRGB{};
    QLabel* lblDisp;
    QPushButton* cmdOK;
    QPushButton* cmdCansel;

private:
    void Form_Load();

    CardDocument& m_doc;
    UiServices& m_ui;
    const AppState& m_app;
    int m_mode = 0;
};
