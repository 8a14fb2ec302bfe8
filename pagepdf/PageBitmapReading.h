#pragma once

#include "pagepdf/JpegEncoding.h"

#include <QString>

#include <memory>
#include <optional>

// A page's picture in the one layout the image reader writes (imagereader/PageBitmap.h), read by this library's
// own strict reading: 24-bit colour or 8-bit grey rows, the file exactly as large as its header says, within the
// reader's limits. A file in memory that is sealed against shrinking is mapped, as far as its header says: it
// cannot become shorter than the mapping, and it may be longer (the program uses such files again from picture to
// picture). Any other file has its rows copied out with bounded reads. A file that changes meanwhile gives a
// refusal or other pixels, never a fault.
struct PageBitmap
{
    std::shared_ptr<const unsigned char> data; // the rows' copy or the file's mapping
    PixelRows rows;
};

// Nothing, and *why in plain words, for any other file.
[[nodiscard]] std::optional<PageBitmap> readPageBitmap(int fd, QString* why);
