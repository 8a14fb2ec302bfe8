#include "support/FileSnapshot.h"

#include <QDir>
#include <QFile>

#include <filesystem>
#include <system_error>

#include <sys/stat.h>

namespace {

QString describe(const QString& path)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        return QStringLiteral("unreadable");
    }
    if (S_ISDIR(info.st_mode)) {
        return QStringLiteral("folder");
    }
    if (S_ISLNK(info.st_mode)) {
        return QStringLiteral("link");
    }
    return QStringLiteral("file size %1 mode %2 modified %3.%4")
        .arg(info.st_size)
        .arg(info.st_mode & 07777, 0, 8)
        .arg(info.st_mtim.tv_sec)
        .arg(info.st_mtim.tv_nsec);
}

} // namespace

FileSnapshot FileSnapshot::take(const QStringList& roots)
{
    namespace fs = std::filesystem;
    FileSnapshot snapshot;
    for (const QString& root : roots) {
        std::error_code error;
        fs::recursive_directory_iterator it(fs::path(QFile::encodeName(root).toStdString()),
                                            fs::directory_options::skip_permission_denied, error);
        for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
            const QString path = QFile::decodeName(QByteArray::fromStdString(it->path().string()));
            snapshot.m_entries.insert(path, describe(path));
        }
    }
    return snapshot;
}

QStringList FileSnapshot::changesSince(const FileSnapshot& before, const QStringList& allowed) const
{
    QStringList changes;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (allowed.contains(it.key())) {
            continue;
        }
        const auto was = before.m_entries.constFind(it.key());
        if (was == before.m_entries.cend()) {
            changes << QStringLiteral("left behind: %1 (%2)").arg(it.key(), it.value());
        } else if (was.value() != it.value()) {
            changes << QStringLiteral("changed: %1 (%2, was %3)").arg(it.key(), it.value(), was.value());
        }
    }
    for (auto it = before.m_entries.cbegin(); it != before.m_entries.cend(); ++it) {
        if (!allowed.contains(it.key()) && !m_entries.contains(it.key())) {
            changes << QStringLiteral("removed: %1").arg(it.key());
        }
    }
    return changes;
}
