#include "printergeometry.h"

#include "base/printer.h"
#include "document/card.h"
#include "print/printerpaper.h"

PrinterOffsets ReadPrinterOffsets(Printer& printer) {
    const int offX = printer.PhysicalOffsetX();
    const int offY = printer.PhysicalOffsetY();
    PrinterOffsets o;
    o.IsfkX = (double(printer.TwipsPerPixelX()) * offX / 0.567) / 100;
    o.IsfkY = (double(printer.TwipsPerPixelY()) * offY / 0.567) / 100;
    return o;
}

void FitPrinterPaper(Printer& printer, Card& card, double paperHeight, double paperWidth,
                     PaperFit& fit) {
    const double H = paperHeight;
    double h = H;
    printer.setScaleMode(Printer::ScaleMillimetres);
    printer.setWidth(Printer::PageTwips(paperWidth));
    const double ikx = printer.ScaleWidth();

    const double target = H - 17 + fit.Yhktop - fit.IsfkY;
    double iky = 0;
    int steps = 0;
    while (target > iky) {
        h = h + 1;
        printer.setHeight(Printer::PageTwips(h));
        iky = printer.ScaleHeight();
        if (++steps > MaxPaperSearchSteps) {
            // The driver never grants the height: the editor goes on as if it
            // had, with a page 10 mm above the sheet (the printer itself keeps
            // the last, 51 mm longer page).
            iky = target;
            h = H + 10;
            break;
        }
    }

    fit.Ikx = ikx;
    fit.Iky = iky;
    fit.KYsY = h;
    card.PrnPaperH = h;
    card.PrnPaperW = ikx;
    card.PrnScaleH = iky;
    card.PrnScaleW = ikx;
}
