#include "scratchfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QString lockPath(const QString& folder) {
    return folder + QStringLiteral("/lock");
}

} // namespace

ScratchFolder::ScratchFolder(const QString& parent)
    : m_dir(parent + QStringLiteral("/qvrs-XXXXXX")) {
    if (!m_dir.isValid())
        return;
    // Locked before it takes its name, so that no other run finds the
    // folder with its lock free.
    const QByteArray fresh = QFile::encodeName(m_dir.filePath(QStringLiteral("lock.new")));
    m_lock = ::open(fresh.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (m_lock < 0 || ::flock(m_lock, LOCK_EX | LOCK_NB) != 0 ||
        std::rename(fresh.constData(), QFile::encodeName(lockPath(m_dir.path())).constData()) != 0)
        m_dir.remove();
}

ScratchFolder::~ScratchFolder() {
    m_dir.remove();
    if (m_lock >= 0)
        ::close(m_lock);
}

bool ScratchFolder::isValid() const {
    return m_dir.isValid() && QFileInfo(m_dir.path()).isDir();
}

void ScratchFolder::removeAbandoned(const QString& parent) {
    const QFileInfoList folders = QDir(parent).entryInfoList(
        {QStringLiteral("qvrs-??????")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& folder : folders) {
        if (folder.isSymLink() || folder.ownerId() != ::getuid())
            continue;
        const int fd = ::open(QFile::encodeName(lockPath(folder.filePath())).constData(),
                              O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue; // no folder of ours, or one still being made
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            QDir(folder.filePath()).removeRecursively();
        ::close(fd);
    }
}
