#include "verticaltext.h"

#include "base/fonts.h"

#include <QHash>
#include <QRawFont>

#include <hb-ot.h>
#include <hb.h>

#include <algorithm>
#include <memory>

namespace {

struct Range {
    char32_t first;
    char32_t last;
};

bool inRanges(char32_t ch, std::initializer_list<Range> ranges) {
    return std::any_of(ranges.begin(), ranges.end(),
                       [ch](const Range& r) { return ch >= r.first && ch <= r.last; });
}

} // namespace

VerticalOrientation VerticalOrientationOf(char32_t ch) {
    // Upright in their vertical form: the comma and full stop, the small
    // kana, and the full-width punctuation that sits in a corner.
    if (inRanges(ch, {{0x3001, 0x3002}, {0x3041, 0x3041}, {0x3043, 0x3043}, {0x3045, 0x3045},
                      {0x3047, 0x3047}, {0x3049, 0x3049}, {0x3063, 0x3063}, {0x3083, 0x3083},
                      {0x3085, 0x3085}, {0x3087, 0x3087}, {0x308E, 0x308E}, {0x3095, 0x3096},
                      {0x30A1, 0x30A1}, {0x30A3, 0x30A3}, {0x30A5, 0x30A5}, {0x30A7, 0x30A7},
                      {0x30A9, 0x30A9}, {0x30C3, 0x30C3}, {0x30E3, 0x30E3}, {0x30E5, 0x30E5},
                      {0x30E7, 0x30E7}, {0x30EE, 0x30EE}, {0x30F5, 0x30F6}, {0x31F0, 0x31FF},
                      {0xFF01, 0xFF01}, {0xFF0C, 0xFF0C}, {0xFF0E, 0xFF0E}, {0xFF1F, 0xFF1F}}))
        return VerticalOrientation::UprightVerticalForm;
    // Brackets, dashes, the long vowel mark and the wave dash run along the
    // column: the font's vertical form, or the glyph turned.
    if (inRanges(ch, {{0x2329, 0x232A},
                      {0x3008, 0x3011},
                      {0x3014, 0x301F},
                      {0x3030, 0x3030},
                      {0x30A0, 0x30A0},
                      {0x30FC, 0x30FC},
                      {0xFE59, 0xFE5E},
                      {0xFF08, 0xFF09},
                      {0xFF0D, 0xFF0D},
                      {0xFF1A, 0xFF1B},
                      {0xFF1C, 0xFF1E},
                      {0xFF3B, 0xFF3B},
                      {0xFF3D, 0xFF3D},
                      {0xFF3F, 0xFF3F},
                      {0xFF5B, 0xFF60},
                      {0xFFE3, 0xFFE3}}))
        return VerticalOrientation::RotatedVerticalForm;
    // East Asian scripts, full-width forms and the symbols set upright.
    if (inRanges(ch, {{0x00A7, 0x00A7},   {0x00A9, 0x00A9},  {0x00AE, 0x00AE}, {0x00B1, 0x00B1},
                      {0x00BC, 0x00BE},   {0x00D7, 0x00D7},  {0x00F7, 0x00F7}, {0x1100, 0x11FF},
                      {0x2016, 0x2016},   {0x2020, 0x2021},  {0x2030, 0x2031}, {0x203B, 0x203C},
                      {0x2042, 0x2042},   {0x2047, 0x2049},  {0x2051, 0x2051}, {0x2100, 0x218F},
                      {0x221E, 0x221E},   {0x2234, 0x2235},  {0x2460, 0x24FF}, {0x25A0, 0x27BF},
                      {0x2B50, 0x2B59},   {0x2E80, 0xA4CF},  {0xA960, 0xA97F}, {0xAC00, 0xD7FF},
                      {0xE000, 0xFAFF},   {0xFE10, 0xFE1F},  {0xFE30, 0xFE6F}, {0xFF00, 0xFFEF},
                      {0x1F000, 0x1FAFF}, {0x20000, 0x3FFFD}}))
        return VerticalOrientation::Upright;
    return VerticalOrientation::Rotated;
}

