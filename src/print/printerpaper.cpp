#include "printerpaper.h"

#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/uiservices.h"
#include "document/card.h"

#include <QSizeF>

void SetupPrinterPaper(Printer& printer, Card& card, double isfkX, double paperHeight,
                       double paperWidth) {
    try {
        printer.setPaperSize(Printer::PaperUser);
    } catch (const RuntimeError&) {
        // A printer without user-defined sizes keeps its own paper and the
        // recorded values stay; a standard paper is still asked for by its
        // own number, so that the sheet is not printed on another paper.
        const int standard = Printer::StandardPaperNumberFor(QSizeF(paperWidth, paperHeight));
        if (standard == 0)
            return;
        if (printer.PaperSize() != standard) {
            try {
                printer.setPaperSize(standard);
            } catch (const RuntimeError&) {
                return;
            }
        }
        // Nothing recorded yet (a new card): the standard paper's printable
        // area is what printing goes on with, rather than no print at all.
        if (card.PrnScaleH == 0 || card.PrnScaleW == 0) {
            const QSizeF printable = printer.printableMillimetres();
            card.PrnScaleW = printable.width();
            card.PrnScaleH = printable.height();
            card.PrnPaperW = printer.Width() / Printer::LayoutTwipsPerMillimetre;
            card.PrnPaperH = printer.Height() / Printer::LayoutTwipsPerMillimetre;
        }
        return;
    }

    const double oldScaleH = card.PrnScaleH, oldScaleW = card.PrnScaleW;
    const double oldPaperH = card.PrnPaperH, oldPaperW = card.PrnPaperW;
    try {
        printer.setScaleMode(Printer::ScaleMillimetres);
        printer.setWidth(Printer::PageTwips(paperWidth));
        card.PrnScaleW = printer.ScaleWidth();

        // Deliberately not the print style editor's target (top margin and
        // IsfkY) but a fixed 11 mm and IsfkX: these values are stored in card
        // files and must agree with the ones cards already hold.
        double h = paperHeight;
        double s = 0;
        int steps = 0;
        while (paperHeight - 17 + 11 - isfkX > s) {
            h = h + 1;
            printer.setHeight(Printer::PageTwips(h));
            s = printer.ScaleHeight();
            // Same bound as the editor's fitting; here the printer's real
            // page and printable height are kept, since printing goes on
            // with them.
            if (++steps > MaxPaperSearchSteps)
                break;
        }
        card.PrnPaperH = h;
        card.PrnPaperW = paperWidth;
        card.PrnScaleH = s;

        printer.setScaleHeight(float(s));
        printer.setScaleWidth(float(card.PrnScaleW));
        // The search only measured: the printer puts out the paper itself.
        printer.setSheet(QSizeF(paperWidth, paperHeight));
    } catch (const RuntimeError&) {
        card.PrnScaleH = oldScaleH;
        card.PrnScaleW = oldScaleW;
        card.PrnPaperH = oldPaperH;
        card.PrnPaperW = oldPaperW;
        throw;
    }
}

bool PreparePrinter(PrinterChoice& printers, UiServices& ui, Card& card, double isfkX) {
    try {
        Printer& printer = printers.printer();
        const PrintStyle& style = card.PrintStyle;
        SetupPrinterPaper(printer, card, isfkX, style.YsY, style.YsX);
        if (card.PrnScaleH == 0 || card.PrnScaleW == 0) {
            ui.message(QStringLiteral("印刷スタイルの設定を行ってください。"));
            return false;
        }
        // Never printed silently on another paper than the style's.
        const QString problem = printer.paperProblem(QSizeF(style.YsX, style.YsY));
        if (!problem.isEmpty()) {
            ui.message(problem);
            return false;
        }
        printer.setScaleMode(Printer::ScaleMillimetres);
        return true;
    } catch (const RuntimeError& e) {
        ui.message(e.message(), e.detail());
        return false;
    }
}
