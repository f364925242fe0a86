#include "printerpaper.h"

#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/uiservices.h"
#include "document/tavormain.h"

void SetupPrinterPaper(TavorMain& m, double paperHeight, double paperWidth) {
    Printer& printer = m.printer();
    try {
        printer.setPaperSize(Printer::PaperUser);
    } catch (const RuntimeError&) {
        return; // the printer keeps its own paper; the recorded values stay
    }

    Card& card = m.card;
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
        while (paperHeight - 17 + 11 - m.app.IsfkX > s) {
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

bool PreparePrinter(TavorMain& m) {
    try {
        const PrintStyle& style = m.card.PrintStyle;
        SetupPrinterPaper(m, style.YsY, style.YsX);
        if (m.card.PrnScaleH != 0 && m.card.PrnScaleW != 0) {
            m.printer().setScaleMode(Printer::ScaleMillimetres);
            return true;
        }
        m.ui().message(QStringLiteral("印刷スタイルの設定を行ってください。"));
        return false;
    } catch (const RuntimeError& e) {
        m.ui().message(e.message(), e.detail());
        return false;
    }
}
