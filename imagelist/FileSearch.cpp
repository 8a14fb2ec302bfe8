#include "imagelist/FileSearch.h"

#include "imagelist/ImageTest.h"
#include "platform/PosixFile.h"

#include <QFile>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Folder
{
    QString path;
    QByteArray nativePath;
};

struct Entry
{
    QString name;
    QByteArray nativeName;
    bool isFolder = false;
};

QString joined(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QByteArray joined(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// Sorts a folder's entries the way the user sees them listed: by name, case aside.
bool comesBefore(const Entry& a, const Entry& b)
{
    const int folded = QString::compare(a.name, b.name, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a.name < b.name;
}

// Reads one folder whole. Entries that are neither searched nor appended (".", "..", hidden folders, links to
// folders, special files, names that are not UTF-8) are left out here. False when the folder cannot be read.
bool readFolder(const QByteArray& nativePath, bool followLink, std::set<std::pair<dev_t, ino_t>>& seen,
                std::vector<Entry>& entries)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    const DirectoryHandle dir(FileDescriptor(::open(nativePath.constData(), flags)));
    if (dir.get() == nullptr) {
        return false;
    }
    const int fd = dir.fd();
    struct stat self = {};
    if (::fstat(fd, &self) != 0 || !seen.insert({self.st_dev, self.st_ino}).second) {
        return true; // already searched in this scan: nothing new here
    }

    while (const dirent* item = ::readdir(dir.get())) {
        const QByteArray nativeName(item->d_name);
        if (nativeName == "." || nativeName == "..") {
            continue;
        }
        const QString name = QFile::decodeName(nativeName);
        if (QFile::encodeName(name) != nativeName) {
            continue;
        }
        struct stat info = {};
        if (::fstatat(fd, item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            continue; // gone since the listing
        }
        if (S_ISDIR(info.st_mode)) {
            if (!nativeName.startsWith('.')) {
                entries.push_back({name, nativeName, true});
            }
            continue;
        }
        if (S_ISLNK(info.st_mode)) {
            struct stat target = {};
            if (::fstatat(fd, item->d_name, &target, 0) == 0 && !S_ISREG(target.st_mode)) {
                continue; // a link to a folder or a special file; a dangling link still counts as a file
            }
        } else if (!S_ISREG(info.st_mode)) {
            continue;
        }
        if (passesImageTest(name)) {
            entries.push_back({name, nativeName, false});
        }
    }
    std::sort(entries.begin(), entries.end(), comesBefore);
    return true;
}

} // namespace

FileSearchResult FileSearch(const QString& folder, const AppendImagePath& append, const KeepScanning& keepScanning)
{
    FileSearchResult result;
    const auto keepGoing = [&] {
        if (keepScanning && !keepScanning()) {
            result.stopped = true;
        }
        return !result.stopped;
    };

    std::set<std::pair<dev_t, ino_t>> seen;
    // Folders still to search, the next one on top; children are pushed in reverse so the first comes out first.
    std::vector<Folder> pending{{folder, QFile::encodeName(folder)}};
    bool first = true;
    while (!pending.empty()) {
        const Folder current = std::move(pending.back());
        pending.pop_back();

        std::vector<Entry> entries;
        if (!readFolder(current.nativePath, first, seen, entries)) {
            ++result.unreadableFolders;
        }
        first = false;

        std::vector<Folder> subfolders;
        for (const Entry& entry : entries) {
            if (entry.isFolder) {
                subfolders.push_back({joined(current.path, entry.name), joined(current.nativePath, entry.nativeName)});
            } else if (append) {
                append(joined(current.path, entry.name));
                ++result.appended;
            }
            if (!keepGoing()) {
                return result;
            }
        }
        for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) {
            pending.push_back(std::move(*it));
        }
        if (entries.empty() && !keepGoing()) {
            return result;
        }
    }
    return result;
}
