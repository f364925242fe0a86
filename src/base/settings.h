#pragma once

#include <QString>
#include <memory>

class QSettings;

// The per-user settings of the program, application "qvrs", sections "sti"
// and "opt". Every value is kept as text.
class Settings {
public:
    // The user's store (qvrs/qvrs.ini in the user's config folder).
    Settings();
    // A store in the given INI file (tests, tools).
    explicit Settings(const QString& iniPath);
    ~Settings();

    QString text(const QString& section, const QString& key, const QString& defaultValue) const;
    // The value read as a number. Throws RuntimeError 13 when the stored text
    // is not a number.
    double number(const QString& section, const QString& key, double defaultValue) const;
    void setText(const QString& section, const QString& key, const QString& value);
    void setNumber(const QString& section, const QString& key, double value);
    void remove(const QString& section, const QString& key);
    void sync();

    // The numeric conversion of a setting's text: leading and trailing blanks
    // ignored, "." as the decimal point; an empty text is not a number.
    static bool parseNumber(const QString& text, double* value);
    // Numbers as their text, the way the program stores them ("3", "4.2328").
    static QString numberText(double value);

private:
    std::unique_ptr<QSettings> m_store;
};
