#include "tavormain.h"

#include "cardview.h"
#include "print/printer.h"

#include <QDir>
#include <QStandardPaths>

TavorMain::TavorMain(UiServices& ui, Settings& settings, PrinterHost& printers)
    : m_ui(ui), m_settings(settings), m_printers(printers),
      m_nullView(std::make_unique<CardView>()), m_view(m_nullView.get()) {}

TavorMain::~TavorMain() = default;

Printer& TavorMain::printer() {
    if (!m_printer) {
        const QStringList names = m_printers.deviceNames();
        m_printer = m_printers.open(names.isEmpty() ? QStringLiteral("PDF") : names.first());
    }
    return *m_printer;
}

void TavorMain::selectPrinter(const QString& deviceName) {
    if (auto p = m_printers.open(deviceName))
        m_printer = std::move(p);
}

void TavorMain::setPrinter(std::unique_ptr<Printer> printer) { m_printer = std::move(printer); }

void TavorMain::setView(CardView* view) { m_view = view ? view : m_nullView.get(); }

QString TavorMain::dataFolder() const {
    QString folder = m_dataFolder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(folder);
    return folder;
}

QString TavorMain::defaultCardPath() const {
    return dataFolder() + QStringLiteral("/Data00.") + QStringLiteral("qcd");
}
