#pragma once

#include "platform/PosixFile.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// Writes a file as a whole: the new content goes to a fresh file in a hidden folder of ours (mode 0700) beside the
// destination, and is renamed over the destination, relative to both folders' descriptors, only once it is complete:
// the destination is never seen half-written (it is either the old file or the new one), and nobody else who may
// write in the destination's folder can put a file or link of theirs in the place of the one published. A link to an
// ordinary file is kept and its target replaced. Only ordinary files are ever replaced: a folder, a FIFO, socket or
// device, or a link to one of those or to nothing, is left alone and refused; so is a file the user may not write (as
// cp would refuse it). A replaced file keeps its permissions and, where the system allows, its owner; a new one gets
// 0666 less the umask.
//
// A file with more than one hard link is the one exception to the rename: renaming would leave the other names
// with the old content, so once the new content is complete beside it, it is copied into the file itself, after
// the room for it has been reserved. Only a failing disk can then leave it half-written.
//
//     AtomicReplace file(path, AtomicReplace::Durability::Synced);
//     int cause = file.open();
//     if (cause == 0) cause = writeAll(file.fd(), data, size);
//     if (cause == 0) cause = file.commit();
//
// Failures come back as errno values, notOrdinaryFile, notWritableFile or replacedMeanwhile (the private folder's
// name, or the file to be written in place, was taken over by another file meanwhile); writeFailureReason() words
// them.
class AtomicReplace
{
public:
    enum class Durability
    {
        Scratch, // a working file of one run: not forced to the disk; a new one in a folder only we may change is
                 // written in its place
        Synced,  // the user's data: on the disk before the rename, so a power cut leaves the old file or the new one
    };

    AtomicReplace(QString destination, Durability durability);
    // Removes the new file and its folder unless it was committed.
    ~AtomicReplace();
    AtomicReplace(const AtomicReplace&) = delete;
    AtomicReplace& operator=(const AtomicReplace&) = delete;

    // Checks the destination and makes the new file beside the file it will replace. 0, EISDIR for a folder,
    // notOrdinaryFile, notWritableFile, or the errno of the failure.
    [[nodiscard]] int open();
    // The new file, open for writing; -1 before open() succeeds.
    [[nodiscard]] int fd() const { return m_file.get(); }
    // Whether open() found a file to replace.
    [[nodiscard]] bool destinationExisted() const { return m_existed; }
    // Whether commit() began to write into the file itself (a file with other hard links): after a failure it may
    // then hold part of the new content.
    [[nodiscard]] bool destinationTouched() const { return m_touched; }
    // Finishes the new file and puts it in the destination's place. 0, or the cause of the failure (the destination
    // is then unchanged).
    [[nodiscard]] int commit();

private:
    [[nodiscard]] int copyIntoTarget();
    void removePrivateFolder();

    QString m_destination;
    Durability m_durability;
    QByteArray m_target;      // the file that is replaced: the destination, or the file its link points to
    QByteArray m_name;        // the target's name in its folder
    FileDescriptor m_folder;  // the target's folder
    QByteArray m_privateName; // our folder's name in it
    FileDescriptor m_private; // our folder, holding the new file while it is written; closed once removed
    FileDescriptor m_file;
    bool m_existed = false;
    bool m_linkedElsewhere = false; // the target has other hard links: its content is replaced in place
    bool m_touched = false;
    bool m_madeInPlace = false; // a new working file written under its own name, removed unless committed
    dev_t m_targetDevice = 0;
    ino_t m_targetInode = 0;
};