namespace {

// A font as HarfBuzz sees it: its tables read through Qt, so any font Qt
// resolves can be shaped, whatever file it came from.
struct Shaper {
    QRawFont raw;
    hb_face_t* face = nullptr;
    hb_font_t* font = nullptr;
    int upem = 1000;
    // The ideographic em box across a vertical column, in font units from
    // the glyphs' vertical origin: left edge (negative) and right edge.
    hb_position_t emLeft = -500;
    hb_position_t emRight = 500;
    QHash<char32_t, bool> verticalForm;

    explicit Shaper(const QRawFont& r) : raw(r) {
        face = hb_face_create_for_tables(&Shaper::table, this, nullptr);
        upem = std::max(1, int(raw.unitsPerEm()));
        hb_face_set_upem(face, unsigned(upem));
        font = hb_font_create(face);
        hb_font_set_scale(font, upem, upem);
        findEmBox();
    }
    ~Shaper() {
        hb_font_destroy(font);
        hb_face_destroy(face);
    }
    Shaper(const Shaper&) = delete;
    Shaper& operator=(const Shaper&) = delete;

    static hb_blob_t* table(hb_face_t*, hb_tag_t tag, void* self) {
        const char name[5] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag), 0};
        auto* data = new QByteArray(static_cast<Shaper*>(self)->raw.fontTable(name));
        if (data->isEmpty()) {
            delete data;
            return nullptr;
        }
        return hb_blob_create(data->constData(), unsigned(data->size()), HB_MEMORY_MODE_READONLY,
                              data, [](void* d) { delete static_cast<QByteArray*>(d); });
    }

    void findEmBox() {
        const hb_tag_t script = HB_TAG('h', 'a', 'n', 'i');
        const hb_tag_t language = HB_TAG('J', 'A', 'N', ' ');
        const auto base = HB_OT_LAYOUT_BASELINE_TAG_IDEO_EMBOX_BOTTOM_OR_LEFT;
        const auto top = HB_OT_LAYOUT_BASELINE_TAG_IDEO_EMBOX_TOP_OR_RIGHT;
        hb_position_t found = 0;
        const bool inBase =
            hb_ot_layout_get_baseline(font, base, HB_DIRECTION_TTB, script, language, &found) ||
            hb_ot_layout_get_baseline(font, top, HB_DIRECTION_TTB, script, language, &found);
        if (inBase) {
            // One edge given is enough: HarfBuzz puts the other an em away.
            hb_ot_layout_get_baseline_with_fallback(font, base, HB_DIRECTION_TTB, script, language,
                                                    &emLeft);
            hb_ot_layout_get_baseline_with_fallback(font, top, HB_DIRECTION_TTB, script, language,
                                                    &emRight);
            // The table's edges lie in the glyphs' own frame; a full-width
            // glyph's vertical origin is half its advance from its left side.
            hb_position_t originX = upem / 2, originY = 0;
            hb_codepoint_t ideograph = 0;
            if (hb_font_get_nominal_glyph(font, 0x6C34, &ideograph)) // 水
                hb_font_get_glyph_v_origin(font, ideograph, &originX, &originY);
            emLeft -= originX;
            emRight -= originX;
        }
        // Without a BASE table, HarfBuzz would take the fallback from the
        // vertical font extents, which IPA fonts copy from the horizontal
        // ones (1802 and -246 of 2048 units): an em wide, but off the glyphs'
        // centre line. The em box is one em centred on the vertical origin.
        if (!inBase || emRight <= emLeft) {
            emLeft = -upem / 2;
            emRight = upem + emLeft;
        }
    }

    // Whether the font's vertical features give ch a glyph of its own.
    bool hasVerticalForm(char32_t ch) {
        const auto found = verticalForm.constFind(ch);
        if (found != verticalForm.constEnd())
            return *found;
        const auto glyphIn = [&](hb_direction_t direction) {
            hb_buffer_t* buffer = hb_buffer_create();
            hb_buffer_add_utf32(buffer, reinterpret_cast<const uint32_t*>(&ch), 1, 0, 1);
            hb_buffer_set_direction(buffer, direction);
            hb_buffer_guess_segment_properties(buffer);
            hb_shape(font, buffer, nullptr, 0);
            unsigned count = 0;
            const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
            const hb_codepoint_t glyph = count > 0 ? info[0].codepoint : 0;
            hb_buffer_destroy(buffer);
            return glyph;
        };
        const bool has = glyphIn(HB_DIRECTION_TTB) != glyphIn(HB_DIRECTION_LTR);
        verticalForm.insert(ch, has);
        return has;
    }
};

