#pragma once

#include "base/uiservices.h"

class QLocale;
class QWidget;

// Loads Qt's own translations for the language of locale, so that the
// standard dialogs and buttons speak it; false when Qt has none for it.
bool InstallQtTranslations(const QLocale& locale);

// The user interface services on Qt's standard dialogs.
class QtUi : public UiServices {
public:
    explicit QtUi(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    Answer messageBox(const QString& text, const QString& title, Buttons buttons,
                      const QString& detail = QString()) override;
    void beep() override;
    void processEvents() override;
    void setBusy(bool busy) override;
    std::optional<quint32> chooseColor(quint32 initial) override;
    std::optional<QString> openFileName(const QString& initial, const QString& filter) override;
    std::optional<QString> saveFileName(const QString& initial, const QString& filter,
                                        const QString& defaultSuffix) override;

    // "desc|*.a|desc|*.b|" as Qt's filter list "desc (*.a);;desc (*.b)".
    static QString qtFilter(const QString& filter);

private:
    QWidget* m_parent;
};
