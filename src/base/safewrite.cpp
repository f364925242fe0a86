#include "safewrite.h"

#include "filenames.h"
#include "runtimeerror.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

// What the writers write into: every write goes on to the temporary file,
// and one that is cut short is remembered. A file device takes a short write
// (the disk filled up half-way through a block) as a success, and a writer
// that does not look at the count (the PDF engine) would go on; the commit
// then refuses the file.
class SafeFile::CheckedDevice : public QIODevice {
public:
    explicit CheckedDevice(QFileDevice& file) : m_file(file) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    bool failed() const { return m_failed; }
    int savedErrno() const { return m_errno; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (m_failed)
            return -1;
        errno = 0;
        const qint64 written = m_file.write(data, size);
        if (written == size)
            return written;
        m_failed = true;
        m_errno = errno != 0 ? errno : ENOSPC;
        return -1;
    }

private:
    QFileDevice& m_file;
    bool m_failed = false;
    int m_errno = 0;
};

SafeFile::SafeFile(const QString& path, Kind kind) : m_path(path), m_kind(kind) {}

SafeFile::~SafeFile() {
    cancel();
}

QFileDevice* SafeFile::file() const {
    if (m_file)
        return m_file.get();
    return m_scratch.get();
}

int SafeFile::errorNumber(int savedErrno) const {
    switch (savedErrno) {
    case ENOSPC:
    case EDQUOT:
        return RuntimeError::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
        return RuntimeError::PermissionDenied;
    case ENOENT:
    case ENOTDIR:
        return RuntimeError::PathNotFound;
    case EISDIR:
        return RuntimeError::PathFileAccess;
    case ENAMETOOLONG:
        return RuntimeError::BadFileName;
    default:
        break;
    }
    if (!file())
        return RuntimeError::PathFileAccess;
    switch (file()->error()) {
    case QFileDevice::PermissionsError:
        return RuntimeError::PermissionDenied;
    case QFileDevice::OpenError:
        return RuntimeError::PathFileAccess;
    default:
        return RuntimeError::DeviceIo;
    }
}

int SafeFile::open() {
    // Exactly the name given, or none: Qt's files would write a name with
    // bytes that are not UTF-8 under another one.
    if (m_path.isEmpty() || !FileNameProblem(m_path).isEmpty())
        return RuntimeError::BadFileName;
    // Only a regular file is replaced: a FIFO, a device or a socket would
    // silently become a plain file, and a symlink loop names no file at all.
    struct stat st {};
    if (::stat(QFile::encodeName(m_path).constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return RuntimeError::PathFileAccess;
    } else if (errno == ELOOP) {
        return RuntimeError::PathFileAccess;
    }
    errno = 0;
    bool opened = false;
    if (m_kind == Kind::Durable) {
        m_file = std::make_unique<QSaveFile>(m_path);
        opened = m_file->open(QIODevice::WriteOnly);
    } else {
        m_scratch = std::make_unique<QTemporaryFile>(m_path + QStringLiteral(".XXXXXX"));
        opened = m_scratch->open();
    }
    if (!opened) {
        const int n = errorNumber(errno);
        m_file.reset();
        m_scratch.reset();
        return n;
    }
    m_device = std::make_unique<CheckedDevice>(*file());
    return 0;
}

QIODevice& SafeFile::device() {
    return *m_device;
}

bool SafeFile::seek(qint64 position) {
    // The device writes straight through to the file, at the file's own
    // position.
    return file() && file()->seek(position);
}

int SafeFile::commit() {
    if (!file())
        return RuntimeError::DeviceIo;
    // QSaveFile's commit does not notice a failed flush (a full disk): it
    // would put an empty or cut-off file in place of the old one. Flush
    // first, and give up on the first error the writing left behind.
    if (m_device->failed()) {
        const int n = errorNumber(m_device->savedErrno());
        cancel();
        return n;
    }
    errno = 0;
    if (file()->error() != QFileDevice::NoError || !file()->flush()) {
        const int n = errorNumber(errno);
        cancel();
        return n;
    }
    errno = 0;
    bool ok = false;
    if (m_file) {
        ok = m_file->commit();
    } else {
        // Closed, then renamed into place; no wait for the disk. Readable by
        // all, as a file the program writes otherwise is.
        m_scratch->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ReadGroup | QFileDevice::ReadOther);
        m_scratch->close();
        const QByteArray from = QFile::encodeName(m_scratch->fileName());
        const QByteArray to = QFile::encodeName(m_path);
        ok = m_scratch->error() == QFileDevice::NoError;
        // An existing file is swapped with the new one, and the old one,
        // now under the temporary name, goes with the temporary file. A
        // plain rename over it would make ext4 write the new file's data
        // out with the next commit of its journal, so that the next durable
        // file saved (a card) would wait for tens of megabytes to reach the
        // disk. Without a file to swap with (or on a file system that
        // cannot swap) the new one is renamed into place.
        if (ok && ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(),
                              RENAME_EXCHANGE) != 0) {
            ok = std::rename(from.constData(), to.constData()) == 0;
            if (ok)
                m_scratch->setAutoRemove(false);
        }
    }
    const int n = ok ? 0 : errorNumber(errno);
    m_device.reset();
    m_file.reset();
    m_scratch.reset(); // a scratch file not renamed is removed
    return n;
}

void SafeFile::cancel() {
    if (m_file)
        m_file->cancelWriting();
    m_device.reset();
    m_file.reset();
    m_scratch.reset();
}

int SafeFile::fail() {
    const int n = errorNumber(m_device && m_device->failed() ? m_device->savedErrno() : errno);
    cancel();
    return n;
}

int WriteFileSafely(const QString& path, const std::function<bool(QIODevice&)>& write,
                    SafeFile::Kind kind) {
    SafeFile file(path, kind);
    if (const int n = file.open())
        return n;
    errno = 0;
    if (!write(file.device()))
        return file.fail();
    return file.commit();
}

int WriteFileSafely(const QString& path, const QByteArray& bytes) {
    return WriteFileSafely(path, [&](QIODevice& d) { return d.write(bytes) == bytes.size(); });
}

RuntimeError WriteError(int number, const QString& path) {
    const QString problem = number == RuntimeError::BadFileName ? FileNameProblem(path) : QString();
    return problem.isEmpty() ? RuntimeError(number) : RuntimeError(number, problem);
}

QString WriteErrorMessage(int number, const QString& path) {
    return QStringLiteral("書き込みエラーです。 # ") + QString::number(number) + QLatin1Char('\r') +
           WriteError(number, path).description();
}
