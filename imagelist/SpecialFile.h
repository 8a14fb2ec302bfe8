#pragma once

#include <QByteArray>

// Whether path (the file system's bytes) names a FIFO, a socket or a device, through any symbolic links. Such a file
// never joins the list: opening one can block for ever. Decided from the file's status alone, the file is never
// opened; a path that cannot be looked at (missing, no permission) is not special: the run reports it like any
// missing file.
[[nodiscard]] bool isSpecialFile(const QByteArray& path);
