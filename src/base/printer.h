#pragma once

#include "units.h"

#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QFont;
class QPainter;

// The font the printer draws its text with.
struct PrinterFont {
    QString Name;
    double Size = 12; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;

    bool operator==(const PrinterFont&) const = default;
};

// The printer object the print routines, the printer geometry and the print
// dialog work with. The page is set in twips (Width, Height); drawing uses the
// scale (ScaleMode 6 = millimetres, 1 = twips, 0 = user scale set through
// ScaleWidth/ScaleHeight) whose origin is the top-left corner of the printable
// area. The printable area is the page less the device's unprintable margins;
// PhysicalOffsetX/Y are the left and top ones in device pixels.
//
// A job starts with the first drawing call and lasts until EndDoc (sent to
// the device) or KillDoc (discarded, nothing comes out). Device failures are
// thrown as RuntimeError.
class Printer {
public:
    static constexpr int PaperUser = 256;
    static constexpr int ScaleUser = 0;
    static constexpr int ScaleTwips = 1;
    static constexpr int ScalePoints = 2;
    static constexpr int ScalePixels = 3;
    static constexpr int ScaleInches = 5;
    static constexpr int ScaleMillimetres = 6;
    static constexpr int ScaleCentimetres = 7;
    // Twips in one real millimetre (the device's millimetre scale).
    static constexpr double TwipsPerMillimetre = 1440.0 / 25.4;
    // The program's own conversion of millimetres to page sizes (56.7, not
    // 56.69): a paper of W mm is asked for as PageTwips(W).
    static constexpr double LayoutTwipsPerMillimetre = TwipsPerMm;
    // W mm × 56.7, rounded to a whole twip, halves to even.
    static double PageTwips(double millimetres);
    // The number of the standard paper less than 2 mm off this size (width ×
    // height, mm), or 0.
    static int StandardPaperNumberFor(const QSizeF& millimetres);

    virtual ~Printer();

    virtual QString DeviceName() const = 0;

    // Paper. setPaperSize throws RuntimeError 5 when the device refuses the
    // size; a standard size number also sets Width and Height, 256 keeps them.
    // Setting Width or Height makes the paper user-defined (256).
    int PaperSize() const { return m_paperSize; }
    void setPaperSize(int size);
    double Width() const { return m_widthTwips; }   // twips
    double Height() const { return m_heightTwips; } // twips
    void setWidth(double twips);
    void setHeight(double twips);

    // The sheet the device puts out, in millimetres: the print style's paper,
    // which SetupPrinterPaper gives once its page search is done. Drawing
    // stays measured on the page (Width, Height) from the printable corner,
    // so nothing moves on the sheet; a page longer than the sheet is cut at
    // the sheet's bottom edge. Empty (the default): the sheet is the page.
    void setSheet(const QSizeF& millimetres);
    QSizeF Sheet() const { return m_sheet; }

    // Scale of the drawing coordinates. ScaleWidth and ScaleHeight are single
    // precision, as the print routines and the paper search expect. Setting
    // either switches to the user scale (0): the printable area then spans
    // that many units. A new Width, Height or ScaleMode recomputes the scale
    // of the mode (the user scale keeps its two values).
    int ScaleMode() const { return m_scaleMode; }
    void setScaleMode(int mode);
    float ScaleWidth() const;
    float ScaleHeight() const;
    void setScaleWidth(double w);
    void setScaleHeight(double h);
    // The printable area of the page, in millimetres, whatever the scale.
    QSizeF printableMillimetres() const;

    // Device facts.
    virtual int PhysicalOffsetX() const = 0; // device pixels
    virtual int PhysicalOffsetY() const = 0;
    virtual int PrintQuality() const = 0; // dots per inch
    float TwipsPerPixelX() const { return float(1440.0 / PrintQuality()); }
    float TwipsPerPixelY() const { return float(1440.0 / PrintQuality()); }

    // Drawing state.
    bool FontTransparent = true;
    quint32 ForeColor = 0; // RGB, red in the low byte
    PrinterFont Font;
    double CurrentX = 0;
    double CurrentY = 0;

    // Output, coordinates in the current scale. Print draws the text with its
    // top-left corner at (CurrentX, CurrentY), then moves to the start of the
    // next line. NewPage and EndDoc put CurrentX and CurrentY back to 0.
    void Print(const QString& text);
    void Line(double x1, double y1, double x2, double y2);
    void PaintPicture(const QImage& picture, double x, double y, double width, double height);
    // Paints with a QPainter whose origin is (x, y) and whose unit is one
    // unit of the current scale (a millimetre in the millimetre scale). What
    // the painter draws reaches the device as the device draws it: text stays
    // text in a PDF. The routine may be run later (a device that collects its
    // pages), so it must own what it paints. text names what is painted, for
    // devices that keep a log.
    using PaintRoutine = std::function<void(QPainter&)>;
    void Paint(double x, double y, const QString& text, const PaintRoutine& paint);
    void NewPage();
    void EndDoc();
    void KillDoc();
    bool jobOpen() const { return m_jobOpen; }
    // How many times KillDoc was called, with or without a job. The print
    // dialog's close button discards a running job with KillDoc while a print
    // routine lets events run; the routine sees the count change and stops.
    int KillDocCount() const { return m_killDocCount; }

    // A device that hands its documents to a print system follows each one
    // after EndDoc until the system has taken it for printing, and calls the
    // watch meanwhile, a few times a second, with the job's state in words.
    // A KillDoc from the watch withdraws the job from the print system.
    using JobWatch = std::function<void(const QString& state)>;
    void setJobWatch(JobWatch watch) { m_jobWatch = std::move(watch); }
    // The print system's name of the last document sent ("queue-12"), empty
    // for a device without one.
    virtual QString JobRequestId() const { return {}; }

