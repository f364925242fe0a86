#include "scriptedui.h"

UiServices::Answer ScriptedUi::messageBox(const QString& text, const QString& title,
                                          Buttons buttons, const QString& detail) {
    messages.append({text, title, buttons, detail});
    if (!answers.isEmpty())
        return answers.dequeue();
    return buttons == Ok ? AnswerOk : AnswerCancel;
}

void ScriptedUi::processEvents() {
    ++eventRuns;
    if (onProcessEvents)
        onProcessEvents();
}

std::optional<quint32> ScriptedUi::chooseColor(quint32) {
    return colors.isEmpty() ? std::nullopt : colors.dequeue();
}

std::optional<QString> ScriptedUi::openFileName(const QString& initial, const QString& filter) {
    openFilters.append(filter);
    openStarts.append(initial);
    return openNames.isEmpty() ? std::nullopt : openNames.dequeue();
}

std::optional<QString> ScriptedUi::saveFileName(const QString& initial, const QString& filter,
                                                const QString&) {
    saveFilters.append(filter);
    saveStarts.append(initial);
    return saveNames.isEmpty() ? std::nullopt : saveNames.dequeue();
}

QStringList ScriptedUi::texts() const {
    QStringList out;
    for (const Message& m : messages)
        out.append(m.text);
    return out;
}
