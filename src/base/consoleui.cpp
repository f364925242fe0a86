#include "consoleui.h"

#include <cstdio>

UiServices::Answer ConsoleUi::messageBox(const QString& text, const QString&, Buttons buttons,
                                         const QString& detail) {
    ++m_count;
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    std::fprintf(stderr, "quillo: %s\n", shown.trimmed().toLocal8Bit().constData());
    for (const QString& line : detail.split(u'\n', Qt::SkipEmptyParts))
        std::fprintf(stderr, "quillo:   %s\n", line.toLocal8Bit().constData());
    return buttons == Ok ? AnswerOk : AnswerCancel;
}
