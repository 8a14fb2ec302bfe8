#pragma once

#include <QString>

// The files in memory the image-reading helper writes pictures into. The helper gets its own descriptor of each and
// may keep it, so what it can do to a file is fixed by seals, which hold for every descriptor: a picture file never
// shrinks (a mapping of it cannot fault), and once the helper has answered, it never grows either. A larger picture
// then needs a new file: the helper answers WriteFailed with EPERM when the one it was given is too small.

// A new picture file, sealed against shrinking; -1 with errno.
[[nodiscard]] int newPictureFile(const char* name);

// Fixes the file at the size it has now, for good. False (errno set) when it cannot be sealed: the helper, which may
// not add seals, has then done what it must not, or the file is none of ours.
[[nodiscard]] bool fixPictureFileSize(int fd);

// A page's picture as the image-reading helper wrote it: a file in memory, checked against the reply, which the page
// library checks again as it reads it. Closed with the last copy.
class PictureFile
{
public:
    explicit PictureFile(int fd) : m_fd(fd) {}
    ~PictureFile();
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    [[nodiscard]] int fd() const { return m_fd; }
    // A name under which this process can open it, for the page-PDF library.
    [[nodiscard]] QString path() const;

private:
    int m_fd;
};
