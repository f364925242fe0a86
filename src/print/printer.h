#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

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
// the device) or KillDoc (discarded, nothing comes out).
class Printer {
public:
    static constexpr int PaperUser = 256;
    static constexpr int ScaleUser = 0;
    static constexpr int ScaleTwips = 1;
    static constexpr int ScaleMillimetres = 6;
    // Twips in one real millimetre (the device's millimetre scale).
    static constexpr double TwipsPerMillimetre = 1440.0 / 25.4;

    virtual ~Printer();

    virtual QString DeviceName() const = 0;

    // Paper. setPaperSize throws RuntimeError when the device refuses the size.
    int PaperSize() const { return m_paperSize; }
    void setPaperSize(int size);
    double Width() const { return m_widthTwips; }   // twips
    double Height() const { return m_heightTwips; } // twips
    void setWidth(double twips);
    void setHeight(double twips);

    // Scale of the drawing coordinates.
    int ScaleMode() const { return m_scaleMode; }
    void setScaleMode(int mode);
    double ScaleWidth() const { return m_scaleWidth; }
    double ScaleHeight() const { return m_scaleHeight; }
    void setScaleWidth(double w);
    void setScaleHeight(double h);

    // Device facts.
    virtual int PhysicalOffsetX() const = 0; // device pixels
    virtual int PhysicalOffsetY() const = 0;
    virtual int PrintQuality() const = 0;    // dots per inch
    float TwipsPerPixelX() const { return float(1440.0 / PrintQuality()); }
    float TwipsPerPixelY() const { return float(1440.0 / PrintQuality()); }

    // Drawing state.
    bool FontTransparent = true;
    quint32 ForeColor = 0; // RGB, red in the low byte
    PrinterFont Font;
    double CurrentX = 0;
    double CurrentY = 0;

    // Output, coordinates in the current scale.
    void Print(const QString& text);
    void Line(double x1, double y1, double x2, double y2);
    void PaintPicture(const QImage& picture, double x, double y, double width, double height);
    void NewPage();
    void EndDoc();
    void KillDoc();
    bool jobOpen() const { return m_jobOpen; }

    // Font families the device offers, in its order, and its current font name.
    virtual QStringList FontNames() const;
    virtual QString CurrentFontName() const;

protected:
    Printer();

    // The unprintable margins the device gives a page of this size, in twips.
    struct Margins {
        double left = 0, top = 0, right = 0, bottom = 0;
    };
    virtual Margins marginsFor(double widthTwips, double heightTwips) const = 0;
    // Whether the device takes this paper size number; the default takes any.
    virtual bool acceptsPaperSize(int size) const;
    // The page height the device really grants when asked for this one.
    virtual double grantedHeight(double requestedTwips) const { return requestedTwips; }

    // Device hooks, in twips measured from the printable area's top-left corner.
    virtual void beginJob() = 0;
    virtual void drawText(double xTwips, double yTwips, const QString& text,
                          const PrinterFont& font, quint32 color, bool transparent) = 0;
    virtual void drawLine(double x1, double y1, double x2, double y2, quint32 color) = 0;
    virtual void drawPicture(const QImage& picture, double x, double y, double w, double h) = 0;
    virtual void startNewPage() = 0;
    virtual void finishJob() = 0;
    virtual void discardJob() = 0;
    // Height of one line of text in this font, in twips (for Print's line feed).
    virtual double lineHeightTwips(const PrinterFont& font) const;

    double printableWidthTwips() const;
    double printableHeightTwips() const;
    double toTwipsX(double x) const;
    double toTwipsY(double y) const;

private:
    void resetScale();
    void ensureJob();

    int m_paperSize = 9; // A4
    double m_widthTwips = 11906;
    double m_heightTwips = 16838;
    int m_scaleMode = ScaleTwips;
    double m_scaleWidth = 0;
    double m_scaleHeight = 0;
    bool m_jobOpen = false;
};

// The printers the program can print on: the system's, then the built-in "PDF".
class PrinterHost {
public:
    virtual ~PrinterHost() = default;
    virtual QStringList deviceNames() const = 0;
    virtual std::unique_ptr<Printer> open(const QString& deviceName) const = 0;
};
