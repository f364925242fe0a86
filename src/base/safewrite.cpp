#include "safewrite.h"

#include "runtimeerror.h"

#include <QSaveFile>

#include <cerrno>

SafeFile::SafeFile(const QString& path) : m_path(path) {}

SafeFile::~SafeFile() {
    if (m_file)
        m_file->cancelWriting();
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
    default:
        break;
    }
    if (!m_file)
        return RuntimeError::PathFileAccess;
    switch (m_file->error()) {
    case QFileDevice::PermissionsError:
        return RuntimeError::PermissionDenied;
    case QFileDevice::OpenError:
        return RuntimeError::PathFileAccess;
    default:
        return RuntimeError::DeviceIo;
    }
}

int SafeFile::open() {
    if (m_path.isEmpty())
        return RuntimeError::BadFileName;
    m_file = std::make_unique<QSaveFile>(m_path);
    errno = 0;
    if (!m_file->open(QIODevice::WriteOnly)) {
        const int n = errorNumber(errno);
        m_file.reset();
        return n;
    }
    return 0;
}

QIODevice& SafeFile::device() {
    return *m_file;
}

int SafeFile::commit() {
    if (!m_file)
        return RuntimeError::DeviceIo;
    // QSaveFile's commit does not notice a failed flush (a full disk): it
    // would put an empty or cut-off file in place of the old one. Flush
    // first, and give up on the first error the writing left behind.
    errno = 0;
    if (m_file->error() != QFileDevice::NoError || !m_file->flush()) {
        const int n = errorNumber(errno);
        cancel();
        return n;
    }
    errno = 0;
    const bool ok = m_file->commit();
    const int n = ok ? 0 : errorNumber(errno);
    m_file.reset();
    return n;
}

void SafeFile::cancel() {
    if (m_file)
        m_file->cancelWriting();
    m_file.reset();
}

int SafeFile::fail() {
    const int n = errorNumber(errno);
    cancel();
    return n;
}

int WriteFileSafely(const QString& path, const std::function<bool(QIODevice&)>& write) {
    SafeFile file(path);
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

QString WriteErrorMessage(int number) {
    return QStringLiteral("書き込みエラーです。 # ") + QString::number(number) + QLatin1Char('\r') +
           RuntimeError::describe(number);
}
