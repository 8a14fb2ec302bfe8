#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// Everything under some folders as it stands: each file's size, modification time and mode, each folder's and
// link's existence. Comparing two snapshots shows what a run left behind or changed there.
class FileSnapshot
{
public:
    [[nodiscard]] static FileSnapshot take(const QStringList& roots);

    // What is new, gone or changed compared with `before`, one line each ("left behind: /x"), leaving out the
    // paths in `allowed`. Folders count only when they appear or go, not when their contents change.
    [[nodiscard]] QStringList changesSince(const FileSnapshot& before, const QStringList& allowed = {}) const;

private:
    QMap<QString, QString> m_entries; // path -> description
};
