#pragma once

#include "card.h"
#include "cardhistory.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

class CardView;
class Printer;
class PrinterHost;
class Settings;
class UiServices;

// Application values kept beside the card but not stored in card files.
struct AppState {
    double IsfkY = 0; // unprintable area at the top of the sheet, mm
    double IsfkX = 0; // unprintable area at the left of the sheet, mm
    int HaikeiFlg = 1;
    quint32 BackColor = 0xFFFFFF; // canvas background colour
    int ImgScale = 1;             // render scale of the card image
    int StartupFlg = 0;
    // Screen metrics: size in twips and twips per pixel.
    int ScrHeight = 0;
    int ScrWidth = 0;
    int TppY = 15;
    int TppX = 15;
    // Device names of the printers captured at start-up.
    QStringList PrinterList;
};

// The program's one card and the state around it, handed to every window and
// routine that needs them. Exactly one exists while the program runs.
class TavorMain {
public:
    TavorMain(UiServices& ui, Settings& settings, PrinterHost& printers);
    ~TavorMain();

    Card card;
    QString CardPath;
    int ChangedFlg = 0;
    // CardPath was given its "qcd" ending by an image export: no card file
    // was written under it, and one of that name may belong to another card.
    bool CardPathFromExport = false;
    AppState app;
    // The font list the editor offers (ListPrinterFonts).
    QStringList FontList;
    // The card picture as it is shown and printed: the converted working
    // bitmap after the last successful load; null when none was loaded.
    QImage Image1;
    // The picture settings (path, colour mode, tint) Image1 was last made
    // for, CardPictureKey; another card's settings never share its picture.
    QString Image1Key;

    UiServices& ui() const { return m_ui; }
    Settings& settings() const { return m_settings; }
    PrinterHost& printers() const { return m_printers; }

    // The current printer; opened on first use (the first of PrinterList, or
    // the built-in PDF printer when the system has none). Throws
    // RuntimeError when not even that can be opened.
    Printer& printer();
    bool hasPrinter() const { return m_printer != nullptr; }
    // Makes the named printer current; false when it cannot be opened.
    bool selectPrinter(const QString& deviceName);
    void setPrinter(std::unique_ptr<Printer> printer);

    CardView& view() const { return *m_view; }
    void setView(CardView* view);

    // Folder of the files the program writes (Data00.qcd, Tavor.bmp).
    QString dataFolder() const;
    void setDataFolder(const QString& folder) { m_dataFolder = folder; }
    QString defaultCardPath() const;

    // The undo history of the card; ChangedFlg follows it.
    CardHistory& history() { return *m_history; }
    // Records a change the user made to the card as a step of the history.
    void markChanged(CardChange what, int line = -1, bool mergeable = false) {
        m_history->record(what, line, mergeable);
    }

private:
    UiServices& m_ui;
    Settings& m_settings;
    PrinterHost& m_printers;
    std::unique_ptr<Printer> m_printer;
    std::unique_ptr<CardView> m_nullView;
    CardView* m_view;
    QString m_dataFolder;
    std::unique_ptr<CardHistory> m_history;
};
