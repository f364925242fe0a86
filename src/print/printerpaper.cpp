#include "printerpaper.h"

#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/uiservices.h"
#include "document/card.h"

void SetupPrinterPaper(Printer& printer, Card& card, double isfkX, double paperHeight,
                       double paperWidth) {
    try {
        printer.setPaperSize(Printer::PaperUser);
    } catch (const RuntimeError&) {
        return; // the printer keeps its own paper; the recorded values stay
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
        if (card.PrnScaleH != 0 && card.PrnScaleW != 0) {
            printer.setScaleMode(Printer::ScaleMillimetres);
            return true;
        }
        ui.message(QStringLiteral("印刷スタイルの設定を行ってください。"));
        return false;
    } catch (const RuntimeError& e) {
        ui.message(e.message(), e.detail());
        return false;
    }
}
