#include "sheetprint.h"

#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/shapedtext.h"
#include "base/uiservices.h"
#include "cardsource.h"
#include "editor/cardrenderer.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <new>

namespace {

// Margins are sums and differences of lengths; a margin that is 1.5 mm up
// to rounding noise counts as 1.5 mm, which draws no marks.
constexpr double MarginNoise = 1e-9;

bool roomForMarks(double margin) {
    return margin > CutMarkEnd + MarginNoise;
}

// The colours are set whether or not a mark is drawn: blue, then green.
void drawMarks(Printer& p, const PrintStyle& s, double T, double L, CutMarkSides sides) {
    p.ForeColor = CutMarkBlue;
    for (const CutMarkLine& l : CutMarkLines(s, T, L, sides)) {
        p.ForeColor = l.color;
        p.Line(l.x1, l.y1, l.x2, l.y2);
    }
    p.ForeColor = CutMarkGreen;
}

// The running job of a print routine: the printer it was started on and the
// KillDoc count at its start, so that a discard during a yield is noticed.
class SheetJob {
public:
    SheetJob(PrinterChoice& printers, UiServices& ui)
        : m_printers(printers), m_ui(ui), m_printer(printers.printer()),
          m_kills(m_printer.KillDocCount()) {}

    Printer& printer() { return m_printer; }
    UiServices& ui() { return m_ui; }

