#pragma once

#include "base/printer.h"

#include <QSizeF>
#include <functional>

// A printer that prints nothing and keeps a log of every call made on it.
// Its page, unprintable margins and resolution are set by the test; it can
// refuse the user-defined paper size, grant less page height than asked for,
// and fail on a chosen operation.
class RecordingPrinter : public Printer {
public:
    struct Call {
        // "Print", "Line", "PaintPicture", "Paint", "NewPage", "EndDoc", "KillDoc",
        // "PaperSize", "Width", "Height", "ScaleMode", "ScaleWidth", "ScaleHeight".
        QString op;
        // As the caller gave them: Print and Paint (x, y), Line (x1, y1,
        // x2, y2), PaintPicture (x, y, width, height) in scale units; the new
        // value for a property.
        QList<double> args;
        QString text;            // Print, Paint
        qint64 pictureKey = 0;   // PaintPicture: QImage::cacheKey()
        QSize pictureSize;       // PaintPicture
        quint32 color = 0;       // ForeColor in force
        PrinterFont font;        // Font in force
        bool transparent = true; // FontTransparent in force
    };
    // A document that reached EndDoc: its pages' sizes in twips.
    struct Document {
        QList<QSizeF> pages;
    };

    explicit RecordingPrinter(QString deviceName = QStringLiteral("Recording printer"),
                              int dpi = 600);

    QString DeviceName() const override { return m_deviceName; }
    int PhysicalOffsetX() const override;
    int PhysicalOffsetY() const override;
    int PrintQuality() const override { return m_dpi; }
    QStringList FontNames() const override;
    QString CurrentFontName() const override;

    // Configuration.
    void setResolution(int dpi) { m_dpi = dpi; }
    void setMarginsTwips(double left, double top, double right, double bottom);
    void setMarginsMillimetres(double left, double top, double right, double bottom);
    void setPage(double widthTwips, double heightTwips) {
        initPage(PaperUser, widthTwips, heightTwips);
    }
    bool refuseUserPaper = false;
    double maxHeightTwips = 0;       // 0: any height is granted
    double fixedLineHeightTwips = 0; // 0: the font's line height
    QString failOn;                  // an operation that throws RuntimeError(failNumber)
    int failNumber = 57;
    QString failDetail; // the failure's detail, as a print system gives its reason
    // Reported to the job watch by EndDoc, one after another, as a printer
    // that follows its jobs in a print system does. A KillDoc from the watch
    // withdraws the document: it is counted as discarded.
    QStringList jobStates;
    QStringList fontNames;   // empty: the system's
    QString currentFontName; // empty: the system's default

    // The log.
    QList<Call> calls;
    QList<Document> documents; // ended documents
    int discardedDocuments = 0;
    QList<Call> callsOf(const QString& op) const;
    int count(const QString& op) const { return int(callsOf(op).size()); }
    void clear();

protected:
    void traceCall(const QString& op, const QList<double>& args, const QString& text,
                   const QImage* picture) override;
    Margins marginsFor(double, double) const override { return m_margins; }
    bool acceptsPaperSize(int size) const override;
    double grantedHeight(double requestedTwips) const override;
    double lineHeightTwips(const PrinterFont& font) const override;

    void beginJob() override;
    void drawText(double, double, const QString&, const PrinterFont&, quint32, bool) override {}
    void drawLine(double, double, double, double, quint32) override {}
    void drawPicture(const QImage&, double, double, double, double) override {}
    void paintWith(double, double, double, double, const PaintRoutine&) override {}
    void startNewPage() override;
    void finishJob() override;
    void discardJob() override;

private:
    QString m_deviceName;
    int m_dpi;
    Margins m_margins;
    Document m_current;
};

// Hands out recording printers by name; remembers the last one it opened.
class RecordingPrinterHost : public PrinterHost {
public:
    explicit RecordingPrinterHost(QStringList names = {QStringLiteral("Recording printer")});
    QStringList deviceNames() const override { return m_names; }
    std::unique_ptr<Printer> open(const QString& deviceName) const override;

    // Applied to every printer before it is handed out.
    std::function<void(RecordingPrinter&)> configure;
    mutable RecordingPrinter* lastOpened = nullptr;

private:
    QStringList m_names;
};
