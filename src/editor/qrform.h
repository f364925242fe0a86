#pragma once

#include "document/card.h"

#include <QDialog>

class CardCanvas;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class CardDocument;
class UiServices;

// The QR code window: switches the card's code on or off and sets what it
// holds (a vCard of the card or one line's text), its error-correction
// level, its dark colour and its place and side in millimetres. It shows
// the text the code encodes, and why a code is refused. For a vCard the
// user ticks the lines it takes, so that a full card still fits a small code. It stays open while
// the lines are edited and follows every change of the card.
class QrForm : public QDialog {
    Q_OBJECT
public:
    QrForm(CardDocument& doc, UiServices& ui, CardCanvas* canvas, QWidget* parent = nullptr);

    // Shows the card's settings, the encoded text and the code's state.
    void showQr();

    QCheckBox* enabledBox;
    QRadioButton* vcardOption;
    QRadioButton* lineOption;
    QComboBox* lineChoice;
    QCheckBox* lineBoxes[LineCount]; // the lines the vCard takes
    QComboBox* levelChoice;
    QFrame* colourSwatch;
    QPushButton* colourButton;
    QDoubleSpinBox* leftField;
    QDoubleSpinBox* topField;
    QDoubleSpinBox* sideField;
    QPlainTextEdit* contentView;
    QLabel* stateLabel;

private:
    void apply();
    void switchCode();
    void chooseColour();
    void chooseLines(int line);

    CardDocument& m_doc;
    UiServices& m_ui;
    CardCanvas* m_canvas;
    bool m_showing = false;
};
