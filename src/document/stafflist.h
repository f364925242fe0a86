#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// A staff list for merge printing: a CSV file as Excel, LibreOffice and
// Google Sheets write it. UTF-8 with or without a byte order mark, or CP932
// when the file is not valid UTF-8; comma-separated after RFC 4180 (quoted
// fields may hold commas, doubled quotes and line breaks, and no blank is
// trimmed), or tab-separated for a ".tsv" file or one whose first line holds
// tabs and no commas. The first row names the columns; rows whose fields are
// all empty are skipped; a row with fewer fields than the header gets empty
// ones.
struct StaffList {
    QStringList header;
    // The records, numbered from 1 in the program's messages (the header
    // and the skipped empty rows not counted).
    std::vector<QStringList> rows;

    int columnOf(const QString& name) const { return int(header.indexOf(name)); }
};

// The largest staff list read: far more than any office's, far less than
// memory.
constexpr qint64 MaxStaffListBytes = 256 * 1024 * 1024;

// Reads a staff list. Throws RuntimeError: the file's own errors (53 missing,
// 70 no permission, ...), and 13 with a message naming the record for a row
// with more fields than the header, bytes that are neither UTF-8 nor CP932,
// or a quote out of place; a file without a header row is refused too.
StaffList ReadStaffList(const QString& path);
// The same from the file's bytes; tabs tells a tab-separated file.
StaffList ParseStaffList(const QByteArray& bytes, bool tabs);
