#pragma once

#include <QString>

class Session;

// Prepares the card at start-up: the default print style, the font list, the
// stored settings, then the card that was open at the last exit (or the one
// named on the command line), falling back to a new card.
void InitApp(Session& s, const QString& cardOnCommandLine = {});

// Fills PrinterList with the printers of the system, then the built-in "PDF",
// letting events run after each; says so when there is no printer at all.
void CapturePrinters(Session& s);

// Fills the editor's font list with the printer's fonts, in its order.
void ListPrinterFonts(Session& s);

// The screen check of the canvas layout: true when the screen is taller than
// 480 pixels; otherwise shows the resolution message and returns false.
bool ScreenCheck(Session& s);

// Reads a numeric setting; a stored text that is not a number is reported as
// the standard error message and the default is used instead.
// A value outside [minimum, maximum] is an overflow, reported the same way.
double ReadNumberSetting(Session& s, const QString& section, const QString& key,
                         double defaultValue, double minimum = -1e300, double maximum = 1e300);
