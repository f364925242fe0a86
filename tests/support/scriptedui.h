#pragma once

#include "base/uiservices.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <functional>
#include <optional>

// A user interface that records every message and answers from queues.
class ScriptedUi : public UiServices {
public:
    struct Message {
        QString text;
        QString title;
        Buttons buttons;
        QString detail;
    };

    QList<Message> messages;
    int beeps = 0;
    int eventRuns = 0;
    QQueue<Answer> answers;                   // default: OK / Cancel
    QQueue<std::optional<quint32>> colors;    // default: cancelled
    QQueue<std::optional<QString>> openNames; // default: cancelled
    QQueue<std::optional<QString>> saveNames; // default: cancelled
    QStringList openFilters, saveFilters;
    QStringList openStarts, saveStarts; // where each file dialog opened
    std::function<void()> onProcessEvents;

    Answer messageBox(const QString& text, const QString& title, Buttons buttons,
                      const QString& detail = QString()) override;
    void beep() override { ++beeps; }
    void processEvents() override;
    void setBusy(bool) override {}
    std::optional<quint32> chooseColor(quint32 initial) override;
    std::optional<QString> openFileName(const QString& initial, const QString& filter) override;
    std::optional<QString> saveFileName(const QString& initial, const QString& filter,
                                        const QString& defaultSuffix) override;

    QStringList texts() const;
};
