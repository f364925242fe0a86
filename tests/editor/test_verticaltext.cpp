// Lines written top to bottom, drawn by the card renderer.

#include "document/card.h"
#include "editor/cardrenderer.h"
#include "editor/itemlayout.h"
#include "editor/verticaltext.h"

#include <QPainter>
#include <QtTest>

namespace {

constexpr double PxPerMm = 20;
constexpr double MarginMm = 3;

TextItem line(const QString& text, const QString& font, float size, bool vertical) {
    TextItem t;
    t.Text = text;
    t.FontName = font;
    t.FontSize = size;
    t.Tategaki = vertical;
    return t;
}

// The line drawn at (MarginMm, MarginMm) on white, 20 pixels a millimetre.
QImage render(const TextItem& t) {
    const QSizeF box = CardRenderer::measureText(t);
    QImage image(int((box.width() + 2 * MarginMm + 2) * PxPerMm),
                 int((box.height() + 2 * MarginMm + 2) * PxPerMm), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(PxPerMm, PxPerMm);
    Card card;
    card.TextItems[0] = t;
    card.TextItems[0].Left = card.TextItems[0].Top = MarginMm;
    CardRenderer(card).paintLine(p, 0);
    return image;
}

bool dark(QRgb c) {
    return qRed(c) < 110 && qGreen(c) < 110 && qBlue(c) < 110;
}
bool red(QRgb c) {
    return qRed(c) > 160 && qGreen(c) < 90 && qBlue(c) < 90;
}

// The box of the pixels that pass, in millimetres from the line's corner.
QRectF inkBox(const QImage& image, bool (*ink)(QRgb), int fromRow = 0, int toRow = -1) {
    QRect box;
    for (int y = fromRow; y < (toRow < 0 ? image.height() : toRow); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (ink(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    if (box.isNull())
        return {};
    return QRectF(box.x() / PxPerMm - MarginMm, box.y() / PxPerMm - MarginMm, box.width() / PxPerMm,
                  box.height() / PxPerMm);
}

// Runs of rows with ink, separated by blank rows: one per character of a
// run of separate glyphs.
QList<std::pair<int, int>> inkRowRuns(const QImage& image) {
    QList<std::pair<int, int>> runs;
    int start = -1;
    for (int y = 0; y <= image.height(); ++y) {
        bool any = false;
        for (int x = 0; y < image.height() && x < image.width() && !any; ++x)
            any = dark(image.pixel(x, y));
        if (any && start < 0)
            start = y;
        if (!any && start >= 0) {
            runs.append({start, y});
            start = -1;
        }
    }
    return runs;
}

// How each character of text stands, read from its shaped glyph run, one
// letter a character: T turned 90° clockwise and t turned as another glyph
// than its own; U upright, S upright as its own half-width glyph (縦中横),
// F upright as another glyph (a full-width or vertical form); - without a
// glyph of its own (joined to the one before). Upright glyphs take a cell
// each, 縦中横 digits share one: a breach shows as "?".
QString directions(const QString& family, const QString& text, VerticalDigits digits) {
    QFont font(family);
    font.setHintingPreference(QFont::PreferNoHinting);
    const VerticalText& v = LayOutVertical(font, 100, text, digits);
    QString letters(text.size(), u'-');
    QList<QPointF> origins(text.size());
    for (const VerticalText::Piece& piece : v.pieces) {
        for (qsizetype g = 0; g < piece.sources.size(); ++g) {
            const qsizetype at = piece.sources[g];
            const QTransform glyph = QTransform::fromTranslate(piece.glyphs.positions()[g].x(),
                                                               piece.glyphs.positions()[g].y()) *
                                     piece.transform;
            const QPointF up = glyph.map(QPointF(0, -1)) - glyph.map(QPointF(0, 0));
            const bool own = piece.glyphs.rawFont().glyphIndexesForString(text.mid(at, 1)) ==
                             QList<quint32>{piece.glyphs.glyphIndexes()[g]};
            letters[at] = up.x() > 0.9                ? (own ? u'T' : u't')
                          : up.y() > -0.9             ? u'?'
                          : !own                      ? u'F'
                          : text[at].unicode() < 0x80 ? u'S'
                                                      : u'U';
            origins[at] = glyph.map(QPointF(0, 0));
        }
    }
    // Upright glyphs one below the other, 縦中横 ones side by side.
    for (qsizetype i = 1, last = 0; i < text.size(); last = letters[i] == u'-' ? last : i, ++i) {
        const QPointF step = origins[i] - origins[last];
        if (QString(letters[i]) + letters[last] == QStringLiteral("SS")
                ? step.x() <= 0 || std::abs(step.y()) > 1
                : QStringLiteral("USF").contains(letters[i]) &&
                      QStringLiteral("USF").contains(letters[last]) && step.y() < 90)
            letters[i] = u'?';
    }
    return letters;
}

} // namespace

class TestVerticalText : public QObject {
    Q_OBJECT
private slots:
    void glyphsDownOneAxis_data();
    void glyphsDownOneAxis();
    void charactersStandAsInVerticalType_data();
    void charactersStandAsInVerticalType();
    void numbersStandAsOneUnit_data();
    void numbersStandAsOneUnit();
    void kageOffsetInMillimetres_data();
    void kageOffsetInMillimetres();
    void decorationsRunAlongTheColumn();
    void condensedAlongTheLine_data();
    void condensedAlongTheLine();
    void madeBoldAndItalic();
};

void TestVerticalText::glyphsDownOneAxis_data() {
    QTest::addColumn<QString>("font");
    QTest::addColumn<float>("size");
    QTest::newRow("IPAMincho 24 pt") << QStringLiteral("IPAMincho") << 24.0f;
    QTest::newRow("IPA明朝 11 pt") << QStringLiteral("IPA明朝") << 11.0f;
    QTest::newRow("IPAGothic") << QStringLiteral("IPAGothic") << 14.0f;
    // A Latin font: the ideographs come from the Japanese font.
    QTest::newRow("DejaVu Sans") << QStringLiteral("DejaVu Sans") << 18.0f;
    // A font without vertical metrics: HarfBuzz makes its advances.
    QTest::newRow("Unifont") << QStringLiteral("Unifont") << 16.0f;
    // Fonts whose BASE table gives the em box.
    QTest::newRow("Noto Sans CJK JP") << QStringLiteral("Noto Sans CJK JP") << 12.0f;
    QTest::newRow("Noto Sans CJK JP 24 pt") << QStringLiteral("Noto Sans CJK JP") << 24.0f;
    QTest::newRow("Noto Serif CJK JP") << QStringLiteral("Noto Serif CJK JP") << 24.0f;
}

// Each character's ink lies centred on the column's centre line, one below
// the other, and the run's measured box holds them all. The column is one
// em wide in every font, X its left edge: on a card 55 mm wide a line at
// X = 48 stays while its em, its 3D copy's 0.5 mm and 2 mm margin fit.
void TestVerticalText::glyphsDownOneAxis() {
    QFETCH(QString, font);
    QFETCH(float, size);
    // Characters whose ink has no blank row inside.
    const QString text = QStringLiteral("山田太郎");
    const TextItem t = line(text, font, size, true);
    const QSizeF box = CardRenderer::measureText(t);
    const double em = size * 25.4 / 72;
    // A column an em wide and about four ems long.
    QVERIFY2(std::abs(box.width() - em) < 1e-4, qPrintable(QString::number(box.width() / em)));
    Card card;
    card.PrintStyle.MsX = 55;
    card.TextItems[0] = t;
    card.TextItems[0].Left = 48;
    PlaceCardLines(card);
    QVERIFY(std::abs(card.TextItems[0].Left - std::min(48.0, 55 - em - 0.5 - 2)) < 1e-4);
    QVERIFY2(box.height() > 3.6 * em && box.height() < 4.8 * em,
             qPrintable(QString::number(box.height())));
    const QImage image = render(t);
    // The column cut into one cell per character: each holds ink, centred
    // on the column's centre line and inside the measured box.
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const auto row = [&](double mm) { return int((MarginMm + mm) * PxPerMm); };
        const QRectF ink =
            inkBox(image, dark, row(box.height() * i / n), row(box.height() * (i + 1) / n));
        QVERIFY2(!ink.isEmpty(), qPrintable(QStringLiteral("cell %1 empty").arg(i)));
        QVERIFY2(
            std::abs(ink.center().x() - box.width() / 2) < 0.06 * em,
            qPrintable(QStringLiteral("centre %1 of %2").arg(ink.center().x()).arg(box.width())));
        QVERIFY(ink.left() >= -0.05 && ink.right() <= box.width() + 0.05);
    }
    QVERIFY(inkBox(image, dark).bottom() <= box.height() + 0.05);
}

void TestVerticalText::charactersStandAsInVerticalType_data() {
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("text");
    // Where the ink lies in the vertical cell and in the horizontal box:
    // "upper right", "lower left", "tall" (longer down the column than
    // across), "wide".
    QTest::addColumn<QString>("vertical");
    QTest::addColumn<QString>("horizontal");
    const auto row = [](const char* tag, const char* font, const char* text, const char* vertical,
                        const char* horizontal) {
        QTest::newRow(tag) << QString::fromUtf8(font) << QString::fromUtf8(text)
                           << QString::fromUtf8(vertical) << QString::fromUtf8(horizontal);
    };
    row("、 Mincho", "IPAMincho", "、", "upper right", "lower left");
    row("。 Mincho", "IPAMincho", "。", "upper right", "lower left");
    row("、 Gothic", "IPAGothic", "、", "upper right", "lower left");
    row("。 in a Latin font", "DejaVu Sans", "。", "upper right", "lower left");
    // A font with Japanese characters but no vertical forms: 、。 moved to
    // the corner, the long vowel mark and brackets turned.
    row("、 without vertical forms", "Unifont", "、", "upper right", "lower left");
    row("ー without vertical forms", "Unifont", "ー", "tall", "wide");
    row("（ without vertical forms", "Unifont", "（", "wide", "tall");
    row("ー", "IPAMincho", "ー", "tall", "wide");
    row("ー Gothic", "IPAGothic", "ー", "tall", "wide");
    row("（", "IPAMincho", "（", "wide", "tall");
    // Latin letters and long numbers lie turned; two digits stand side by side.
    row("Latin turned", "IPAGothic", "ABCD", "tall", "wide");
    row("four digits turned", "IPAMincho", "2026", "tall", "wide");
    row("two digits upright", "IPAMincho", "12", "wide", "wide");
    row("a word turned", "DejaVu Sans", "Quillo", "tall", "wide");
    // Turned clockwise: the top of a letter faces right.
    row("T turned clockwise", "DejaVu Sans", "T", "heavy right", "heavy top");
}

void TestVerticalText::charactersStandAsInVerticalType() {
    QFETCH(QString, font);
    QFETCH(QString, text);
    QFETCH(QString, vertical);
    QFETCH(QString, horizontal);
    for (bool isVertical : {true, false}) {
        const TextItem t = line(text, font, 24, isVertical);
        const QSizeF box = CardRenderer::measureText(t);
        const QImage image = render(t);
        const QRectF ink = inkBox(image, dark);
        QVERIFY(!ink.isEmpty());
        // Ink in the outer quarters of the ink's box, in pixels.
        const QRect px((ink.translated(MarginMm, MarginMm).topLeft() * PxPerMm).toPoint(),
                       (ink.size() * PxPerMm).toSize());
        const auto count = [&](QRect part) {
            int n = 0;
            for (int y = part.top(); y <= part.bottom(); ++y)
                for (int x = part.left(); x <= part.right(); ++x)
                    n += dark(image.pixel(x, y));
            return n;
        };
        const int qw = px.width() / 4, qh = px.height() / 4;
        const int left = count(QRect(px.left(), px.top(), qw, px.height()));
        const int right = count(QRect(px.right() - qw, px.top(), qw, px.height()));
        const int top = count(QRect(px.left(), px.top(), px.width(), qh));
        const int bottom = count(QRect(px.left(), px.bottom() - qh, px.width(), qh));
        const QString expected = isVertical ? vertical : horizontal;
        const QPointF c = ink.center();
        const QString where = QStringLiteral("%1: ink %2,%3 %4x%5 in %6x%7")
                                  .arg(isVertical ? "vertical" : "horizontal")
                                  .arg(ink.x())
                                  .arg(ink.y())
                                  .arg(ink.width())
                                  .arg(ink.height())
                                  .arg(box.width())
                                  .arg(box.height());
        if (expected == u"upper right")
            QVERIFY2(c.x() > 0.55 * box.width() && c.y() < 0.45 * box.height(), qPrintable(where));
        else if (expected == u"lower left")
            QVERIFY2(c.x() < 0.45 * box.width() && c.y() > 0.55 * box.height(), qPrintable(where));
        else if (expected == u"tall")
            QVERIFY2(ink.height() > 1.5 * ink.width(), qPrintable(where));
        else if (expected == u"heavy right")
            QVERIFY2(right > 2 * left, qPrintable(where));
        else if (expected == u"heavy top")
            QVERIFY2(top > 2 * bottom, qPrintable(where));
        else if (expected == u"wide")
            QVERIFY2(ink.width() > ink.height(), qPrintable(where));
    }
}

void TestVerticalText::numbersStandAsOneUnit_data() {
    QTest::addColumn<QString>("font");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* font, int digits, const char* text, const char* expected) {
        QTest::addRow("%s %d %s", font, digits, text)
            << QString::fromUtf8(font) << digits << QString::fromUtf8(text) << expected;
    };
    for (const char* font : {"IPAGothic", "Noto Sans CJK JP"}) {
        // A number lies turned as one unit; one or two digits alone stand
        // side by side.
        row(font, 0, "TEL 03-1234-5678", "TTTTTTTTTTTTTTTT");
        row(font, 0, "2024/12/08", "TTTTTTTTTT");
        row(font, 0, "1,234円", "TTTTTU");
        row(font, 0, "9:30-18:00", "TTTTTTTTTT");
        row(font, 0, "12月8日", "SSUSU");
        row(font, 0, "第123回", "UTTTU");
        row(font, 0, "A4紙1-2", "TTUTTT");
        // 縦中横 for each run of up to three digits.
        row(font, 1, "TEL 03-1234-5678", "TTTTSSTTTTTTTTTT");
        row(font, 1, "1,234円 A12", "STSSSUTTTT");
        // Full-width and upright; a full-width dash has no vertical form.
        row(font, 2, "第12回 A4", "UFFUTTT");
        row(font, 2, "TEL 03-1234", "TTTTFFtFFFF");
        // Half-width katakana as the full-width kana, voiced marks joined.
        row(font, 0, "ﾎﾟｹﾍﾞﾙ", "F-FF-F");
        row(font, 0, "｢ﾒｰﾙ｣ｱﾞ名", "FFFFFFFU");
    }
    // A full-width colon: IPA fonts have no vertical form, Noto has one.
    row("IPAGothic", 2, "9:30", "FtFF");
    row("Noto Sans CJK JP", 2, "9:30", "FFFF");
}

// The direction of each glyph of a line, through the shaped glyph run.
void TestVerticalText::numbersStandAsOneUnit() {
    QFETCH(QString, font);
    QFETCH(int, digits);
    QFETCH(QString, text);
    QTEST(directions(font, text, VerticalDigits(digits)), "expected");
}

void TestVerticalText::kageOffsetInMillimetres_data() {
    QTest::addColumn<int>("direction");
    QTest::addColumn<double>("dx"); // the direction's step, as its name says
    QTest::addColumn<double>("dy");
    QTest::newRow("右下") << 3 << 1.0 << 1.0;
    QTest::newRow("左上") << 7 << -1.0 << -1.0;
    QTest::newRow("上") << 0 << 0.0 << -1.0;
    QTest::newRow("左下") << 5 << -1.0 << 1.0;
}

// The 3D copy of a vertical line lies its height in millimetres away in its
// direction: the copy's outer edges lead the line's by that much.
void TestVerticalText::kageOffsetInMillimetres() {
    QFETCH(int, direction);
    QFETCH(double, dx);
    QFETCH(double, dy);
    TextItem t = line(QStringLiteral("山田"), QStringLiteral("IPAMincho"), 24, true);
    t.KageOn = true;
    t.KageTakasa = 1.2;
    t.KageColor = 0x0000FF; // red, with red in the low byte
    t.KageHoukou = std::int16_t(direction);
    const QImage image = render(t);
    const QRectF text = inkBox(image, dark);
    const QRectF copy = inkBox(image, red);
    const double tolerance = 0.1;
    const auto edge = [](double step, double low, double high) { return step < 0 ? low : high; };
    QVERIFY2(std::abs(edge(dx, copy.left(), copy.right()) - edge(dx, text.left(), text.right()) -
                      dx * t.KageTakasa) < tolerance,
             qPrintable(QStringLiteral("x: copy %1..%2, line %3..%4")
                            .arg(copy.left())
                            .arg(copy.right())
                            .arg(text.left())
                            .arg(text.right())));
    QVERIFY2(std::abs(edge(dy, copy.top(), copy.bottom()) - edge(dy, text.top(), text.bottom()) -
                      dy * t.KageTakasa) < tolerance,
             qPrintable(QStringLiteral("y: copy %1..%2, line %3..%4")
                            .arg(copy.top())
                            .arg(copy.bottom())
                            .arg(text.top())
                            .arg(text.bottom())));
}

// The underline runs down the right side of the whole run, the
// strikethrough down its middle; a horizontal line's run along it.
void TestVerticalText::decorationsRunAlongTheColumn() {
    TextItem t = line(QStringLiteral("山田太郎"), QStringLiteral("IPAMincho"), 24, true);
    const QRectF plain = inkBox(render(t), dark);
    t.Underline = true;
    const QSizeF box = CardRenderer::measureText(t);
    const QRectF underlined = inkBox(render(t), dark);
    QVERIFY(underlined.right() > plain.right() + 0.1);
    QVERIFY(underlined.right() <= box.width() + 0.05);
    QVERIFY(underlined.height() > 0.95 * box.height());
    t.Underline = false;
    t.Strikethrough = true;
    const QImage struck = render(t);
    // Between 山 and 田 only the strikethrough has ink, on the centre line.
    const auto runs = inkRowRuns(render(line(t.Text, t.FontName, 24, true)));
    const int gap = (runs[0].second + runs[1].first) / 2;
    const QRectF between = inkBox(struck, dark, gap, gap + 1);
    QVERIFY(!between.isEmpty());
    QVERIFY(std::abs(between.center().x() - box.width() / 2) < 0.1);
}

// IPAMincho has no bold or italic face: the renderer makes them for a
// vertical line as for a horizontal one, heavier and slanted.
void TestVerticalText::madeBoldAndItalic() {
    TextItem t = line(QStringLiteral("山田太郎"), QStringLiteral("IPAMincho"), 24, true);
    const auto inkCount = [](const QImage& image) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += dark(image.pixel(x, y));
        return n;
    };
    const QImage plain = render(t);
    t.Bold = true;
    QVERIFY(inkCount(render(t)) > 1.2 * inkCount(plain));
    t.Bold = false;
    t.Italic = true;
    const QRectF upright = inkBox(plain, dark);
    const QRectF slanted = inkBox(render(t), dark);
    QVERIFY(slanted.width() > upright.width() + 0.5);
    QVERIFY(std::abs(slanted.height() - upright.height()) < 0.2);
}

void TestVerticalText::condensedAlongTheLine_data() {
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<int>("widthScale");
    QTest::addColumn<float>("condense"); // as measured to fit the card
    QTest::addColumn<double>("expected");
    QTest::newRow("horizontal 60 %") << false << 60 << 0.0f << 0.60;
    QTest::newRow("vertical 60 %") << true << 60 << 0.0f << 0.60;
    QTest::newRow("vertical 99 %") << true << 99 << 0.0f << 0.99;
    QTest::newRow("horizontal fitted to 75 %") << false << int(FitToCard) << 0.75f << 0.75;
    QTest::newRow("vertical fitted, held at 50 %") << true << int(FitToCard) << 0.3f << 0.50;
    QTest::newRow("fitted, fits as it is") << false << int(FitToCard) << 1.0f << 1.0;
}

// 長体 shortens the line along its direction only: across, the ink keeps
// the font's height (a vertical line's width).
void TestVerticalText::condensedAlongTheLine() {
    QFETCH(bool, vertical);
    QFETCH(int, widthScale);
    QFETCH(float, condense);
    QFETCH(double, expected);
    TextItem t = line(QStringLiteral("東京都千代田区"), QStringLiteral("IPAGothic"), 14, vertical);
    const QRectF normal = inkBox(render(t), dark);
    t.WidthScale = std::int16_t(widthScale);
    t.Condense = condense;
    const QRectF condensed = inkBox(render(t), dark);
    const double along =
        vertical ? condensed.height() / normal.height() : condensed.width() / normal.width();
    const double across =
        vertical ? condensed.width() / normal.width() : condensed.height() / normal.height();
    QVERIFY2(std::abs(along - expected) < 0.02, qPrintable(QString::number(along)));
    QVERIFY2(std::abs(across - 1) < 0.02, qPrintable(QString::number(across)));
}

QTEST_MAIN(TestVerticalText)
#include "test_verticaltext.moc"
