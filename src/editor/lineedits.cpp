#include "lineedits.h"

#include "itemlayout.h"

#include <cmath>

double LeadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            digits = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0;
    bool ok = false;
    QString number = text.mid(start, i - start);
    if (number.endsWith(u'.'))
        number.chop(1);
    const double v = number.toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0;
}

std::optional<float> TypedFontSize(const QString& text) {
    const double v = std::floor(LeadingNumber(text) * 10 + 0.5) / 10;
    if (v < 1 || v > 256)
        return std::nullopt;
    return float(v);
}

float FontSizeStep(float size, bool up, bool* limited) {
    double s = size;
    bool clamp = false;
    if (up) {
        s = std::floor(s * 2) / 2 + 0.5;
        if (s > 256) {
            s = 256;
            clamp = true;
        }
    } else {
        s = std::floor(s * 2 + 0.9) / 2 - 0.5;
        if (s < 1) {
            s = 1;
            clamp = true;
        }
    }
    if (limited)
        *limited = clamp;
    return float(s);
}

double TruncateToTenth(const QString& text) {
    return std::floor(LeadingNumber(text) * 10) / 10;
}

double TakasaStep(double height, bool up, bool* limited) {
    double h = up ? height + 0.1 : height - 0.1;
    bool clamp = false;
    if (up && h > 10) {
        h = 10;
        clamp = true;
    } else if (!up && h < 0) {
        h = 0;
        clamp = true;
    }
    if (limited)
        *limited = clamp;
    return h;
}

QString FormatOneDecimal(double value) {
    return FormatPosition(value);
}

QString CleanLineText(const QString& text) {
    QString out = text;
    out.remove(u'"');
    out.remove(u'\r');
    out.remove(u'\n');
    return out;
}
