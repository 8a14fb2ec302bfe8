#pragma once

#include <QByteArray>
#include <QList>

class QMimeData;

// The paths of a drop that join the image list, as the file system's bytes: the local files among the dropped URLs,
// in the order the drag source gave them, that pass the image test. A dropped folder is judged by its name like a
// file and never opened. Anything else (text, remote URLs, file URLs of another machine, no data) gives nothing.
QList<QByteArray> droppedImagePaths(const QMimeData* data);
