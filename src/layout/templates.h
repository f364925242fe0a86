#pragma once

#include <QList>
#include <QString>
#include <array>

class PrinterChoice;
struct Card;
struct SheetLayout;

// One line of the template file Format.qfd, cut at its fixed columns
// (counted in characters, not bytes, from 1):
//   1–4 a code (not read), then ten fields of four characters: 5–8 paper
//   height, 9–12 paper width, 13–16 card height, 17–20 card width, 21–24 top
//   margin, 25–28 left margin, 29–32 row gap, 33–36 column gap, 37–40 rows,
//   41–44 columns; 45–84 not read; 85–134 the name shown in the chooser.
struct TKFormat {
    enum Field { YsY, YsX, MsY, MsX, Yhktop, YhkLeft, Kktop, KkLeft, MaisuY, MaisuX };
    static constexpr int FieldCount = 10;
    static constexpr int NameWidth = 50;

    QString TKName; // padded with blanks to 50 characters
    std::array<QString, FieldCount> fields;

    // The number a field starts with (blanks skipped); 0 when there is none.
    double value(Field f) const;
};

// Cuts one line; a shorter line leaves the missing fields empty.
TKFormat Get_TKFormat(const QString& line);

struct TemplateFile {
    QList<TKFormat> TKFormats; // one per line, in file order
    QString error;             // the error's text when reading stopped early
};

// Reads the template file (CP932; lines end in CR LF or LF). When the file
// cannot be opened or read, error tells why and TKFormats holds the lines
// read before.
TemplateFile ReadTemplateFile(const QString& path);

// Set_TKFormat without the refresh of the editor: the template's sizes,
// margins, gaps and counts (counts rounded, halves to even) into the working
// copy, unchecked; the printer's page fitted to the paper; the limits of the
// working copy derived again for the new sheet. The unprintable area is not
// touched.
void ApplyTemplate(PrinterChoice& printers, Card& card, SheetLayout& w, const TKFormat& t);
