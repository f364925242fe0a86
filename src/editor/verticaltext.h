#pragma once

#include "document/card.h"

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QString>
#include <QTransform>

// How a character stands in a line written top to bottom (縦書き).
enum class VerticalOrientation {
    Upright,             // ideographs, kana, full-width forms: as they are
    UprightVerticalForm, // 、。 small kana: upright, in the font's vertical form
    RotatedVerticalForm, // 「」（）ー〜: the font's vertical form, else turned
    Rotated,             // Latin letters, half-width digits: turned 90° clockwise
};
VerticalOrientation VerticalOrientationOf(char32_t ch);

// A line of text set top to bottom, in drawing units whose origin is the
// top-left corner of the run's box (x to the right, y downwards).
//
// The run is shaped with HarfBuzz in the top-to-bottom direction with the
// font's vertical features, so punctuation, brackets and the long vowel mark
// take their vertical forms and advances. Latin letters lie turned 90°
// clockwise, centred on the column. A number (digits joined by - / . , :)
// is one unit, set as the line's VerticalDigits say. Half-width katakana are
// set as the full-width kana they stand for, a voiced mark joined to its
// kana. A font without vertical forms still gives a readable run: HarfBuzz
// makes its vertical advances and takes Unicode's vertical presentation
// forms where the font has them, and brackets and dashes it has no vertical
// form for are turned.
//
// The column is the font's ideographic em box: the box its BASE table gives
// for vertical text, or one em centred on the glyphs' vertical origin. So
// the box's left edge is the line's X in every font, and lines in different
// fonts set side by side line up.
struct VerticalText {
    // Glyphs that share one placement: positions are in the piece's own
    // frame, which `transform` takes into the run's box.
    struct Piece {
        QGlyphRun glyphs;
        QTransform transform;
        // For each glyph, the index in the line's text of the character it
        // stands for (its first one, where several make one glyph).
        QList<qsizetype> sources;
    };
    QList<Piece> pieces;
    double width = 0;  // across the column: the ideographic em box
    double length = 0; // down the column: the sum of the advances
    double axis = 0;   // the column's centre line, x
    // Decorations: the underline runs down the right side of the column, the
    // strikethrough down its centre line.
    double underlineX = 0;
    double lineWidth = 0;
};

// Lays out text in font at size drawing units to the em. Characters the
// font lacks are taken from the default Japanese font. Layouts are kept per
// thread, so drawing a line again costs no shaping.
const VerticalText& LayOutVertical(const QFont& font, double size, const QString& text,
                                   VerticalDigits digits = VerticalDigits::TurnedUnits);
