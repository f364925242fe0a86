#pragma once

#include "document/cardhistory.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSpinBox;
class CardDocument;
class UiServices;
enum class CardPart;

// The controls of one line on its tab: the text, the font group, the
// position group and the 3D group. Every edit stores the value in the line
// and announces it to the document, which records it for undo; the tab
// shows the line's position again whenever the line changed.
class LineTab : public QWidget {
    Q_OBJECT
public:
    LineTab(CardDocument& doc, UiServices& ui, int index, QWidget* parent = nullptr);

    int index() const { return m_index; }

    // Copies the line into the controls (the editor side of ShowCardData).
    void showLine();
    // Puts a merge field ("{column}") into the text where the cursor is, as
    // one step of its own.
    void insertField(const QString& field);
    // Shows the line's position in TextX and TextY (IcPrint).
    void IcPrint();
    // Whether the text, font and position controls accept input.
    void setCurrent(bool current);
    // Enables the 3D group's controls except its check box.
    void EnableKageControls(bool on);
    // The font list of the editor, with the current printer's font shown.
    void setFontList(const QStringList& fonts, const QString& current);

    QLineEdit* Text1;
    QGroupBox* Frame2;
    QLabel* Label1;
    QComboBox* ComboFN;
    QLabel* Label4;
    QLineEdit* TextFsize;
    QScrollBar* VScroll1;
    QCheckBox* Check1;
    QCheckBox* Check2;
    QCheckBox* Check3;
    QCheckBox* Check4;
    QCheckBox* Check5; // 縦書き
    QLabel* scaleLabel;
    QSpinBox* widthScale; // 長体, 50–100 %
    QCheckBox* fitToCard; // 長体で収める
    QLabel* digitsLabel;
    QComboBox* digitsChoice; // 縦書きの数字
    QLabel* Label3;
    QFrame* Shape1;
    QPushButton* CmdC;
    QGroupBox* Frame3;
    QLabel* Label5;
    QLineEdit* TextX;
    QScrollBar* HScroll1;
    QLabel* Label6;
    QLineEdit* TextY;
    QScrollBar* VScroll3;
    QGroupBox* frm_Kage;
    QCheckBox* chk_Kage;
    QLabel* lbl_Kage1;
    QLineEdit* txt_Takasa;
    QScrollBar* VSc_Takasa;
    QLabel* lbl_Kage2;
    QFrame* shp_Kage;
    QPushButton* Cmd_Kage;
    QLabel* lbl_Kage3;
    QComboBox* cmb_Houkou;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Text1_Change(const QString& text);
    void ComboFN_Click(int row);
    void TextFsize_Commit();
    void VScroll1_Change(int value);
    void Check_Click();
    void chooseDigits(int row);
    void enableDigits();
    void CmdC_Click();
    void widthScaleChanged();
    void TextX_Commit();
    void TextY_Commit();
    void HScroll1_Change(int value);
    void VScroll3_Change(int value);
    void chk_Kage_Click();
    void cmb_Houkou_Click(int row);
    void Cmd_Kage_Click();
    void txt_Takasa_Commit();
    void VSc_Takasa_Change(int value);

    // The line was edited: the document announces and records it.
    void changed(CardChange what, bool mergeable = false);
    void rest(QScrollBar* spin);
    QScrollBar* makeSpin(Qt::Orientation orientation, const char* name);
    QLineEdit* makeNumberField(const char* name, int width);

    void cardChanged(CardPart part, int line);

    CardDocument& m_doc;
    UiServices& m_ui;
    int m_index;
};
