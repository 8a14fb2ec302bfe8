#pragma once

#include <QString>

// Removes a folder with everything in it: read-only and hidden files, folders without write or search
// permission. Symbolic links are removed themselves, never followed. Entries that cannot go are passed
// over (each folder is listed once, so nothing is met twice). A path that does not exist counts as removed.
// Returns whether everything went.
[[nodiscard]] bool DeleteFolderTree(const QString& folder);

// The private folder of one conversion run, with tmp/ and jpgtmp/ in it. Only this run uses it, and it
// goes with everything in it when remove() is called or the object is destroyed.
class Workspace
{
public:
    Workspace() = default;
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Makes a fresh folder (mode 0700) under the system's temporary folder, or under parentFolder when given.
    // A workspace made earlier by this object is removed first.
    [[nodiscard]] bool create(QString* error, const QString& parentFolder = {});

    // Removes the folder and everything in it; does nothing when there is none. Returns whether it is gone;
    // on failure a later call tries again.
    bool remove();

    [[nodiscard]] bool isValid() const { return !m_root.isEmpty(); }
    [[nodiscard]] QString path() const { return m_root; }
    [[nodiscard]] QString tmpFolder() const;
    [[nodiscard]] QString jpgtmpFolder() const;

    // tmp/info.txt: the document information for pdftk.
    [[nodiscard]] QString infoFile() const;
    // jpgtmp/<index>.pdf: the one-page document of list entry index (0-based).
    [[nodiscard]] QString pageFile(int index) const;
    // tmp/tmp<number>.pdf: tmp<k>.pdf holds pages 0 to k-1; tmp<count>.pdf is the joined document.
    [[nodiscard]] QString chainFile(int number) const;
    // tmp/pages<first>-<last>.pdf: the pages of list entries first to last (0-based), joined on the way to the
    // whole document.
    [[nodiscard]] QString partFile(int first, int last) const;
    // tmp/probe.pdf: a trial join that looks for the page pdftk refuses.
    [[nodiscard]] QString probeFile() const;
    // tmp/tmpx.pdf: the finished document with its document information.
    [[nodiscard]] QString finishedFile() const;

private:
    QString m_root;
};
