#pragma once

#include "base/appstate.h"
#include "base/printer.h"
#include "document/carddocument.h"

#include <QStringList>

class Settings;
class UiServices;

// The running program: its user interface services, its settings, the
// printers it offers and the one in use, its values, the installed fonts and
// the open card. The program has one; the windows and routines below app/
// are handed the pieces they use.
class Session {
public:
    Session(UiServices& ui, Settings& settings, PrinterHost& printers)
        : printers(printers), m_ui(ui), m_settings(settings) {}

    UiServices& ui() const { return m_ui; }
    Settings& settings() const { return m_settings; }

    PrinterChoice printers;
    AppState app;
    // The font list the editor offers (ListPrinterFonts).
    QStringList FontList;
    CardDocument doc;

private:
    UiServices& m_ui;
    Settings& m_settings;
};
