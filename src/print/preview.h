#pragma once

#include "printjob.h"

#include <QDialog>
#include <QImage>
#include <array>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QScrollArea;
class TavorMain;

// The print preview ("プレビュー"): one sheet of the card's print style with
// the rendered card at every card position and the cut marks the print
// routines draw, at 1/1, 1/2 or 1/4 of the paper's area. Positions are the
// printed ones without the printer's unprintable area. Call SetupPreviewPaper
// first; the card is rendered once, at ImgScale, when the window is made.
class frmPREVIEW : public QDialog {
    Q_OBJECT
public:
    // printKind: the whole card, its text only or its picture only, as the
    // print of that kind shows it. cutMarks: the dialog's "使用する".
    frmPREVIEW(TavorMain& m, PrintKind printKind, bool cutMarks, QWidget* parent = nullptr);

    // Display divisors by menu item, 1..3: the paper's size divided by 1, √2
    // and 2 halves and quarters its area. 0 and 4 are not offered.
    static const std::array<double, 5> PreviewRatios;

    // (表示倍率) Shows the paper at 1/d of its real size, redraws the sheet
    // and centres the window on the screen.
    void HyojiBairitu(double d);
    void mnuRitu_Click(int index);

    // The sheet as shown, one pixel a screen pixel.
    QImage paperImage() const { return m_paper; }
    const QImage& cardImage() const { return m_cardImage; }

    QMenuBar* menuBar;
    QAction* mnuClose;
    QMenu* mnuBairitu;
    std::array<QAction*, 4> mnuRitu{}; // items 1..3
    QLabel* picPaper;

private:
    void DrawPreviewSheet();
    void fitAndCentre();

    TavorMain& m;
    bool m_cutMarks;
    QImage m_cardImage;
    QImage m_paper;
    QScrollArea* m_scroll;
};
