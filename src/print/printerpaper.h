#pragma once

class Printer;
class PrinterChoice;
class UiServices;
struct Card;

// The most times the paper searches lengthen the page by a millimetre before
// giving up: a driver that never grants the printable height asked for would
// otherwise keep them running.
constexpr int MaxPaperSearchSteps = 50;

// Sets the printer's paper to paperWidth × paperHeight mm (user-defined size)
// and records the printable area in the card: PrnScaleW, PrnScaleH, PrnPaperW,
// PrnPaperH. The page is lengthened a millimetre at a time until its printable
// height exceeds the paper height less 6 mm and less isfkX (the unprintable
// area at the left); the printer is
// left in a user scale of PrnScaleW × PrnScaleH, and its sheet (what comes
// out) is the paper itself, not the longer page the search tried.
//
// A printer that refuses the user-defined size is asked for the standard
// paper (less than 2 mm off the sheet) by its own number, and when nothing
// was recorded before, that paper's printable area is recorded; otherwise
// the printer is left as it is and nothing is recorded. Any other
// RuntimeError leaves the recorded values as they were and is rethrown.
void SetupPrinterPaper(Printer& printer, Card& card, double isfkX, double paperHeight,
                       double paperWidth);

// Prepares the printer in use for the card's print style. False after
// telling the user why printing cannot go on: no print style, or a printer
// error.
bool PreparePrinter(PrinterChoice& printers, UiServices& ui, Card& card, double isfkX);
