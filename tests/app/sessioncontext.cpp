#include "sessioncontext.h"

#include "print/recordingprinter.h"

#include <QDir>

namespace {

std::unique_ptr<TestPrinterHost> recordingHost() {
    return std::make_unique<TestPrinterHost>(QStringList{QStringLiteral("Recorder")},
                                             [](const QString&) -> std::unique_ptr<Printer> {
                                                 return std::make_unique<RecordingPrinter>();
                                             });
}

} // namespace

SessionContext::SessionContext()
    : settings(std::make_unique<Settings>(dir.filePath(QStringLiteral("qvrs.ini")))),
      host(recordingHost()), m(std::make_unique<Session>(ui, *settings, *host)),
      spy(std::make_unique<SpyView>(m->doc)), view(*spy) {
    QDir(dir.path()).mkpath(QStringLiteral("data"));
    m->app.DataFolder = dir.filePath(QStringLiteral("data"));
}

SessionContext::~SessionContext() = default;
