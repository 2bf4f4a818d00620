#include "ScratchMount.h"

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/statvfs.h>

namespace kinora::test {

ScratchMount::ScratchMount(qint64 sizeBytes)
    : m_options(QStringLiteral("size=%1,mode=0755").arg(sizeBytes))
{
    if (!m_dir.isValid()) {
        m_error = m_dir.errorString();
        return;
    }
    m_mounted = ::mount("tmpfs", QFile::encodeName(path()).constData(), "tmpfs", 0,
                        m_options.toLatin1().constData()) == 0;
    if (!m_mounted)
        m_error = QString::fromLocal8Bit(std::strerror(errno));
}

ScratchMount::~ScratchMount()
{
    // Lazy, so that a file a failed test still holds open cannot keep the mount alive.
    if (m_mounted)
        ::umount2(QFile::encodeName(path()).constData(), MNT_DETACH);
}

bool ScratchMount::setReadOnly(bool readOnly)
{
    const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
    return ::mount("tmpfs", QFile::encodeName(path()).constData(), "tmpfs", flags,
                   m_options.toLatin1().constData()) == 0;
}

qint64 ScratchMount::bytesFree() const
{
    struct statvfs fs;
    if (::statvfs(QFile::encodeName(path()).constData(), &fs) != 0)
        return -1;
    return qint64(fs.f_bavail) * qint64(fs.f_frsize);
}

} // namespace kinora::test