    // Why the device cannot print on a sheet of this size (width × height,
    // mm): a queue without that paper. Empty when it can.
    virtual QString paperProblem(const QSizeF& millimetres) const;

    // Where the next document goes, for a device that writes files. False
    // when the device prints on paper and cannot take a file.
    virtual bool setOutputFile(const QString& path);

    // Font families the device offers, in its order, and its current font
    // name: by default the system's families and the family fontconfig picks
    // for Japanese sans-serif text.
    virtual QStringList FontNames() const;
    virtual QString CurrentFontName() const;

protected:
    Printer();

    // The unprintable margins the device gives a page of this size, in twips.
    struct Margins {
        double left = 0, top = 0, right = 0, bottom = 0;
    };
    virtual Margins marginsFor(double widthTwips, double heightTwips) const = 0;
    // Whether the device takes this paper size number; the default takes any
    // size Printer knows.
    virtual bool acceptsPaperSize(int size) const;
    // The page height the device really grants when asked for this one.
    virtual double grantedHeight(double requestedTwips) const { return requestedTwips; }
    // The page the device starts with, set without the checks of the setters.
    void initPage(int paperSize, double widthTwips, double heightTwips);

    // Every operation and property change arrives here first, with its
    // arguments as the caller gave them (scale units for drawing), so a device
    // can keep a log of them or fail on one.
    virtual void traceCall(const QString& op, const QList<double>& args, const QString& text,
                           const QImage* picture);

    // Device hooks, in twips measured from the printable area's top-left corner.
    // beginJob starts the document with its first page, Width × Height.
    virtual void beginJob() = 0;
    virtual void drawText(double xTwips, double yTwips, const QString& text,
                          const PrinterFont& font, quint32 color, bool transparent) = 0;
    virtual void drawLine(double x1, double y1, double x2, double y2, quint32 color) = 0;
    virtual void drawPicture(const QImage& picture, double x, double y, double w, double h) = 0;
    // Runs paint with the painter's origin at (x, y) twips and its unit
    // unitX × unitY twips.
    virtual void paintWith(double xTwips, double yTwips, double unitXTwips, double unitYTwips,
                           const PaintRoutine& paint) = 0;
    // Ends the page and starts the next one, Width × Height as they are now.
    virtual void startNewPage() = 0;
    virtual void finishJob() = 0;
    virtual void discardJob() = 0;
    // Height of one line of text in this font, in twips (for Print's line feed).
    virtual double lineHeightTwips(const PrinterFont& font) const;

    // The QFont for a printer font; an empty name means CurrentFontName().
    QFont toQFont(const PrinterFont& font) const;
    // The font's ascent at the device's resolution, in twips.
    double ascentTwips(const PrinterFont& font) const;

    // Calls the job watch, when one is set.
    void reportJobState(const QString& state) const {
        if (m_jobWatch)
            m_jobWatch(state);
    }

    double printableWidthTwips() const;
    double printableHeightTwips() const;
    double toTwipsX(double x) const;
    double toTwipsY(double y) const;

private:
    struct ResolvedFont;
    // The fonts of a job, resolved once: finding a family goes through
    // fontconfig, far too slow to repeat for every line of every card.
    const ResolvedFont& resolve(const PrinterFont& font) const;

    void ensureJob();
    void drawPainted(double x, double y, const PaintRoutine& paint);
    double twipsPerUnit(int mode) const;
    double fromTwipsY(double twips) const;

    int m_paperSize = 9; // A4
    double m_widthTwips = 11906;
    double m_heightTwips = 16838;
    int m_scaleMode = ScaleTwips;
    float m_scaleWidth = 0;  // user scale only
    float m_scaleHeight = 0; // user scale only
    QSizeF m_sheet;
    bool m_jobOpen = false;
    int m_killDocCount = 0;
    JobWatch m_jobWatch;
    mutable std::vector<ResolvedFont> m_fonts;
};

// The printers the program can print on: the system's, then the built-in
// PDF printer.
class PrinterHost {
public:
    // The built-in PDF printer's name: one no print queue is likely to have
    // (cups-pdf calls its queue "PDF").
    static QString BuiltInPdfName() { return QStringLiteral("PDFファイル"); }

    virtual ~PrinterHost() = default;
    virtual QStringList deviceNames() const = 0;
    // The printer the system prints on when none is named (the print
    // system's default destination); empty when it has none.
    virtual QString defaultDeviceName() const { return {}; }
    // Null when no printer of that name exists.
    virtual std::unique_ptr<Printer> open(const QString& deviceName) const = 0;
};

// The printers the program offers and the one in use: the list captured at
// start-up and the current printer, opened on first use.
class PrinterChoice {
public:
    explicit PrinterChoice(PrinterHost& host) : m_host(host) {}

    PrinterHost& host() const { return m_host; }

    // Device names of the printers captured at start-up.
    QStringList PrinterList;

    // The current printer; opened on first use (the system's default
    // printer, else its first one, or the built-in PDF printer when the
    // system has none). Throws RuntimeError when not even that can be opened.
    Printer& printer();
    bool hasPrinter() const { return m_printer != nullptr; }
    // Makes the named printer current; false when it cannot be opened.
    bool selectPrinter(const QString& deviceName);
    void setPrinter(std::unique_ptr<Printer> printer);

private:
    PrinterHost& m_host;
    std::unique_ptr<Printer> m_printer;
};
