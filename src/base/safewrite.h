#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class QFileDevice;
class QIODevice;
class QSaveFile;
class QTemporaryFile;

// Every file the program writes goes through here: the data goes to a
// temporary file beside the destination, is flushed and checked, and only
// then takes the destination's place. A failed write leaves the old file as
// it was. Failures are RuntimeError numbers: 61 a full disk or quota, 70 no
// permission or a read-only disk, 76 a missing folder, 75 a folder or other
// non-file in the way (a FIFO, a device, a symlink loop: only a regular file
// or a free name is written), 52 a name that cannot be written as given
// (FileNameProblem), 57 any other device failure.
class SafeFile {
public:
    // Durable files (cards, images, PDFs) reach the disk before they take
    // the destination's place; a scratch file (the working bitmap, rewritten
    // on every picture load and never read back) takes it as soon as it is
    // complete, without waiting for the disk.
    enum class Kind { Durable, Scratch };

    explicit SafeFile(const QString& path, Kind kind = Kind::Durable);
    ~SafeFile(); // an uncommitted file is discarded

    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // 0, or the error number.
    int open();
    // The open temporary file to write into.
    QIODevice& device();
    // Moves where the next write into device() goes: a file may be written
    // in any order. False when the file cannot seek.
    bool seek(qint64 position);
    // Flushes, checks and puts the file in place; 0, or the error number
    // (the destination is then untouched).
    int commit();
    // Drops what was written; the destination is untouched.
    void cancel();
    // A write into device() failed: drops the file and gives the error
    // number of what errno and the device tell.
    int fail();

    const QString& path() const { return m_path; }

private:
    class CheckedDevice;
    int errorNumber(int savedErrno) const;

    QFileDevice* file() const;

    QString m_path;
    Kind m_kind;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QTemporaryFile> m_scratch;
    std::unique_ptr<CheckedDevice> m_device;
};

// Writes bytes as the whole file at path; 0, or the error number.
int WriteFileSafely(const QString& path, const QByteArray& bytes);
// Lets write fill the file (false: it failed); 0, or the error number.
int WriteFileSafely(const QString& path, const std::function<bool(QIODevice&)>& write,
                    SafeFile::Kind kind = SafeFile::Kind::Durable);

// The failure of a write to path: the error number with its description, or
// for a name that cannot be written (52) what is wrong with the name.
class RuntimeError;
RuntimeError WriteError(int number, const QString& path);

// "書き込みエラーです。 # n" and the error's description (WriteError): the
// message of a failed write.
QString WriteErrorMessage(int number, const QString& path = QString());
