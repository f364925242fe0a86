#pragma once

#include "base/printer.h"
#include "base/settings.h"
#include "document/cardview.h"
#include "document/tavormain.h"
#include "scriptedui.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>

// An editor view that remembers what the document routines asked of it.
class SpyView : public CardView {
public:
    QString caption;
    int showCardDataCalls = 0;
    int layoutCalls = 0;
    int redrawCalls = 0;
    int pictureClears = 0;
    int pictureShows = 0;
    void setCaption(const QString& c) override { caption = c; }
    void showCardData() override { ++showCardDataCalls; }
    void layoutCanvas() override { ++layoutCalls; }
    void redrawCard() override { ++redrawCalls; }
    void clearCardPicture() override { ++pictureClears; }
    void showCardPicture() override { ++pictureShows; }
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

// Everything a document routine needs, in a temporary folder: the settings
// file, the data folder, a scripted user interface, a spy view and a
// recording printer.
struct TestContext {
    TestContext();
    ~TestContext();

    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    ScriptedUi ui;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<TestPrinterHost> host;
    SpyView view;
    std::unique_ptr<TavorMain> m;
};
