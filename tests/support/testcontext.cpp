#include "testcontext.h"

#include "print/recordingprinter.h"

#include <QDir>

TestContext::TestContext() {
    settings = std::make_unique<Settings>(dir.filePath(QStringLiteral("qvrs.ini")));
    host = std::make_unique<TestPrinterHost>(QStringList{QStringLiteral("Recorder")},
                                             [](const QString&) -> std::unique_ptr<Printer> {
                                                 return std::make_unique<RecordingPrinter>();
                                             });
    m = std::make_unique<TavorMain>(ui, *settings, *host);
    QDir(dir.path()).mkpath(QStringLiteral("data"));
    m->setDataFolder(dir.filePath(QStringLiteral("data")));
    m->setView(&view);
}

TestContext::~TestContext() {
    m->setView(nullptr);
}
