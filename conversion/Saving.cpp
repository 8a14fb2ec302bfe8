#include "conversion/Saving.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kTitle = QStringLiteral("Save");

struct FdCloser
{
    int fd = -1;
    ~FdCloser() { close(); }
    int close()
    {
        const int result = fd >= 0 ? ::close(fd) : 0;
        fd = -1;
        return result;
    }
};

// A write past the file-size limit would otherwise end the program with SIGXFSZ instead of failing with EFBIG.
class IgnoreFileSizeSignal
{
public:
    IgnoreFileSizeSignal()
    {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        m_restore = ::sigaction(SIGXFSZ, &ignore, &m_previous) == 0;
    }
    ~IgnoreFileSizeSignal()
    {
        if (m_restore) {
            ::sigaction(SIGXFSZ, &m_previous, nullptr);
        }
    }
    IgnoreFileSizeSignal(const IgnoreFileSizeSignal&) = delete;
    IgnoreFileSizeSignal& operator=(const IgnoreFileSizeSignal&) = delete;

private:
    struct sigaction m_previous = {};
    bool m_restore = false;
};

QString reasonFor(int cause)
{
    switch (cause) {
    case EACCES:
    case EPERM:
        return QStringLiteral("the folder cannot be written to (permission denied)");
    case EROFS:
        return QStringLiteral("the folder is on a read-only disk");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("the disk is full");
    case EFBIG:
        return QStringLiteral("the file is larger than this system allows (file size limit)");
    case ENOENT:
        return QStringLiteral("the folder does not exist");
    case ENOTDIR:
        return QStringLiteral("a part of the path is not a folder");
    case EISDIR:
        return QStringLiteral("a folder of that name is there");
    default:
        return QString::fromLocal8Bit(std::strerror(cause));
    }
}

bool writeAll(int fd, const char* data, ssize_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Copies sourceFd into a new file at temporary; returns 0 or the errno of the failure.
int writeCopy(int sourceFd, const QByteArray& temporary, mode_t mode, bool* created)
{
    FdCloser out{::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666)};
    if (out.fd < 0) {
        return errno;
    }
    *created = true;
    if (mode != 0) {
        (void)::fchmod(out.fd, mode);
    }
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
            break;
        }
        if (!writeAll(out.fd, buffer, got)) {
            return errno;
        }
    }
    if (::fsync(out.fd) != 0 || out.close() != 0) {
        return errno;
    }
    return 0;
}

} // namespace

QString withPdfExtension(const QString& chosen)
{
    if (chosen.isEmpty()) {
        return chosen;
    }
    const QString name = chosen.mid(chosen.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && dot < name.size() - 1) {
        return chosen;
    }
    if (dot > 0) {
        return chosen + QStringLiteral("pdf"); // "report." becomes "report.pdf"
    }
    return chosen + QStringLiteral(".pdf");
}

StageResult saveDocument(const QString& source, const QString& destination)
{
    QString target = destination;
    const QFileInfo destinationInfo(destination);
    if (destinationInfo.isSymLink() && !destinationInfo.canonicalFilePath().isEmpty()) {
        // Save into the file the link points to, and keep the link.
        target = destinationInfo.canonicalFilePath();
    }
    struct stat existing = {};
    const QByteArray targetName = QFile::encodeName(target);
    const bool existed = ::stat(targetName.constData(), &existing) == 0;
    const auto failed = [&](int cause) {
        QString text = QStringLiteral("The PDF could not be saved as %1: %2.")
                           .arg(QDir::toNativeSeparators(destination), reasonFor(cause));
        if (existed) {
            text += QStringLiteral(" The file that was there is unchanged.");
        }
        return StageResult::failure(kTitle, text);
    };

    FdCloser in{::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0) {
        const int cause = errno;
        return StageResult::failure(kTitle,
                                    QStringLiteral("The finished PDF %1 could not be read, so nothing was "
                                                   "saved as %2: %3.")
                                        .arg(QDir::toNativeSeparators(source), QDir::toNativeSeparators(destination),
                                             QString::fromLocal8Bit(std::strerror(cause))));
    }

    mode_t mode = 0; // a new file gets 0666 less the umask
    if (existed) {
        if (S_ISDIR(existing.st_mode)) {
            return failed(EISDIR);
        }
        mode = existing.st_mode & 0777;
    }

    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();
    IgnoreFileSizeSignal ignoreFileSizeSignal;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            QStringLiteral("%1/.%2.%3.part")
                .arg(folder, targetInfo.fileName(), QString::number(QRandomGenerator::global()->generate(), 36));
        const QByteArray temporary = QFile::encodeName(name);
        bool created = false;
        if (::lseek(in.fd, 0, SEEK_SET) != 0) {
            return failed(errno);
        }
        int cause = writeCopy(in.fd, temporary, mode, &created);
        if (!created && cause == EEXIST) {
            continue;
        }
        if (cause == 0 && ::rename(temporary.constData(), targetName.constData()) == 0) {
            return StageResult::success();
        }
        if (cause == 0) {
            cause = errno;
        }
        if (created) {
            ::unlink(temporary.constData());
        }
        return failed(cause);
    }
    return failed(EEXIST);
}
