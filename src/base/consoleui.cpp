#include "consoleui.h"

#include <cstdio>

namespace {

void writeLines(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    std::fprintf(stderr, "quillo: %s\n", shown.trimmed().toLocal8Bit().constData());
}

} // namespace

UiServices::Answer ConsoleUi::messageBox(const QString& text, const QString&, Buttons buttons,
                                         const QString& detail) {
    ++m_count;
    writeLines(text);
    if (!detail.trimmed().isEmpty())
        writeLines(detail);
    return buttons == Ok ? AnswerOk : AnswerCancel;
}
