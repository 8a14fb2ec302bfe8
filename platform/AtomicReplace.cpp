#include "platform/AtomicReplace.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Where a link leads, resolved in full; empty (errno set) when it leads nowhere.
QByteArray resolvedLink(const QByteArray& link)
{
    char resolved[PATH_MAX];
    if (::realpath(link.constData(), resolved) == nullptr) {
        return {};
    }
    return QByteArray(resolved);
}

// Whether path itself (not a link to it) is the file known by device and inode.
bool namesFile(const QByteArray& path, dev_t device, ino_t inode)
{
    struct stat now = {};
    return ::fstatat(AT_FDCWD, path.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == device &&
           now.st_ino == inode;
}

} // namespace

AtomicReplace::AtomicReplace(QString destination, Durability durability)
    : m_destination(std::move(destination)), m_durability(durability)
{
}

AtomicReplace::~AtomicReplace()
{
    if (!m_temporary.isEmpty()) {
        m_file.close();
        ::unlink(m_temporary.constData());
    }
}

int AtomicReplace::open()
{
    m_target = QFile::encodeName(m_destination);
    struct stat existing = {};
    m_existed = ::lstat(m_target.constData(), &existing) == 0;
    if (!m_existed && errno != ENOENT) {
        return errno;
    }
    if (m_existed && S_ISLNK(existing.st_mode)) {
        const QByteArray target = resolvedLink(m_target);
        if (target.isEmpty()) {
            return errno == ENOENT || errno == ELOOP ? notOrdinaryFile : errno;
        }
        m_target = target;
        if (::lstat(m_target.constData(), &existing) != 0) {
            return errno;
        }
    }
    if (m_existed && S_ISDIR(existing.st_mode)) {
        return EISDIR;
    }
    if (m_existed && !S_ISREG(existing.st_mode)) {
        return notOrdinaryFile;
    }
    if (m_existed && ::faccessat(AT_FDCWD, m_target.constData(), W_OK, AT_EACCESS) != 0) {
        return errno == EACCES || errno == EPERM ? notWritableFile : errno;
    }
    m_linkedElsewhere = m_existed && existing.st_nlink > 1;
    m_targetDevice = existing.st_dev;
    m_targetInode = existing.st_ino;

    // The new file's name is short and fixed in length, so that any name the file system takes can be replaced.
    const qsizetype slash = m_target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray("./") : m_target.left(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray temporary =
            folder + ".pagewell-" + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".part";
        FileDescriptor file(::open(temporary.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!file.isOpen()) {
            if (errno == EEXIST) {
                continue;
            }
            return errno;
        }
        m_temporary = temporary;
        m_file = std::move(file);
        if (m_existed) {
            // Only the superuser may give a file away; anyone else keeps being its owner, as with any new file.
            (void)::fchown(m_file.get(), existing.st_uid, existing.st_gid);
            (void)::fchmod(m_file.get(), existing.st_mode & 0777);
        }
        return 0;
    }
    return EEXIST;
}

int AtomicReplace::commit()
{
    if (!m_file.isOpen()) {
        return EBADF;
    }
    if (m_linkedElsewhere) {
        return copyIntoTarget();
    }
    if (m_durability == Durability::Synced && ::fsync(m_file.get()) != 0) {
        return errno;
    }
    struct stat written = {};
    if (::fstat(m_file.get(), &written) != 0) {
        return errno;
    }
    if (const int cause = m_file.close(); cause != 0) {
        return cause;
    }
    // Whoever may write in the folder may swap the new file's name for a link or a file of their own meanwhile; the
    // rename publishes only the file written here.
    if (!namesFile(m_temporary, written.st_dev, written.st_ino)) {
        return replacedMeanwhile;
    }
    if (::rename(m_temporary.constData(), m_target.constData()) != 0) {
        return errno;
    }
    m_temporary.clear();
    return 0;
}

int AtomicReplace::copyIntoTarget()
{
    FileDescriptor target(::open(m_target.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!target.isOpen()) {
        return errno;
    }
    struct stat now = {};
    if (::fstat(target.get(), &now) != 0) {
        return errno;
    }
    if (!S_ISREG(now.st_mode) || now.st_dev != m_targetDevice || now.st_ino != m_targetInode) {
        return replacedMeanwhile;
    }
    const off_t size = ::lseek(m_file.get(), 0, SEEK_END);
    if (size < 0) {
        return errno;
    }
    // The room is reserved before the old content is touched, so a full disk leaves the file as it was.
    if (size > 0 && ::fallocate(target.get(), FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS) {
        return errno;
    }
    if (::lseek(m_file.get(), 0, SEEK_SET) != 0) {
        return errno;
    }
    m_touched = true;
    if (const int cause = copyAll(m_file.get(), target.get()); cause != 0) {
        return cause;
    }
    if (::ftruncate(target.get(), size) != 0) {
        return errno;
    }
    if (m_durability == Durability::Synced && ::fsync(target.get()) != 0) {
        return errno;
    }
    if (const int cause = target.close(); cause != 0) {
        return cause;
    }
    m_file.close();
    ::unlink(m_temporary.constData());
    m_temporary.clear();
    return 0;
}