    // Lets events run. False when the job was discarded meanwhile, or the
    // printer in use was changed (the old one is gone then).
    bool yield() {
        m_ui.processEvents();
        return open();
    }
    // False when the job was discarded since it began.
    bool open() const {
        return m_printers.hasPrinter() && &m_printers.printer() == &m_printer &&
               m_printer.KillDocCount() == m_kills;
    }

private:
    PrinterChoice& m_printers;
    UiServices& m_ui;
    Printer& m_printer;
    int m_kills;
};

// A card image the renderer refused, having said why: the job fails.
struct CardImageRefused {};

// Runs body (false: the job was discarded) and turns a printer error into the
// standard message, after discarding what was already sent.
QString NothingToPrint() {
    return QStringLiteral("印刷するものがありません。印刷スタイルの設定を確かめてください。");
}

template <typename Body> PrintOutcome runJob(PrinterChoice& printers, UiServices& ui, Body body) {
    SheetJob job(printers, ui);
    RuntimeError failure(RuntimeError::DeviceIo);
    try {
        return body(job) ? PrintOutcome::Printed : PrintOutcome::Discarded;
    } catch (const RuntimeError& e) {
        failure = e;
    } catch (const std::bad_alloc&) {
        failure = RuntimeError(RuntimeError::OutOfMemory);
    } catch (const CardImageRefused&) {
        try {
            job.printer().KillDoc();
        } catch (const RuntimeError&) {
            // Failed either way.
        }
        return PrintOutcome::Failed;
    }
    try {
        job.printer().KillDoc();
    } catch (const RuntimeError&) {
        // The device is failing already; its job is lost either way.
    }
    ui.message(failure.message(), failure.detail());
    return PrintOutcome::Failed;
}

// The frame of the three sheet routines: sheets of cards row by row, the
// content of each position drawn by draw(job, index, at, marks) for the
// number of the card the source gives, placed (and turned, when upright) at
// its position less the printer's unprintable area; draw returns false when
// the job was discarded.
template <typename Draw>
PrintOutcome printSheets(PrinterChoice& printers, UiServices& ui, const PrintStyle& style,
                         PrinterOffsets offsets, const CardSource& cards,
                         const PrintOptions& options, const SheetProgress& progress, Draw draw) {
    return runJob(printers, ui, [&](SheetJob& job) {
        Printer& p = job.printer();
        p.FontTransparent = true;
        const SheetPlan plan = PlanSheet(style, options.cutMarks, options.bottomMarks);
        const int sheets = cards.sheetCount();
        for (int sheet = 1; sheet <= sheets; ++sheet) {
            for (size_t k = 0; k < plan.size(); ++k) {
                const int index = cards.cardAt(sheet - 1, int(k));
                if (index < 0)
                    continue;
                const SheetPlace& place = plan[k];
                const CardOnSheet at =
                    PlaceCardOnSheet(style, cards.isUpright(index), place.top - offsets.IsfkY,
                                     place.left - offsets.IsfkX);
                if (!draw(job, index, at, place.marks))
                    return false;
            }
            if (sheet < sheets)
                p.NewPage();
            if (progress)
                progress(sheet, sheets);
            // The progress report may let events run: the job can be gone.
            if (!job.open())
                return false;
        }
        // A sheet without a single card or mark would end no document: the
        // print would report success with nothing sent.
        if (!p.jobOpen())
            throw RuntimeError(RuntimeError::InvalidCall, NothingToPrint());
        p.EndDoc();
        // The job may have been withdrawn while EndDoc followed it.
        return job.open();
    });
}

void setLineFont(Printer& p, const TextItem& t) {
    p.Font.Name = t.FontName;
    p.Font.Size = t.FontSize;
    p.Font.Bold = t.Bold;
    p.Font.Italic = t.Italic;
    p.Font.Underline = t.Underline;
    p.Font.Strikethrough = t.Strikethrough;
}

// An empty line printed where the pen stands, which leaves it there.
void printEmptyLine(Printer& p) {
    const double x = p.CurrentX;
    const double y = p.CurrentY;
    p.Print(QString());
    p.CurrentX = x;
    p.CurrentY = y;
}

// Paints with the painter's origin at the point onCard of the card placed
// at `at`, its axes those of the card (turned with it).
void paintOnCard(Printer& p, const CardOnSheet& at, QPointF onCard, const QString& text,
                 const Printer::PaintRoutine& paint) {
    const QPointF xy = at.map(onCard);
    if (!at.turned) {
        p.Paint(xy.x(), xy.y(), text, paint);
        return;
    }
    p.Paint(xy.x(), xy.y(), text, [paint, angle = at.angle()](QPainter& painter) {
        painter.rotate(angle);
        paint(painter);
    });
}

// A picture stretched over the card placed at `at`: the card image or the
// card's picture. A turned card's picture is turned by the device as it is
// drawn, never copied: a PDF still stores it once.
void paintCardPicture(Printer& p, const CardOnSheet& at, const QImage& picture) {
    if (!at.turned) {
        p.PaintPicture(picture, at.left, at.top, at.width, at.height);
        return;
    }
    if (picture.isNull())
        throw RuntimeError(RuntimeError::InvalidPicture);
    const QRectF card(QPointF(0, 0), at.cardSize());
    paintOnCard(p, at, QPointF(0, 0), QString(),
                [picture, card](QPainter& painter) { painter.drawImage(card, picture); });
}

// One copy of a line, its text box's corner at onCard on the card placed at
// `at`, drawn by the card renderer as text in the printer's millimetres,
// with the glyphs the job shaped for it.
void paintLineText(Printer& p, const TextItem& t, const CardOnSheet& at, QPointF onCard,
                   quint32 color, ShapedTextCache& shaped) {
    const QPointF xy = at.map(onCard);
    p.CurrentY = xy.y();
    p.CurrentX = xy.x();
    paintOnCard(p, at, onCard, t.Text, [&t, color, &shaped](QPainter& painter) {
        CardRenderer::paintText(painter, t, QPointF(0, 0), ColorFromRgb(color), &shaped);
    });
}

// One line of the card placed at `at`: its 3D copy, displaced by the full 3D
// height in the line's direction, then the line itself.
void printLine(Printer& p, const TextItem& t, const CardOnSheet& at, ShapedTextCache& shaped) {
    p.FontTransparent = true;
    const QPointF corner(t.Left, t.Top);
    if (t.KageOn) {
        printEmptyLine(p);
        setLineFont(p, t);
        p.ForeColor = static_cast<quint32>(t.KageColor);
        paintLineText(p, t, at, corner + CardRenderer::kageOffset(t), p.ForeColor, shaped);
    }
    printEmptyLine(p);
    setLineFont(p, t);
    p.ForeColor = static_cast<quint32>(t.ForeColor);
    paintLineText(p, t, at, corner, p.ForeColor, shaped);
}

// The card's logo on the card placed at `at`, drawn by the card renderer in
// card millimetres: an SVG as vectors, a raster logo as the one picture the
// source holds, which a PDF stores once for every position.
void printLogo(Printer& p, const Card& card, const DecodedLogo& logo, const CardOnSheet& at) {
    const QRectF box = CardRenderer(card, logo).logoBox();
    if (box.isEmpty())
        return;
    paintOnCard(p, at, QPointF(0, 0), QStringLiteral("ロゴ"),
                [logo, box](QPainter& painter) { CardRenderer::paintLogo(painter, logo, box); });
}

} // namespace

QTransform CardOnSheet::transform() const {
    QTransform t;
    if (!turned)
        return t.translate(left, top);
    // The card's left edge lies along the position's bottom.
    return t.translate(left, top + height).rotate(angle());
}

