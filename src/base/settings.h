#pragma once

#include <QMap>
#include <QString>
#include <memory>
#include <optional>

class QSettings;
class ScratchFolder;

// The per-user settings of the program, application "qvrs", sections "sti"
// and "opt". Every value is kept as text.
//
// The file is written only by sync(), through the safe-write routine: the
// INI text is made by Qt's own settings store in a private copy of the file,
// and that text then takes the file's place. A failed write leaves the file
// as it was.
class Settings {
public:
    // The user's store (qvrs/qvrs.ini in the user's config folder).
    Settings();
    // A store in the given INI file (tests, tools).
    explicit Settings(const QString& iniPath);
    // Writes what sync() has not written yet; a failure goes unreported.
    ~Settings();

    QString text(const QString& section, const QString& key, const QString& defaultValue) const;
    // The value read as a number. Throws RuntimeError 13 when the stored text
    // is not a number.
    double number(const QString& section, const QString& key, double defaultValue) const;
    void setText(const QString& section, const QString& key, const QString& value);
    void setNumber(const QString& section, const QString& key, double value);
    void remove(const QString& section, const QString& key);
    // Writes the changes made since the last sync into the file, over what
    // other runs have written there meanwhile, and reads the file again.
    // 0, or the error number of the failed write: the file is then as it
    // was, and the changes are kept for the next sync.
    int sync();

    const QString& fileName() const { return m_path; }

    // The numeric conversion of a setting's text: leading and trailing blanks
    // ignored, "." as the decimal point; an empty text is not a number.
    static bool parseNumber(const QString& text, double* value);
    // Numbers as their text, the way the program stores them ("3", "4.2328").
    static QString numberText(double value);

private:
    using Changes = QMap<QString, std::optional<QString>>;
    // A store goes with its private copy.
    struct DropCopy {
        void operator()(QSettings* store) const;
    };
    using Store = std::unique_ptr<QSettings, DropCopy>;
    int load(const QByteArray& ini, const Changes& changes, Store* store);

    QString m_path;
    std::unique_ptr<ScratchFolder> m_scratch; // the copies the store works on
    int m_copies = 0;
    Store m_store;
    Changes m_changes; // key → new text, or none when removed
};
