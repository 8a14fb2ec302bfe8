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

// Whether name in folder (itself, not a link) is the file known by device and inode.
bool namesFile(int folder, const QByteArray& name, dev_t device, ino_t inode)
{
    struct stat now = {};
    return ::fstatat(folder, name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == device &&
           now.st_ino == inode;
}

const char* const kNewFileName = "new";

// Whether only we may add, remove or rename names in the folder.
bool isPrivateFolder(int folder)
{
    struct stat info = {};
    return ::fstat(folder, &info) == 0 && info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

} // namespace

AtomicReplace::AtomicReplace(QString destination, Durability durability)
    : m_destination(std::move(destination)), m_durability(durability)
{
}

AtomicReplace::~AtomicReplace()
{
    m_file.close();
    if (m_madeInPlace) {
        (void)::unlinkat(m_folder.get(), m_name.constData(), 0);
    }
    removePrivateFolder();
}

void AtomicReplace::removePrivateFolder()
{
    if (!m_private.isOpen()) {
        return;
    }
    (void)::unlinkat(m_private.get(), kNewFileName, 0);
    // By name, so only while the name is still that of our folder: someone may have moved it and put another there.
    struct stat ours = {};
    if (::fstat(m_private.get(), &ours) == 0 && namesFile(m_folder.get(), m_privateName, ours.st_dev, ours.st_ino)) {
        (void)::unlinkat(m_folder.get(), m_privateName.constData(), AT_REMOVEDIR);
    }
    m_private.close();
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

    const qsizetype slash = m_target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : m_target.left(slash);
    m_name = m_target.mid(slash + 1);
    m_folder = FileDescriptor(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_folder.isOpen()) {
        return errno;
    }
    if (!m_existed && m_durability == Durability::Scratch && isPrivateFolder(m_folder.get())) {
        // Nobody else may enter the folder, so nobody sees the new file before it is complete: it is written where
        // it belongs, and removed again unless committed. This spares a run two folder changes per working file.
        m_file = FileDescriptor(
            ::openat(m_folder.get(), m_name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!m_file.isOpen()) {
            return errno;
        }
        m_madeInPlace = true;
        return 0;
    }
    // The new file is written in a folder of our own that nobody else may enter, made inside the destination's
    // folder (so the rename stays on one file system), and renamed from there relative to the two folders' open
    // descriptors: whoever may write in the destination's folder can move names about in it, but cannot reach or
    // swap the file we publish. The folder's name is short and fixed in length, so that it always fits.
    for (int attempt = 0; attempt < 100 && !m_private.isOpen(); ++attempt) {
        const QByteArray name = ".pagewell-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        if (::mkdirat(m_folder.get(), name.constData(), 0700) != 0) {
            if (errno == EEXIST) {
                continue;
            }
            return errno;
        }
        m_privateName = name;
        m_private =
            FileDescriptor(::openat(m_folder.get(), name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat made = {};
        if (!m_private.isOpen() || ::fstat(m_private.get(), &made) != 0 || made.st_uid != ::geteuid() ||
            (made.st_mode & 0077) != 0) {
            // Another folder took the name between the making and the opening: not ours to use or to remove.
            m_private.close();
            return replacedMeanwhile;
        }
    }
    if (!m_private.isOpen()) {
        return EEXIST;
    }
    m_file = FileDescriptor(
        ::openat(m_private.get(), kNewFileName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!m_file.isOpen()) {
        const int cause = errno;
        removePrivateFolder();
        return cause;
    }
    if (m_existed) {
        // Only the superuser may give a file away; anyone else keeps being its owner, as with any new file.
        (void)::fchown(m_file.get(), existing.st_uid, existing.st_gid);
        (void)::fchmod(m_file.get(), existing.st_mode & 0777);
    }
    return 0;
}

int AtomicReplace::commit()
{
    if (!m_file.isOpen()) {
        return EBADF;
    }
    if (m_linkedElsewhere) {
        return copyIntoTarget();
    }
    if (m_madeInPlace) {
        const int cause = m_file.close();
        m_madeInPlace = cause != 0;
        return cause;
    }
    if (m_durability == Durability::Synced && ::fsync(m_file.get()) != 0) {
        return errno;
    }
    if (const int cause = m_file.close(); cause != 0) {
        return cause;
    }
    if (::renameat(m_private.get(), kNewFileName, m_folder.get(), m_name.constData()) != 0) {
        return errno;
    }
    removePrivateFolder();
    return 0;
}

int AtomicReplace::copyIntoTarget()
{
    FileDescriptor target(::openat(m_folder.get(), m_name.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
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
    removePrivateFolder();
    return 0;
}
