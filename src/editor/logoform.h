#pragma once

#include <QDialog>

class CardCanvas;
class CardDocument;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class UiServices;

// The logo window: switches the card's logo on or off, chooses its picture
// file (PNG, JPEG, BMP or SVG) and shows it small, and sets its place and
// width in millimetres and whether it lies under the lines or over them.
// Every change is one step of the card's history. It stays open while the
// card is edited and follows every change, a drag on the canvas too.
class LogoForm : public QDialog {
    Q_OBJECT
public:
    LogoForm(CardDocument& doc, UiServices& ui, CardCanvas* canvas, QWidget* parent = nullptr);

    // Shows the card's logo settings and its picture.
    void showLogo();

    QCheckBox* enabledBox;
    QLineEdit* fileField;
    QPushButton* chooseButton;
    QLabel* thumbnail;
    QDoubleSpinBox* leftField;
    QDoubleSpinBox* topField;
    QDoubleSpinBox* widthField;
    QLabel* heightLabel;
    QRadioButton* underOption;
    QRadioButton* overOption;
    QLabel* stateLabel;

private:
    void apply();
    void switchLogo();
    void chooseFile();
    QPixmap thumbnailPicture() const;

    CardDocument& m_doc;
    UiServices& m_ui;
    CardCanvas* m_canvas;
    bool m_showing = false;
};
