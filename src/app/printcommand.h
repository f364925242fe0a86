#pragma once

#include <QStringList>

class PrinterHost;

// quillo print CARD (--pdf OUT.pdf | --printer NAME) [--sheets N]
//       [--kind standard|text|background] [--cut-marks] [--bottom-marks]
//       [--quality S]
// quillo print CARD --positions (--pdf OUT.pdf | --printer NAME)
//
// Opens CARD as the open command does, prepares the printer for its print
// style and runs the print routine of the kind asked for, reporting progress
// on stderr while a long job runs. args are those after "print". Returns the
// exit status: 0 printed, 1 the card, the printer or the job failed, 2 bad
// arguments. The user's settings and data folder are left untouched.
int RunPrintCommand(const QStringList& args, PrinterHost& printers);

// The usage lines of the print subcommand, indented to follow "usage: ".
const char* PrintCommandUsage();
