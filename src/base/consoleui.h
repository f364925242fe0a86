#pragma once

#include "uiservices.h"

// The user interface of the command line: every message goes to stderr, no
// question is asked (the answer is always Cancel or OK), dialogs are cancelled.
class ConsoleUi : public UiServices {
public:
    Answer messageBox(const QString& text, const QString& title, Buttons buttons,
                      const QString& detail = QString()) override;
    void beep() override {}
    void processEvents() override {}
    void setBusy(bool) override {}
    std::optional<quint32> chooseColor(quint32) override { return std::nullopt; }
    std::optional<QString> openFileName(const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    int messageCount() const { return m_count; }

private:
    int m_count = 0;
};
