#pragma once

#include <QString>
#include <QTemporaryDir>

// A folder of this run's own files ("qvrs-" and six characters) in the
// temporary folder or another: the print command's settings and working
// bitmap, the settings store's private copies. It is removed when the
// object goes; and since a program can end without that (kill -9, a second
// signal), it holds a lock file, locked while the program runs, which goes
// with the program however it ends: the next run removes the folders of
// programs that are gone.
class ScratchFolder {
public:
    explicit ScratchFolder(const QString& parent);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool isValid() const;
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Removes the scratch folders of this user in parent whose program is
    // gone; those of running programs and anything else stay.
    static void removeAbandoned(const QString& parent);

private:
    QTemporaryDir m_dir;
    int m_lock = -1;
};
