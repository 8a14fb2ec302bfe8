#include "imagelist/SpecialFile.h"

#include <sys/stat.h>

bool isSpecialFile(const QByteArray& path)
{
    struct stat info = {};
    if (::stat(path.constData(), &info) != 0) {
        return false;
    }
    return S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode) || S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode);
}
