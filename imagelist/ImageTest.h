#pragma once

#include <QByteArray>
#include <QString>

// Whether a file name (or a whole path) looks like an image we take: it ends in one of the extensions the format
// table lets join the list (bmp, jpg, gif, png, tif, jxl, tiff, jpeg, heic, heif, avif, webp), in any case. The dot
// is not looked at, so "photojpg" passes.
bool passesImageTest(const QString& name);

// Whether a path the user names (a drop, the command line) joins the image list: its name passes the image test and
// it is no FIFO, socket or device, whose reading could hang the run. `path` is the file system's bytes.
[[nodiscard]] bool joinsImageList(const QByteArray& path);
