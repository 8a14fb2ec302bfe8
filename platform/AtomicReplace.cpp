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

    const qsizetype slash = m_target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : m_target.left(slash + 1);
    const QByteArray name = m_target.mid(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray temporary = folder + (slash < 0 ? "/." : ".") + name + '.' +
                                     QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".part";
        FileDescriptor file(::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!file.isOpen()) {
            if (errno == EEXIST) {
                continue;
            }
            return errno;
        }
        m_temporary = temporary;
        m_file = std::move(file);
        if (m_existed) {
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
    if (m_durability == Durability::Synced && ::fsync(m_file.get()) != 0) {
        return errno;
    }
    if (const int cause = m_file.close(); cause != 0) {
        return cause;
    }
    if (::rename(m_temporary.constData(), m_target.constData()) != 0) {
        return errno;
    }
    m_temporary.clear();
    return 0;
}
