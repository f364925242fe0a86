#pragma once

#include "sheetlayout.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTabWidget;
class CardDocument;
class PrinterChoice;
class Settings;
class UiServices;
struct AppState;
struct TKFormat;

// The diagram of the sheet: the paper, its printable area centred on it and
// the cards inside that area, drawn with the card picture. It shows what it
// was last given (IMGPrint_P), not the working copy as it is now.
class SheetDiagram : public QWidget {
    Q_OBJECT
public:
    SheetDiagram(const QImage& cardPicture, int twipsPerPixel, QWidget* parent = nullptr);

    // IMGPrint_P(1): paper KYsY × YsX, printable area Iky × Ikx, mm.
    void setPaper(double height, double width, double printableHeight, double printableWidth);
    // IMGPrint_P(2): the cards in the printable area's coordinates, mm.
    void setCards(const QList<QRectF>& cards);
    const QList<QRectF>& cards() const { return m_cards; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    double m_pixelsPerMm;
    QSizeF m_paper;
    QSizeF m_printable;
    QList<QRectF> m_cards;
};

// The print style editor "印刷ｽﾀｲﾙ": paper, card size, margins, gaps, counts
// and the unprintable area of the sheet, with a diagram. It edits a working
// copy of the card's PrintStyle; only "更新" writes it back. A top-level
// window that deletes itself when closed; while it is open the main window
// takes no input.
class PrintsForm : public QWidget {
    Q_OBJECT
public:
    PrintsForm(CardDocument& doc, UiServices& ui, Settings& settings, PrinterChoice& printers,
               AppState& app, QWidget* parent = nullptr);
    ~PrintsForm() override;

    // The template file to use instead of the shipped Format.qfd.
    void setTemplateFile(const QString& path) { m_templateFile = path; }

    SheetLayout sheet; // the working copy

    QTabWidget* SSTab1;
    QGroupBox* Frame2; // margins
    QGroupBox* Frame3; // gaps
    QGroupBox* Frame6; // counts
    QGroupBox* Frame7; // unprintable area
    QGroupBox* Frame4; // paper
    QGroupBox* Frame5; // card size
    QGroupBox* Frame1; // diagram
    QComboBox* Combo1;
    QCheckBox* Chk_Isfk;
    SheetDiagram* pic_back;
    QPushButton* CmdYomiKomi;
    QPushButton* Command1;
    QPushButton* Command2;
    std::array<QLineEdit*, 2> Text1{}, Text2{}, Text3{}, Text4{}, Text5{}, Text6{};
    std::array<QScrollBar*, 2> VScroll1{}, VScroll2{}, VScroll3{}, VScroll4{}, VScroll5{},
        VScroll6{};

    QLineEdit* field(SheetField f) const { return m_fields[int(f)]; }
    QScrollBar* spin(SheetField f) const { return m_spins[int(f)]; }

    void AllPrint(int P);
    void IMGPrint_P(int P);
    void IsfkPrint();

    void Text_LostFocus(SheetField f);
    void VScroll_Change(SheetField f, int value);
    // The fields and the diagram after an entry or a step of field f.
    void showAfterEdit(SheetField f);
    void Combo1_Click(int index);
    void Chk_Isfk_Click();
    void CmdYomiKomi_Click();
    void Command1_Click();
    void Command2_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QGroupBox* makePair(const QString& caption, SheetField first, const QString& firstLabel,
                        const QString& secondLabel, QWidget* top = nullptr);
    void showField(SheetField f);
    void lockIsfk();
    void moveFocus(SheetField from, bool down);
    void Set_TKFormat(const TKFormat& t);

    CardDocument& m_doc;
    UiServices& m_ui;
    Settings& m_settings;
    PrinterChoice& m_printers;
    AppState& m_app;
    std::array<QLineEdit*, SheetFieldCount> m_fields{};
    std::array<QScrollBar*, SheetFieldCount> m_spins{};
    QString m_templateFile;
};
