#include "platform/PosixFile.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.release();
    }
    return *this;
}

int FileDescriptor::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

int FileDescriptor::close()
{
    if (m_fd < 0) {
        return 0;
    }
    // Linux releases the descriptor even when close fails, so it is never retried.
    const int result = ::close(release());
    return result == 0 ? 0 : errno;
}

DirectoryHandle::DirectoryHandle(FileDescriptor folder)
{
    m_dir = ::fdopendir(folder.get());
    if (m_dir != nullptr) {
        (void)folder.release(); // now closedir's to close
    }
}

DirectoryHandle::~DirectoryHandle()
{
    if (m_dir != nullptr) {
        ::closedir(m_dir);
    }
}

int DirectoryHandle::fd() const
{
    return m_dir != nullptr ? ::dirfd(m_dir) : -1;
}

int writeAll(int fd, const void* data, std::size_t size)
{
    const auto* next = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, next, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        next += written;
        size -= std::size_t(written);
    }
    return 0;
}

int copyAll(int sourceFd, int targetFd)
{
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(sourceFd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (got == 0) {
            return 0;
        }
        if (const int cause = writeAll(targetFd, buffer, std::size_t(got)); cause != 0) {
            return cause;
        }
    }
}

bool canMakeFilesIn(const QString& folder)
{
    return !folder.isEmpty() && ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

bool isSpecialFile(const QByteArray& path)
{
    struct stat info = {};
    if (::stat(path.constData(), &info) != 0) {
        return false;
    }
    return S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode) || S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode);
}

bool isOrdinaryFile(const QByteArray& path)
{
    struct stat info = {};
    return ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isOrdinaryFile(int fd)
{
    struct stat info = {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

QString errnoText(int cause)
{
    return QString::fromLocal8Bit(std::strerror(cause));
}

QString writeFailureReason(int cause)
{
    switch (cause) {
    case EACCES:
    case EPERM:
        return QCoreApplication::translate("PosixFile", "the folder cannot be written to (permission denied)");
    case EROFS:
        return QCoreApplication::translate("PosixFile", "the folder is on a read-only disk");
    case ENOSPC:
    case EDQUOT:
        return QCoreApplication::translate("PosixFile", "the disk is full");
    case EFBIG:
        return QCoreApplication::translate("PosixFile", "the file is larger than this system allows (file size limit)");
    case ENOENT:
        return QCoreApplication::translate("PosixFile", "the folder does not exist");
    case ENOTDIR:
        return QCoreApplication::translate("PosixFile", "a part of the path is not a folder");
    case EISDIR:
        return QCoreApplication::translate("PosixFile", "a folder of that name is there");
    case ENAMETOOLONG:
        return QCoreApplication::translate("PosixFile", "the name is longer than the file system allows");
    case notWritableFile:
        return QCoreApplication::translate("PosixFile", "the file there is read-only (permission denied)");
    case notOrdinaryFile:
        return QCoreApplication::translate("PosixFile", "that name belongs to something other than an ordinary file");
    case replacedMeanwhile:
        return QCoreApplication::translate("PosixFile", "another program replaced the file while it was written");
    default:
        return errnoText(cause);
    }
}
