#pragma once

#include <QString>
#include <optional>

// The rules of the per-line entry fields and spin buttons, without widgets.

// The number a field's text starts with, as the entry fields read it:
// leading blanks skipped, then an optional sign, digits and one decimal
// point; text that does not start with a number gives 0.
double LeadingNumber(const QString& text);

// A typed font size rounded to one decimal (halves up); nothing when it is
// outside 1–256 (the old size stays and the user hears a beep).
std::optional<float> TypedFontSize(const QString& text);

// One half-point step of the font size spin: up goes to the half point at or
// below the size, then half a point up; down goes to the next half point
// (unless within 0.05 above one), then half a point down. The result is kept
// in 1–256; limited tells whether it had to be.
float FontSizeStep(float size, bool up, bool* limited);

// A typed position or 3D height, cut to one decimal toward minus infinity.
double TruncateToTenth(const QString& text);

// One 0.1 mm step of the 3D height spin, kept in 0–10 (limited says so).
double TakasaStep(double height, bool up, bool* limited);

// "#0.0" and "###0.0" as the fields show sizes, positions and heights.
QString FormatOneDecimal(double value);

// Text of a line as the field lets it through: double quotes and line breaks
// cannot be stored in a card file, so they never reach the line.
QString CleanLineText(const QString& text);
