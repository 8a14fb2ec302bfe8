#include "app/StateFile.h"

#include <QFile>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A geometry and a flag, or a few choices, take a few dozen bytes.
constexpr off_t kStateFileMaxBytes = 4096;

enum class StateFile
{
    Missing,
    Usable,
    Oversized,
    NotOrdinary
};

// Follows symbolic links, as QSettings does; a FIFO or a device under that name is never opened.
StateFile stateFileKind(const QByteArray& path)
{
    struct stat info = {};
    if (::stat(path.constData(), &info) != 0) {
        return errno == ENOENT ? StateFile::Missing : StateFile::NotOrdinary;
    }
    if (!S_ISREG(info.st_mode)) {
        return StateFile::NotOrdinary;
    }
    return info.st_size > kStateFileMaxBytes ? StateFile::Oversized : StateFile::Usable;
}

} // namespace

bool stateFileReadable(const QString& stateFile)
{
    return !stateFile.isEmpty() && stateFileKind(QFile::encodeName(stateFile)) == StateFile::Usable;
}

bool stateFileWritable(const QString& stateFile)
{
    if (stateFile.isEmpty()) {
        return false;
    }
    const QByteArray path = QFile::encodeName(stateFile);
    switch (stateFileKind(path)) {
    case StateFile::NotOrdinary:
        return false;
    case StateFile::Oversized: {
        struct stat name = {};
        return ::lstat(path.constData(), &name) == 0 && S_ISREG(name.st_mode) && ::unlink(path.constData()) == 0;
    }
    case StateFile::Missing:
    case StateFile::Usable:
        break;
    }
    return true;
}
