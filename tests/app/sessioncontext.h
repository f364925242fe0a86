#pragma once

#include "app/session.h"
#include "testcontext.h"

#include <QTemporaryDir>
#include <memory>

// The running program in a temporary folder: the settings file, the data
// folder, a scripted user interface and a recording printer, with a spy on
// the card document's announcements.
struct SessionContext {
    SessionContext();
    ~SessionContext();

    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    ScriptedUi ui;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<TestPrinterHost> host;
    std::unique_ptr<Session> m;
    std::unique_ptr<SpyView> spy;
    SpyView& view;
};
