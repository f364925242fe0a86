#include "mainprogram.h"

#include "app/session.h"
#include "base/printer.h"
#include "base/uiservices.h"
#include "mainform.h"
#include "startup.h"
#include "ttlform.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

void MainProgram::ReadScreenMetrics(Session& s) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    const int tpp = qMax(1, int(std::lround(1440.0 / (dpi > 0 ? dpi : 96.0))));
    s.app.TppX = tpp;
    s.app.TppY = tpp;
    const QSize size = screen ? screen->size() : QSize(1024, 768);
    s.app.ScrWidth = size.width() * tpp;
    s.app.ScrHeight = size.height() * tpp;
}

void MainProgram::Main(Session& s, MainForm& form, const QString& cardOnCommandLine) {
    ReadScreenMetrics(s);
    TtlForm splash;
    const int tpp = qMax(1, s.app.TppX);
    auto centre = [&](QWidget& w, int height) {
        w.move((s.app.ScrWidth / tpp - w.width()) / 2, (s.app.ScrHeight / tpp - height) / 2);
    };
    centre(splash, splash.height());
    splash.show();
    s.ui().processEvents();
    centre(form, form.height());
    InitApp(s, cardOnCommandLine);
    form.hide();
    CapturePrinters(s);
    splash.close();
    form.show();
}
