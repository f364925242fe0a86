#include "tavormain.h"

#include "base/printer.h"
#include "base/runtimeerror.h"
#include "cardview.h"

#include <QDir>
#include <QStandardPaths>

TavorMain::TavorMain(UiServices& ui, Settings& settings, PrinterHost& printers)
    : m_ui(ui), m_settings(settings), m_printers(printers),
      m_nullView(std::make_unique<CardView>()), m_view(m_nullView.get()),
      m_history(std::make_unique<CardHistory>(*this)) {}

TavorMain::~TavorMain() = default;

Printer& TavorMain::printer() {
    if (!m_printer) {
        const QStringList names = m_printers.deviceNames();
        if (!names.isEmpty())
            m_printer = m_printers.open(names.first());
        // A printer that vanished since it was listed: the built-in one.
        if (!m_printer)
            m_printer = m_printers.open(PrinterHost::BuiltInPdfName());
        if (!m_printer)
            throw RuntimeError(RuntimeError::DeviceIo);
    }
    return *m_printer;
}

bool TavorMain::selectPrinter(const QString& deviceName) {
    auto p = m_printers.open(deviceName);
    if (!p)
        return false;
    m_printer = std::move(p);
    return true;
}

void TavorMain::setPrinter(std::unique_ptr<Printer> printer) {
    m_printer = std::move(printer);
}

void TavorMain::setView(CardView* view) {
    m_view = view ? view : m_nullView.get();
}

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