// One shaper per face, kept for the thread's life.
Shaper& shaperFor(const QRawFont& raw) {
    static thread_local QHash<QString, std::shared_ptr<Shaper>> shapers;
    const QString key = raw.familyName() + u'\x1f' + raw.styleName() + u'\x1f' +
                        QString::number(raw.weight()) + u'\x1f' + QString::number(raw.style());
    auto& shaper = shapers[key];
    if (!shaper)
        shaper = std::make_shared<Shaper>(raw);
    return *shaper;
}

enum class Placement { Upright, Rotated, SideBySide };

struct Segment {
    qsizetype start = 0;
    qsizetype length = 0;
    int font = 0;
    Placement placement = Placement::Upright;
};

bool isHalfWidthDigit(char32_t ch) {
    return ch >= u'0' && ch <= u'9';
}
bool isHalfWidthAlnum(char32_t ch) {
    return isHalfWidthDigit(ch) || (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z');
}
bool isNumberJoiner(char32_t ch) {
    return ch == u'-' || ch == u'/' || ch == u'.' || ch == u',' || ch == u':';
}
bool isHalfWidthKana(char32_t ch) {
    return ch >= 0xFF61 && ch <= 0xFF9F;
}

// A character as the column sets it, and the one of the line's text it
// stands for.
struct Cell {
    char32_t ch = 0;
    qsizetype source = 0; // UTF-16 index in the line's text
    bool sideBySide = false;
};

char32_t firstOf(const QString& s) {
    return s.isEmpty() ? 0 : s.toUcs4().value(0);
}

// The characters of text as the column sets them. Half-width katakana are
// the full-width kana they stand for (NFKC, on them only), a voiced or
// semi-voiced mark joined to the kana before it; a mark that joins no kana
// stands as the full-width mark ゛ or ゜, not as a combining one.
QList<Cell> cellsOf(const QString& text) {
    QList<Cell> cells;
    const QList<uint> chars = text.toUcs4();
    qsizetype at = 0;
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char32_t ch = chars[i];
        Cell cell{ch, at};
        at += QChar::requiresSurrogates(ch) ? 2 : 1;
        if (isHalfWidthKana(ch)) {
            const QString kana = QString(QChar(char16_t(ch)));
            const char32_t next = i + 1 < chars.size() ? chars[i + 1] : 0;
            const QString joined =
                next == 0xFF9E || next == 0xFF9F
                    ? (kana + QChar(char16_t(next))).normalized(QString::NormalizationForm_KC)
                    : QString();
            if (joined.size() == 1) {
                cell.ch = joined[0].unicode();
                ++i;
                ++at;
            } else {
                cell.ch = firstOf(kana.normalized(QString::NormalizationForm_KC));
                if (cell.ch == 0x3099)
                    cell.ch = 0x309B;
                else if (cell.ch == 0x309A)
                    cell.ch = 0x309C;
            }
        }
        cells.append(cell);
    }
    return cells;
}

// A number is digits joined by - / . , : (03-1234-5678, 2024/12/08, 1,234,
// 9:30-18:00), and its digits stand as the line says. A number that is part
// of a Latin word (A4, ISO9001) lies turned with the word.
void setDigits(QList<Cell>& cells, VerticalDigits digits) {
    const qsizetype n = cells.size();
    for (qsizetype i = 0; i < n;) {
        if (!isHalfWidthDigit(cells[i].ch)) {
            ++i;
            continue;
        }
        qsizetype end = i;
        for (;;) {
            while (end < n && isHalfWidthDigit(cells[end].ch))
                ++end;
            if (end + 1 < n && isNumberJoiner(cells[end].ch) && isHalfWidthDigit(cells[end + 1].ch))
                ++end;
            else
                break;
        }
        const bool alone = (i == 0 || !isHalfWidthAlnum(cells[i - 1].ch)) &&
                           (end == n || !isHalfWidthAlnum(cells[end].ch));
        if (alone) {
            switch (digits) {
            case VerticalDigits::TurnedUnits:
                // A unit with a joiner has three characters at least.
                if (end - i <= 2)
                    for (qsizetype k = i; k < end; ++k)
                        cells[k].sideBySide = true;
                break;
            case VerticalDigits::SideBySide:
                for (qsizetype k = i; k < end;) {
                    qsizetype run = k;
                    while (run < end && isHalfWidthDigit(cells[run].ch))
                        ++run;
                    if (run - k <= 3)
                        for (qsizetype d = k; d < run; ++d)
                            cells[d].sideBySide = true;
                    k = std::max(run, k + 1);
                }
                break;
            case VerticalDigits::FullWidth:
                // The full-width forms lie 0xFEE0 above the ASCII ones:
                // ０–９ and －／．，：, each set as a character of its own.
                for (qsizetype k = i; k < end; ++k)
                    cells[k].ch += 0xFEE0;
                break;
            }
        }
        i = end;
    }
}

