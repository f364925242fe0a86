#pragma once

#include "print/sheetprint.h"

class Printer;
struct Card;

// The printer's physical offsets as the unprintable area IsfkX and IsfkY, in
// millimetres (twips ÷ 56.7, not rounded).
PrinterOffsets ReadPrinterOffsets(Printer& printer);

// The print style editor's values that FitPrinterPaper reads (Yhktop, IsfkY
// of the working copy) and the ones it measures.
struct PaperFit {
    double Yhktop = 0; // read: top margin of the sheet, mm
    double IsfkY = 0;  // read: unprintable area at the top, mm
    double Iky = 0;    // printable height the printer grants, mm
    double Ikx = 0;    // printable width the printer grants, mm
    double KYsY = 0;   // page height finally set, mm
};

// Sets the printer's page to the sheet (paperWidth × paperHeight mm, the page
// lengthened a millimetre at a time until the printable height reaches
// paperHeight − 17 + Yhktop − IsfkY) and stores what it measured in fit and
// in the card's PrnPaperH, PrnPaperW, PrnScaleH, PrnScaleW. The printer's
// paper size number is not touched.
//
// A failing printer call throws RuntimeError with fit and the card unchanged.
void FitPrinterPaper(Printer& printer, Card& card, double paperHeight, double paperWidth,
                     PaperFit& fit);