CardOnSheet PlaceCardOnSheet(const PrintStyle& s, bool upright, double top, double left) {
    return CardOnSheet{top, left, s.MsX, s.MsY, upright};
}

double CardTop(const PrintStyle& s, int row) {
    return (s.MsY + s.Kktop) * row + s.Yhktop;
}

double CardLeft(const PrintStyle& s, int column) {
    return (s.MsX + s.KkLeft) * column + s.YhkLeft;
}

double BottomMarginLeft(const PrintStyle& s) {
    return s.YsY - s.Yhktop - s.MaisuY * s.MsY - (s.MaisuY - 1) * s.Kktop;
}

double RightMarginLeft(const PrintStyle& s) {
    return s.YsX - s.YhkLeft - s.MaisuX * s.MsX - (s.MaisuX - 1) * s.KkLeft;
}

namespace {

// How many of `count` cards of the pitch fit from `start` on a paper of
// `length`: the last one starts on the paper. No sheet holds more than a few
// hundred cards either way.
int cardsOnPaper(int count, double start, double pitch, double length) {
    constexpr int MostCards = 1000;
    int n = std::clamp(count, 0, MostCards);
    if (pitch > 0)
        n = std::min(n, std::max(0, int(std::floor((length - start) / pitch)) + 1));
    return n;
}

} // namespace

int RowsOnPaper(const PrintStyle& s) {
    return cardsOnPaper(s.MaisuY, s.Yhktop, s.MsY + s.Kktop, s.YsY);
}

int ColumnsOnPaper(const PrintStyle& s) {
    return cardsOnPaper(s.MaisuX, s.YhkLeft, s.MsX + s.KkLeft, s.YsX);
}

CutMarkSides SheetCutMarks(const PrintStyle& s, int row, int column, bool cutMarks,
                           bool bottomMarks) {
    // The bottom and right marks look at the margins really left on the
    // sheet: the stored Yhkbtm and YhkRgt are 0 after most edits.
    CutMarkSides sides;
    sides.top = cutMarks && row == 0 && roomForMarks(s.Yhktop);
    sides.bottom =
        bottomMarks && cutMarks && row == s.MaisuY - 1 && roomForMarks(BottomMarginLeft(s));
    sides.left = cutMarks && column == 0 && roomForMarks(s.YhkLeft);
    sides.right = cutMarks && column == s.MaisuX - 1 && roomForMarks(RightMarginLeft(s));
    return sides;
}

CutMarkLines::CutMarkLines(const PrintStyle& s, double T, double L, CutMarkSides sides) {
    const double B = T + s.MsY;
    const double R = L + s.MsX;
    auto add = [this](double x1, double y1, double x2, double y2, quint32 color) {
        m_lines[m_count++] = {x1, y1, x2, y2, color};
    };
    if (sides.top) {
        add(L, T - CutMarkStart, L, T - CutMarkEnd, CutMarkBlue);
        add(R, T - CutMarkStart, R, T - CutMarkEnd, CutMarkBlue);
    }
    if (sides.bottom) {
        add(L, B + CutMarkStart, L, B + CutMarkEnd, CutMarkBlue);
        add(R, B + CutMarkStart, R, B + CutMarkEnd, CutMarkBlue);
    }
    if (sides.left) {
        add(L - CutMarkStart, T, L - CutMarkEnd, T, CutMarkGreen);
        add(L - CutMarkStart, B, L - CutMarkEnd, B, CutMarkGreen);
    }
    if (sides.right) {
        add(R + CutMarkStart, T, R + CutMarkEnd, T, CutMarkGreen);
        add(R + CutMarkStart, B, R + CutMarkEnd, B, CutMarkGreen);
    }
}

PrintOutcome PrintCardImage(PrinterChoice& printers, UiServices& ui, const PrintStyle& s,
                            PrinterOffsets offsets, const CardSource& cards,
                            const CardImages& images, const PrintOptions& options,
                            const SheetProgress& progress) {
    // The same QImage at every position of the same card: the device
    // stores it once.
    int imageOf = -1;
    QImage cardImage;
    return printSheets(printers, ui, s, offsets, cards, options, progress,
                       [&](SheetJob& job, int index, const CardOnSheet& at, CutMarkSides marks) {
                           if (index != imageOf) {
                               cardImage = images(index);
                               imageOf = index;
                               if (cardImage.isNull())
                                   throw CardImageRefused();
                           }
                           Printer& p = job.printer();
                           paintCardPicture(p, at, cardImage);
                           drawMarks(p, s, at.top, at.left, marks);
                           return true;
                       });
}

