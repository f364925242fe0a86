#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What GUI-free code may ask of the user interface. The windows hand the Qt
// implementation to the routines; tests hand a scripted one; the command line
// one that writes to stderr.
class UiServices {
public:
    enum Buttons { Ok, YesNoCancel, YesNo, OkCancel };
    enum Answer { AnswerOk, AnswerYes, AnswerNo, AnswerCancel };

    virtual ~UiServices() = default;

    // detail, when given, is shown apart from the text (the file concerned,
    // a plain hint, the reason a print system gave); the text itself stays
    // the program's exact message.
    virtual Answer messageBox(const QString& text, const QString& title, Buttons buttons,
                              const QString& detail = QString()) = 0;
    virtual void beep() = 0;
    // Lets pending window events run (repaint, a click on a dialog's close button).
    virtual void processEvents() = 0;
    virtual void setBusy(bool busy) = 0;
    // An RGB value with red in the low byte; nothing when the user cancels.
    virtual std::optional<quint32> chooseColor(quint32 initial) = 0;
    // filter is the system's form: "description|pattern|description|pattern|".
    virtual std::optional<QString> openFileName(const QString& initial, const QString& filter) = 0;
    virtual std::optional<QString> saveFileName(const QString& initial, const QString& filter,
                                                const QString& defaultSuffix) = 0;

    // The standard message of the program: OK button, title "Quillo 2.40".
    void message(const QString& text, const QString& detail = QString()) {
        messageBox(text, title(), Ok, detail);
    }
    static QString title() { return QStringLiteral("Quillo 2.40"); }
    // The detail of a message about a file: its path, then a plain hint
    // ("名刺ファイルとして読めません") if there is one.
    static QString fileDetail(const QString& path, const QString& hint = QString()) {
        QString detail = QStringLiteral("ファイル: ") + path;
        if (!hint.isEmpty())
            detail += QLatin1Char('\n') + hint;
        return detail;
    }
};
