#include "conversion/Workspace.h"

#include "platform/PosixFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The names in the folder open as folderFd, without "." and "..". Taken in full before anything is removed,
// so that the listing is not disturbed by the removals.
bool listFolder(int folderFd, std::vector<std::string>* names)
{
    const DirectoryHandle dir(FileDescriptor(::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    if (dir.get() == nullptr) {
        return false;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names->emplace_back(entry->d_name);
        }
        errno = 0;
    }
    return errno == 0;
}

// Removes the entry called name in the folder open as parentFd, whatever it is. Links are removed, not followed.
bool removeEntry(int parentFd, const char* name)
{
    struct stat info = {};
    if (::fstatat(parentFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT;
    }
    if (!S_ISDIR(info.st_mode)) {
        // Unlinking needs only the folder's permission, so read-only files need no change of mode.
        return ::unlinkat(parentFd, name, 0) == 0 || errno == ENOENT;
    }

    bool emptied = false;
    FileDescriptor folder(::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.isOpen() && errno == EACCES) {
        // A folder we may not read or search: give ourselves the right, then try again.
        if (::fchmodat(parentFd, name, (info.st_mode & 07777) | S_IRWXU, 0) == 0) {
            folder = FileDescriptor(::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        }
    }
    if (folder.isOpen()) {
        struct stat opened = {};
        if (::fstat(folder.get(), &opened) == 0 && (opened.st_mode & S_IRWXU) != S_IRWXU) {
            // Removing entries needs write and search permission on the folder.
            (void)::fchmod(folder.get(), (opened.st_mode & 07777) | S_IRWXU);
        }
        std::vector<std::string> names;
        emptied = listFolder(folder.get(), &names);
        for (const std::string& entry : names) {
            emptied = removeEntry(folder.get(), entry.c_str()) && emptied;
        }
        folder.close();
    }
    if (::unlinkat(parentFd, name, AT_REMOVEDIR) == 0) {
        return true;
    }
    return errno == ENOENT && emptied;
}

} // namespace

bool DeleteFolderTree(const QString& folder)
{
    const QString cleaned = QDir::cleanPath(folder);
    const qsizetype slash = cleaned.lastIndexOf(QLatin1Char('/'));
    const QString name = cleaned.mid(slash + 1);
    if (cleaned.isEmpty() || name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) {
        return false;
    }
    QString parent = QStringLiteral(".");
    if (slash == 0) {
        parent = QStringLiteral("/");
    } else if (slash > 0) {
        parent = cleaned.left(slash);
    }

    const FileDescriptor parentFolder(
        ::open(QFile::encodeName(parent).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parentFolder.isOpen()) {
        return errno == ENOENT;
    }
    return removeEntry(parentFolder.get(), QFile::encodeName(name).constData());
}

Workspace::~Workspace()
{
    remove();
}

bool Workspace::create(QString* error, const QString& parentFolder)
{
    remove();
    const QString parent = parentFolder.isEmpty() ? QDir::tempPath() : parentFolder;
    QByteArray pattern = QFile::encodeName(parent + QStringLiteral("/pagewell-XXXXXX"));
    // mkdtemp makes the folder with mode 0700 and a name no other copy of the program can have.
    if (::mkdtemp(pattern.data()) == nullptr) {
        const int cause = errno;
        if (error) {
            *error = QCoreApplication::translate(
                         "Workspace", "The temporary folder %1 cannot be written to, so the conversion cannot start: "
                                      "%2. Check that the folder exists and that there is free space on its disk.")
                         .arg(QDir::toNativeSeparators(parent), errnoText(cause));
        }
        return false;
    }
    m_root = QFile::decodeName(pattern);
    for (const QString& sub : {tmpFolder(), jpgtmpFolder()}) {
        if (::mkdir(QFile::encodeName(sub).constData(), S_IRWXU) != 0) {
            const int cause = errno;
            if (error) {
                *error = QCoreApplication::translate("Workspace", "The working folder %1 could not be made: %2.")
                             .arg(QDir::toNativeSeparators(sub), errnoText(cause));
            }
            remove();
            return false;
        }
    }
    return true;
}

bool Workspace::remove()
{
    if (m_root.isEmpty()) {
        return true;
    }
    if (!DeleteFolderTree(m_root)) {
        return false;
    }
    m_root.clear();
    return true;
}

QString Workspace::tmpFolder() const
{
    return m_root + QStringLiteral("/tmp");
}

QString Workspace::jpgtmpFolder() const
{
    return m_root + QStringLiteral("/jpgtmp");
}

QString Workspace::infoFile() const
{
    return tmpFolder() + QStringLiteral("/info.txt");
}

QString Workspace::pageFile(int index) const
{
    return jpgtmpFolder() + QLatin1Char('/') + QString::number(index) + QStringLiteral(".pdf");
}

QString Workspace::chainFile(int number) const
{
    return tmpFolder() + QStringLiteral("/tmp") + QString::number(number) + QStringLiteral(".pdf");
}

QString Workspace::partFile(int first, int last) const
{
    return tmpFolder() + QStringLiteral("/pages%1-%2.pdf").arg(first).arg(last);
}

QString Workspace::probeFile() const
{
    return tmpFolder() + QStringLiteral("/probe.pdf");
}

QString Workspace::finishedFile() const
{
    return tmpFolder() + QStringLiteral("/tmpx.pdf");
}