PrintOutcome PrintCardBackground(PrinterChoice& printers, UiServices& ui, const PrintStyle& s,
                                 PrinterOffsets offsets, const CardSource& cards,
                                 const PrintOptions& options, const SheetProgress& progress) {
    return printSheets(printers, ui, s, offsets, cards, options, progress,
                       [&](SheetJob& job, int index, const CardOnSheet& at, CutMarkSides marks) {
                           Printer& p = job.printer();
                           p.FontTransparent = true;
                           paintCardPicture(p, at, cards.pictureOf(index));
                           drawMarks(p, s, at.top, at.left, marks);
                           return true;
                       });
}

PrintOutcome PrintCardText(PrinterChoice& printers, UiServices& ui, const PrintStyle& s,
                           PrinterOffsets offsets, const CardSource& cards,
                           const PrintOptions& options, const SheetProgress& progress) {
    // The cards of a job share most of their lines: each text is shaped once
    // for its font. Each line is cut to what reaches the card, once for each
    // card of the source.
    ShapedTextCache shaped;
    int cut = -1;
    std::array<TextItem, LineCount> lines;
    return printSheets(
        printers, ui, s, offsets, cards, options, progress,
        [&](SheetJob& job, int index, const CardOnSheet& at, CutMarkSides marks) {
            const Card& card = cards.card(index);
            if (index != cut) {
                cut = index;
                for (int i = 0; i < LineCount; ++i)
                    lines[i] = CardRenderer::drawnPart(card.TextItems[i], CardSize(card));
            }
            Printer& p = job.printer();
            p.FontTransparent = true;
            drawMarks(p, s, at.top, at.left, marks);
            const bool logoOver = card.Logo.Layer == LogoLayer::OverLines;
            if (!logoOver)
                printLogo(p, card, cards.logoOf(index), at);
            for (int i = 0; i < LineCount; ++i) {
                // A line without a font name is shown nowhere.
                if (!lines[i].FontName.isEmpty())
                    printLine(p, lines[i], at, shaped);
                if (!job.yield())
                    return false;
            }
            if (logoOver)
                printLogo(p, card, cards.logoOf(index), at);
            // The QR code, drawn by the card renderer in card
            // millimetres from the card's corner.
            if (card.Qr.On)
                paintOnCard(p, at, QPointF(0, 0), QString(), [&card](QPainter& painter) {
                    CardRenderer(card).paintQrCode(painter);
                });
            return true;
        });
}

SheetPlan PlanSheet(const PrintStyle& s, bool cutMarks, bool bottomMarks) {
    SheetPlan plan;
    const int rows = RowsOnPaper(s);
    const int columns = ColumnsOnPaper(s);
    plan.reserve(size_t(rows) * size_t(columns));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            plan.push_back({r, c, CardTop(s, r), CardLeft(s, c),
                            SheetCutMarks(s, r, c, cutMarks, bottomMarks)});
    }
    return plan;
}

SheetPlan PlanPositionSheet(const PrintStyle& s, double isfkY, double isfkX) {
    const bool roomTop = roomForMarks(s.Yhktop - isfkY);
    const bool roomBottom = roomForMarks(BottomMarginLeft(s) - isfkY);
    const bool roomLeft = roomForMarks(s.YhkLeft - isfkX);
    const bool roomRight = roomForMarks(RightMarginLeft(s) - isfkX);
    SheetPlan plan = PlanSheet(s, false, false);
    for (SheetPlace& place : plan) {
        place.marks.top = roomTop && place.row == 0;
        place.marks.bottom = roomBottom && place.row == s.MaisuY - 1;
        place.marks.left = roomLeft && place.column == 0;
        place.marks.right = roomRight && place.column == s.MaisuX - 1;
    }
    return plan;
}

PrintOutcome PrintCardPositions(PrinterChoice& printers, UiServices& ui, const PrintStyle& s,
                                PrinterOffsets offsets) {
    return runJob(printers, ui, [&](SheetJob& job) {
        Printer& p = job.printer();
        p.FontTransparent = true;
        for (const SheetPlace& place : PlanPositionSheet(s, offsets.IsfkY, offsets.IsfkX)) {
            drawMarks(p, s, place.top - offsets.IsfkY, place.left - offsets.IsfkX, place.marks);
            if (!job.yield())
                return false;
        }
        // A sheet without a single card or mark would end no document: the
        // print would report success with nothing sent.
        if (!p.jobOpen())
            throw RuntimeError(RuntimeError::InvalidCall, NothingToPrint());
        p.EndDoc();
        // The job may have been withdrawn while EndDoc followed it.
        return job.open();
    });
}