struct Shaped {
    QList<quint32> glyphs;
    QList<QPointF> positions;  // in the segment's frame, drawing units
    QList<qsizetype> clusters; // UTF-16 index in the text shaped
    double advance = 0;        // along the segment's direction
};

Shaped shape(Shaper& shaper, const QString& text, const Segment& s, double scale) {
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(text.utf16()), int(text.size()),
                        unsigned(s.start), int(s.length));
    const bool vertical = s.placement == Placement::Upright;
    hb_buffer_set_direction(buffer, vertical ? HB_DIRECTION_TTB : HB_DIRECTION_LTR);
    hb_buffer_set_language(buffer, hb_language_from_string("ja", -1));
    hb_buffer_guess_segment_properties(buffer);
    // Vertical runs take the vertical alternates (vert, which HarfBuzz turns
    // on by itself, and vrt2 where a font has it).
    const hb_feature_t vrt2{HB_TAG('v', 'r', 't', '2'), 1, HB_FEATURE_GLOBAL_START,
                            HB_FEATURE_GLOBAL_END};
    hb_shape(shaper.font, buffer, vertical ? &vrt2 : nullptr, vertical ? 1 : 0);
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &count);
    Shaped out;
    double pen = 0;
    for (unsigned i = 0; i < count; ++i) {
        out.glyphs.append(info[i].codepoint);
        out.clusters.append(qsizetype(info[i].cluster));
        // HarfBuzz's y runs upwards; the offsets place the glyph's
        // horizontal origin, also in a vertical run.
        if (vertical) {
            out.positions.append(QPointF(pos[i].x_offset * scale, pen - pos[i].y_offset * scale));
            pen -= pos[i].y_advance * scale;
        } else {
            out.positions.append(QPointF(pen + pos[i].x_offset * scale, -pos[i].y_offset * scale));
            pen += pos[i].x_advance * scale;
        }
    }
    out.advance = pen;
    hb_buffer_destroy(buffer);
    return out;
}

