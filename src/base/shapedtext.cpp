#include "shapedtext.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

ShapedText::ShapedText(const QString& text, const QFont& font, QPaintDevice* device) {
    if (font.underline() || font.strikeOut() || font.overline()) {
        m_text = text;
        m_font = font;
        return;
    }
    // The font as the device measures it: glyph advances follow the device's
    // resolution, as they do when the painter shapes the text itself.
    QTextLayout layout(text, device ? QFont(font, device) : font, device);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return;
    m_ascent = line.ascent();
    m_runs = layout.glyphRuns();
}

void ShapedText::draw(QPainter& painter, QPointF origin) const {
    if (!m_text.isEmpty()) {
        painter.setFont(m_font);
        painter.drawText(origin, m_text);
        return;
    }
    // The runs lie with their baseline at the line's ascent.
    const QPointF at = origin - QPointF(0, m_ascent);
    for (const QGlyphRun& run : m_runs)
        painter.drawGlyphRun(at, run);
}

const ShapedText& ShapedTextCache::line(const QString& text, const QFont& font,
                                        QPaintDevice* device) {
    // Fonts hash and compare by what they ask for: QFont::key()'s text
    // would cost more to make than the line costs to draw.
    const Key key{text, font, device ? device->logicalDpiY() : 0};
    auto it = m_lines.find(key);
    if (it == m_lines.end()) {
        // A merge draws a new name on every card: past a few thousand
        // lines the cache starts again, so that memory stays flat however
        // many people a job prints.
        if (m_lines.size() >= MaxLines)
            m_lines.clear();
        it = m_lines.insert(key, ShapedText(text, font, device));
    }
    return *it;
}
