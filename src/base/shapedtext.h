#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QString>

class QPainter;
class QPaintDevice;

// One line of text shaped once for a font on a device, to be drawn again at
// any number of places: shaping (finding the glyphs and their advances)
// costs far more than drawing the glyphs it found. Drawn glyph runs stay
// real text in a PDF, searchable and selectable.
class ShapedText {
public:
    ShapedText() = default;
    ShapedText(const QString& text, const QFont& font, QPaintDevice* device);

    // Draws the text with the start of its baseline at origin, in the
    // painter's pen.
    void draw(QPainter& painter, QPointF origin) const;
    // The distance from the top of the line to its baseline.
    qreal ascent() const { return m_ascent; }
    bool isEmpty() const { return m_runs.isEmpty() && m_text.isEmpty(); }

private:
    QList<QGlyphRun> m_runs;
    qreal m_ascent = 0;
    // Underlined, struck-out or overlined text is drawn as text every time:
    // glyph runs place those lines differently.
    QString m_text;
    QFont m_font;
};

// The lines of one job, each shaped the first time it is drawn: a sheet of
// cards draws the same dozen lines at every card.
class ShapedTextCache {
public:
    // The line shaped for the font on the device.
    const ShapedText& line(const QString& text, const QFont& font, QPaintDevice* device);
    void clear() { m_lines.clear(); }
    qsizetype size() const { return m_lines.size(); }
    static constexpr qsizetype MaxLines = 4096;

private:
    struct Key {
        QString text;
        QFont font;
        int dpi = 0;
        bool operator==(const Key& o) const {
            return dpi == o.dpi && text == o.text && font == o.font;
        }
    };
    friend size_t qHash(const Key& key, size_t seed) noexcept {
        return qHashMulti(seed, key.text, key.font, key.dpi);
    }
    QHash<Key, ShapedText> m_lines;
};
