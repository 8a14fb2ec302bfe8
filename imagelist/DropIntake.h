#pragma once

#include <QStringList>

class QMimeData;

// The paths of a drop that join the image list: the local files among the dropped URLs, in the order the drag
// source gave them, that pass the image test. A dropped folder is judged by its name like a file and never opened.
// Anything else (text, remote URLs, file URLs of another machine, no data) gives nothing.
QStringList droppedImagePaths(const QMimeData* data);