VerticalText layOut(const QFont& font, double size, const QString& text, VerticalDigits digits) {
    VerticalText v;
    QRawFont fonts[2] = {QRawFont::fromFont(font), QRawFont()};
    QFont fallback(DefaultJapaneseFont());
    fallback.setHintingPreference(QFont::PreferNoHinting);
    fonts[1] = QRawFont::fromFont(fallback);
    for (QRawFont& f : fonts)
        if (f.isValid())
            f.setPixelSize(size);
    const QRawFont& primary = fonts[0].isValid() ? fonts[0] : fonts[1];
    if (!primary.isValid())
        return v;
    const Shaper& box = shaperFor(primary);
    const double emScale = size / box.upem;
    v.width = (box.emRight - box.emLeft) * emScale;
    v.axis = v.width / 2;
    // Where upright glyphs have their vertical origin: the em box's centre
    // in the fonts we know, but a BASE table may place the box otherwise.
    const double origin = -box.emLeft * emScale;
    v.lineWidth = std::max(primary.lineThickness(), size / 20);
    // On the right of the characters' em box, inside the column.
    v.underlineX =
        std::min(v.axis + size / 2 + primary.underlinePosition(), v.width - v.lineWidth / 2);

    QList<Cell> cells = cellsOf(text);
    setDigits(cells, digits);
    // The text set, and for each of its UTF-16 units the cell it belongs to.
    QString shown;
    QList<qsizetype> cellOf;
    struct Char {
        qsizetype at = 0;
        qsizetype units = 1;
        int font = 0;
        Placement placement = Placement::Upright;
    };
    QList<Char> cs;
    for (qsizetype k = 0; k < cells.size(); ++k) {
        const char32_t ch = cells[k].ch;
        Char c;
        c.at = shown.size();
        shown.append(QString::fromUcs4(&ch, 1));
        c.units = shown.size() - c.at;
        for (qsizetype u = 0; u < c.units; ++u)
            cellOf.append(k);
        c.font = fonts[0].isValid() && fonts[0].supportsCharacter(ch)   ? 0
                 : fonts[1].isValid() && fonts[1].supportsCharacter(ch) ? 1
                 : fonts[0].isValid()                                   ? 0
                                                                        : 1;
        switch (VerticalOrientationOf(ch)) {
        case VerticalOrientation::Upright:
            break;
        case VerticalOrientation::UprightVerticalForm:
            // HarfBuzz takes the font's vertical form, or else Unicode's
            // vertical presentation form where the font has that glyph.
            break;
        case VerticalOrientation::RotatedVerticalForm:
            if (!shaperFor(fonts[c.font]).hasVerticalForm(ch))
                c.placement = Placement::Rotated;
            break;
        case VerticalOrientation::Rotated:
            c.placement = Placement::Rotated;
            break;
        }
        if (cells[k].sideBySide)
            c.placement = Placement::SideBySide;
        cs.append(c);
    }

    double pen = 0;
    for (qsizetype i = 0; i < cs.size();) {
        Segment s{cs[i].at, 0, cs[i].font, cs[i].placement};
        qsizetype end = i;
        while (end < cs.size() && cs[end].font == s.font && cs[end].placement == s.placement)
            s.length += cs[end++].units;
        const QRawFont& raw = fonts[s.font];
        Shaper& shaper = shaperFor(raw);
        Shaped shaped = shape(shaper, shown, s, size / shaper.upem);
        VerticalText::Piece piece;
        QTransform& t = piece.transform;
        switch (s.placement) {
        case Placement::Upright:
            t.translate(origin, pen);
            pen += shaped.advance;
            break;
        case Placement::Rotated:
            // Turned 90° clockwise: tops to the right, the line between
            // ascent and descent on the column's centre line.
            t.translate(v.axis, pen);
            t.rotate(90);
            t.translate(0, (raw.ascent() - raw.descent()) / 2);
            pen += shaped.advance;
            break;
        case Placement::SideBySide: {
            // Upright in a square cell, the digits' ink centred in it and
            // narrowed when wider than the cell.
            QRectF ink;
            for (qsizetype g = 0; g < shaped.glyphs.size(); ++g)
                ink |= raw.boundingRect(shaped.glyphs[g]).translated(shaped.positions[g]);
            const double narrow = shaped.advance > size ? size / shaped.advance : 1.0;
            t.translate(v.axis, pen + size / 2);
            t.scale(narrow, 1);
            t.translate(-shaped.advance / 2, -ink.center().y());
            pen += size;
            break;
        }
        }
        piece.glyphs.setRawFont(raw);
        piece.glyphs.setGlyphIndexes(shaped.glyphs);
        piece.glyphs.setPositions(shaped.positions);
        for (qsizetype cluster : shaped.clusters)
            piece.sources.append(cells[cellOf.value(cluster)].source);
        v.pieces.append(piece);
        i = end;
    }
    v.length = pen;
    return v;
}

} // namespace

const VerticalText& LayOutVertical(const QFont& font, double size, const QString& text,
                                   VerticalDigits digits) {
    static thread_local QHash<QString, VerticalText> layouts;
    const QString key = font.key() + u'\x1f' + QString::number(size, 'g', 10) + u'\x1f' +
                        QString::number(int(digits)) + u'\x1f' + text;
    const auto found = layouts.constFind(key);
    if (found != layouts.constEnd())
        return *found;
    if (layouts.size() > 256)
        layouts.clear();
    return *layouts.insert(key, layOut(font, size, text, digits));
}
