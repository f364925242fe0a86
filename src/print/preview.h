#pragma once

#include "printjob.h"

#include <QDialog>
#include <QImage>
#include <array>
#include <map>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class CardSource;
class QScrollArea;
class UiServices;

// The print preview ("プレビュー"): the first sheet of the print style with
// the rendered card of each position and the cut marks the print routines
// draw, at 1/1, 1/2 or 1/4 of the paper's area. Positions are the printed
// ones without the printer's unprintable area. Call SetupPreviewPaper first;
// each card is rendered once, at the options' image scale, when the window
// is made.
class frmPREVIEW : public QDialog {
    Q_OBJECT
public:
    // options.kind: the whole card, its text only or its picture only, as
    // the print of that kind shows it; options.cutMarks: the dialog's
    // "使用する". The style and the source must outlive the window.
    frmPREVIEW(const PrintStyle& style, const CardSource& cards, const PrintOptions& options,
               UiServices& ui, QWidget* parent = nullptr);

    // Display divisors by menu item, 1..3: the paper's size divided by 1, √2
    // and 2 halves and quarters its area. 0 and 4 are not offered.
    static const std::array<double, 5> PreviewRatios;

    // (表示倍率) Shows the paper at 1/d of its real size, redraws the sheet
    // and centres the window on the screen.
    void HyojiBairitu(double d);
    void mnuRitu_Click(int index);

    // The sheet as shown, one pixel a device pixel of the screen (its device
    // pixel ratio the screen's).
    QImage paperImage() const { return m_paper; }
    // The rendered card of the first position.
    QImage cardImage() const;

    QMenuBar* menuBar;
    QAction* mnuClose;
    QMenu* mnuBairitu;
    std::array<QAction*, 4> mnuRitu{}; // items 1..3
    QLabel* picPaper;

private:
    void DrawPreviewSheet();
    void fitAndCentre();

    const PrintStyle& m_style;
    const CardSource& m_cards;
    PrintOptions m_options;
    UiServices& m_ui;
    // The rendered cards of the sheet, by their number in the source.
    std::map<int, QImage> m_cardImages;
    QImage m_paper;
    QScrollArea* m_scroll;
};
