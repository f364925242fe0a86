#include "mainprogram.h"

#include "base/printer.h"
#include "base/uiservices.h"
#include "document/tavormain.h"
#include "mainform.h"
#include "startup.h"
#include "ttlform.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

void MainProgram::ReadScreenMetrics(TavorMain& m) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    const int tpp = qMax(1, int(std::lround(1440.0 / (dpi > 0 ? dpi : 96.0))));
    m.app.TppX = tpp;
    m.app.TppY = tpp;
    const QSize size = screen ? screen->size() : QSize(1024, 768);
    m.app.ScrWidth = size.width() * tpp;
    m.app.ScrHeight = size.height() * tpp;
}

void MainProgram::Main(TavorMain& m, MainForm& form, const QString& cardOnCommandLine) {
    ReadScreenMetrics(m);
    TtlForm splash;
    const int tpp = qMax(1, m.app.TppX);
    auto centre = [&](QWidget& w, int height) {
        w.move((m.app.ScrWidth / tpp - w.width()) / 2, (m.app.ScrHeight / tpp - height) / 2);
    };
    centre(splash, splash.height());
    splash.show();
    m.ui().processEvents();
    centre(form, form.height());
    InitApp(m, cardOnCommandLine);
    form.hide();
    CapturePrinters(m);
    splash.close();
    form.show();
}
