#pragma once

#include "card.h"
#include "stafflist.h"

#include <QList>
#include <QString>
#include <QStringList>

// Merge printing: a staff list merged into the card's lines, one card for
// each person. A line's text names a column of the list as {column} (or
// with full-width braces ｛column｝); outside a merge the text is shown and
// printed as typed.

// What a card keeps of its merge (card-level reserved string 0 of format
// 2.2): the staff list and how the people are printed.
struct MergeSettings {
    QString file;
    // One card for each person, the positions of the sheets filled in
    // order; otherwise each person gets `sheets` sheets of their own card.
    bool oneEach = false;
    int sheets = 1;
    // Records left out (numbered from 1).
    QList<int> skipped;

    bool operator==(const MergeSettings&) const = default;
};

// The most sheets one person gets.
constexpr int MaxMergeSheets = 1000;

// The stored form: "sheets=N;each=0|1;skip=3,5-7;file=PATH", the path last
// so that it may hold any character; empty for a card without a merge.
QString FormatMergeSettings(const MergeSettings& settings);
// What a stored form holds; anything it does not understand is left at its
// default, and a form without a file is no merge.
MergeSettings ParseMergeSettings(const QString& stored);

// The indices (from 0) of the records a merge prints: every one not skipped.
QList<int> SelectedRecords(const MergeSettings& settings, int recordCount);

// The columns a text names, in order.
QStringList FieldsOf(const QString& text);
bool CardHasFields(const Card& card);
// The text with each field replaced by the record's value; a line break in
// a value becomes a full-width space. A field the list has no column for
// stays as it is (UnknownFields finds them first).
QString MergeText(const QString& text, const StaffList& list, const QStringList& record);
// Each line that names a column the list lacks, as "caption「text」".
QStringList UnknownFields(const Card& card, const StaffList& list);
// The card of one record: its lines merged, and every line of normal width
// made one that is condensed as far as it needs to fit the card.
Card MergeCard(const Card& card, const StaffList& list, const QStringList& record);
