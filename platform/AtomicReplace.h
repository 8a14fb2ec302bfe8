#pragma once

#include "platform/PosixFile.h"

#include <QByteArray>
#include <QString>

// Writes a file as a whole: the new content goes to a fresh hidden file beside the destination, which is renamed
// over the destination only once it is complete, so the destination is never seen half-written: it is either the
// old file or the new one. A link to an ordinary file is kept and its target replaced. Only ordinary files are
// ever replaced: a folder, a FIFO, socket or device, or a link to one of those or to nothing, is left alone and
// refused. A replaced file keeps its permissions; a new one gets 0666 less the umask.
//
//     AtomicReplace file(path, AtomicReplace::Durability::Synced);
//     int cause = file.open();
//     if (cause == 0) cause = writeAll(file.fd(), data, size);
//     if (cause == 0) cause = file.commit();
//
// Failures come back as errno values or notOrdinaryFile; writeFailureReason() words them.
class AtomicReplace
{
public:
    enum class Durability
    {
        Scratch, // a working file of one run: not forced to the disk
        Synced,  // the user's data: on the disk before the rename, so a power cut leaves the old file or the new one
    };

    AtomicReplace(QString destination, Durability durability);
    // Removes the new file unless it was committed.
    ~AtomicReplace();
    AtomicReplace(const AtomicReplace&) = delete;
    AtomicReplace& operator=(const AtomicReplace&) = delete;

    // Checks the destination and makes the new file beside the file it will replace. 0, EISDIR for a folder,
    // notOrdinaryFile, or the errno of the failure.
    [[nodiscard]] int open();
    // The new file, open for writing; -1 before open() succeeds.
    [[nodiscard]] int fd() const { return m_file.get(); }
    // Whether open() found a file to replace.
    [[nodiscard]] bool destinationExisted() const { return m_existed; }
    // Finishes the new file and renames it over the destination. 0, or the errno of the failure (the destination is
    // then unchanged).
    [[nodiscard]] int commit();

private:
    QString m_destination;
    Durability m_durability;
    QByteArray m_target;    // the file that is replaced: the destination, or the file its link points to
    QByteArray m_temporary; // the new file while it is written; empty once renamed or removed
    FileDescriptor m_file;
    bool m_existed = false;
};
