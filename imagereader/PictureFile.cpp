#include "imagereader/PictureFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

int newPictureFile(const char* name)
{
    const int fd = ::memfd_create(name, MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd >= 0 && ::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK) != 0) {
        const int cause = errno;
        ::close(fd);
        errno = cause;
        return -1;
    }
    return fd;
}

bool fixPictureFileSize(int fd)
{
    constexpr int kFixed = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL;
    if (::fcntl(fd, F_ADD_SEALS, F_SEAL_GROW | F_SEAL_SEAL) == 0) {
        return true;
    }
    // A file fixed before (one used again) keeps its seals: nothing to add.
    const int cause = errno;
    const int seals = ::fcntl(fd, F_GET_SEALS);
    if (seals >= 0 && (seals & kFixed) == kFixed) {
        return true;
    }
    errno = cause;
    return false;
}

PictureFile::~PictureFile()
{
    ::close(m_fd);
}

QString PictureFile::path() const
{
    return QStringLiteral("/proc/self/fd/%1").arg(m_fd);
}
