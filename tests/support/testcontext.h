#pragma once

#include "base/appstate.h"
#include "base/printer.h"
#include "base/settings.h"
#include "document/carddocument.h"
#include "print/sheetprint.h"
#include "scriptedui.h"

#include <QObject>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// What a window following the document was told: the document's
// announcements, counted as the editor window acts on them.
class SpyView : public QObject {
public:
    explicit SpyView(CardDocument& doc);

    QString caption;           // the caption for the last path announced
    int showCardDataCalls = 0; // a whole card shown in the line tabs
    int layoutCalls = 0;       // the canvas laid out for the card's size
    int redrawCalls = 0;       // every line drawn again
    int pictureClears = 0;     // the picture taken off the canvas
    int pictureShows = 0;      // the picture shown on the canvas
};

// Printers made by a factory function, listed under the names given.
class TestPrinterHost : public PrinterHost {
public:
    using Factory = std::function<std::unique_ptr<Printer>(const QString&)>;
    TestPrinterHost(QStringList names, Factory factory)
        : m_names(std::move(names)), m_factory(std::move(factory)) {}
    QStringList deviceNames() const override { return m_names; }
    std::unique_ptr<Printer> open(const QString& name) const override { return m_factory(name); }

private:
    QStringList m_names;
    Factory m_factory;
};

// The pieces the windows and routines below the program take, in a temporary
// folder: the settings file, the data folder, a scripted user interface, a
// recording printer, the program's values and a card document with a spy
// on its announcements.
struct TestContext {
    TestContext();
    ~TestContext();

    QString path(const QString& name) const { return dir.filePath(name); }

    // The open card as the program hands it on: its card image (the picture
    // converted first when asked for), and the print routines with the open
    // card at every position, the bottom marks as setting "opt"/"KiritoriFlag"
    // says, the card image at ImgScale.
    QImage renderCard(bool withPicture, bool withText);
    PrintOptions printOptions(PrintKind kind, bool cutMarks);
    PrintOutcome print(PrintKind kind, int sheets, bool cutMarks,
                       const SheetProgress& progress = {});
    PrintOutcome printImage(const QImage& cardImage, int sheets, bool cutMarks);
    bool preparePrinter();
    PrinterOffsets offsets() const { return {app.IsfkY, app.IsfkX}; }

    QTemporaryDir dir;
    ScriptedUi ui;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<TestPrinterHost> host;
    std::unique_ptr<PrinterChoice> printers;
    AppState app;
    CardDocument doc;
    SpyView view{doc};
};
