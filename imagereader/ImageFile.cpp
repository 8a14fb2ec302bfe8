#include "imagereader/ImageFile.h"

#include "imagereader/format/FormatTable.h"
#include "platform/PosixFile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString kindOfSpecialFile(mode_t mode)
{
    if (S_ISFIFO(mode)) {
        return QCoreApplication::translate("ImageReader", "a FIFO (named pipe)");
    }
    if (S_ISSOCK(mode)) {
        return QCoreApplication::translate("ImageReader", "a socket");
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return QCoreApplication::translate("ImageReader", "a device");
    }
    return QCoreApplication::translate("ImageReader", "not a regular file");
}

} // namespace

int openImageFile(const QString& imagePath, const QByteArray& name, QString* error)
{
    const auto fail = [&](const QString& text) {
        if (error != nullptr) {
            *error = text;
        }
        return -1;
    };
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0) {
        const int cause = errno;
        if (cause == ENOENT || cause == ENOTDIR) {
            return fail(QCoreApplication::translate(
                            "ImageReader", "\"%1\" cannot be opened: it is not there any more (moved, renamed or "
                                           "deleted after it was added to the list).")
                            .arg(imagePath));
        }
        return fail(QCoreApplication::translate("ImageReader", "\"%1\" cannot be opened: %2.")
                        .arg(imagePath, errnoText(cause)));
    }
    if (S_ISDIR(info.st_mode)) {
        return fail(QCoreApplication::translate("ImageReader", "\"%1\" is a folder, not an image.").arg(imagePath));
    }
    // Opening a FIFO waits for a writer, and opening a device can do anything: such files are not opened at all.
    const auto special = [&](mode_t mode) {
        return fail(QCoreApplication::translate("ImageReader", "\"%1\" is not an image file: it is %2.")
                        .arg(imagePath, kindOfSpecialFile(mode)));
    };
    if (!S_ISREG(info.st_mode)) {
        return special(info.st_mode);
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return fail(QCoreApplication::translate("ImageReader", "\"%1\" cannot be opened: %2.")
                        .arg(imagePath, errnoText(errno)));
    }
    // It may have been replaced between the look and the open.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return special(info.st_mode);
    }
    if (info.st_size == 0) {
        ::close(fd);
        return fail(QCoreApplication::translate("ImageReader", "\"%1\" is empty.").arg(imagePath));
    }
    return fd;
}

int formatForExtension(const QString& imagePath)
{
    return formatForFileName(QFile::encodeName(QFileInfo(imagePath).fileName()).toStdString());
}
