#pragma once

#include "print/printjob.h"

#include <QString>

class PrinterHost;

// What `quillo print` was asked to do.
struct PrintCommandOptions {
    QString card;
    QString pdf;     // the built-in PDF printer writes this file, or
    QString printer; // this system printer prints (neither: the default printer)
    int sheets = 1;
    PrintKind kind = PrintKind::Standard;
    bool cutMarks = false;
    bool bottomMarks = false;
    // The render scale of the card image: 4 gives about 430 pixels an inch
    // on the card, finer than most printers show a photo.
    int quality = 4;
    // Merge printing: the staff list, one card each or `sheets` sheets each,
    // the records printed (from 1; 0 for the first and the last), one PDF
    // per person in this folder instead of `pdf`, and whether people whose
    // card has a problem are left out instead of stopping the command.
    QString merge;
    bool oneEach = false;
    int firstRecord = 0;
    int lastRecord = 0;
    QString pdfDir;
    bool skipProblems = false;
};

// The exit status of a command whose output was written without the picture
// the card names (missing, unreadable, cut short): scripts can tell.
constexpr int PictureUnusableStatus = 3;

// Opens the card as the open command does, prepares the printer for its
// print style and runs the print routine of the kind asked for, reporting
// progress on stderr while a long job runs. Returns the exit status: 0
// printed, 1 the card, the printer or the job failed, PictureUnusableStatus
// printed without the card's picture. The user's settings and
// data folder are left untouched.
int RunPrintCommand(const PrintCommandOptions& options, PrinterHost& printers);
