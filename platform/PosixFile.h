#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

#include <dirent.h>

// An open file descriptor, closed when it goes out of scope.
class FileDescriptor
{
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] bool isOpen() const { return m_fd >= 0; }
    // Gives up ownership: the caller closes what comes back.
    [[nodiscard]] int release();
    // 0, or the errno of a failed close (which can report a write that did not reach the disk).
    int close();

private:
    int m_fd = -1;
};

// A folder being listed, closed when it goes out of scope.
class DirectoryHandle
{
public:
    // Lists the folder open as folder, taking it over; on failure the descriptor is closed and the handle is empty.
    explicit DirectoryHandle(FileDescriptor folder);
    ~DirectoryHandle();
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;

    [[nodiscard]] DIR* get() const { return m_dir; }
    // The descriptor of the listed folder, for the *at() calls; -1 when empty.
    [[nodiscard]] int fd() const;

private:
    DIR* m_dir = nullptr;
};

// The one check for files this program never reads or writes: FIFOs, sockets and devices, where opening or reading
// can block for ever (and folders, which are no files to read). Decided from the file's status, through any
// symbolic links; the file is never opened by these.
//
// Whether path (the file system's bytes) names a FIFO, a socket or a device. A path that cannot be looked at
// (missing, no permission) is not special: whoever opens it reports it like any missing file.
[[nodiscard]] bool isSpecialFile(const QByteArray& path);
// Whether path names an ordinary file: false for a special file, a folder, or a path that cannot be looked at.
[[nodiscard]] bool isOrdinaryFile(const QByteArray& path);
// Whether the open file fd is an ordinary file.
[[nodiscard]] bool isOrdinaryFile(int fd);

// Not an errno value: a name that was to be written belongs to something other than an ordinary file (a FIFO,
// socket or device, or a link to one of those or to nothing).
inline constexpr int notOrdinaryFile = -1;
// Not an errno value: an existing file that the user may not write (read-only to them).
inline constexpr int notWritableFile = -2;
// Not an errno value: a file being written was swapped for another one (a link, say) by someone else meanwhile.
inline constexpr int replacedMeanwhile = -3;

// Writes all of data, carrying on after short writes and interruptions. 0, or the errno of the failure.
[[nodiscard]] int writeAll(int fd, const void* data, std::size_t size);

// Copies everything from sourceFd, from where it stands, to targetFd. 0, or the errno of the failure.
[[nodiscard]] int copyAll(int sourceFd, int targetFd);

// Whether new files can be made in folder by this user.
[[nodiscard]] bool canMakeFilesIn(const QString& folder);

// The system's text for an errno value.
[[nodiscard]] QString errnoText(int cause);

// Why a file could not be written, in plain words for a message ("the disk is full"); the system's text for the
// causes that have no plainer wording.
[[nodiscard]] QString writeFailureReason(int cause);
