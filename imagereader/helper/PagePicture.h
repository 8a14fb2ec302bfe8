#pragma once

#include "imagereader/format/PageBitmap.h"
#include "imagereader/helper/FreeImageBitmap.h"

#include <functional>

class FdStream;

// A decoded picture brought to what a page takes, in the one layout the program reads back (PageBitmap.h): 8-bit
// grey when every colour of it is a grey, 24-bit colour otherwise. Deep and float pixels come down to 8 bits per
// channel, and transparency is settled here, where the source format is known: transparent pixels are white.
// Nothing when FreeImage cannot convert.
[[nodiscard]] FreeImageBitmap toPagePicture(FreeImageBitmap bitmap, FREE_IMAGE_FORMAT source);

// Writes a picture that toPagePicture() made; false when the file would not take it (out.error() says why).
[[nodiscard]] bool writePagePicture(FIBITMAP* picture, FdStream& out);

// Writes a picture of this layout straight into the empty output file, whose rows drawRows fills (bottom row first,
// pitch bytes apart) where they are kept: no picture in this process's memory, no copy. False when the file cannot be
// laid out and mapped, or drawRows fails; the file then holds nothing of use.
[[nodiscard]] bool writePagePictureInPlace(int outputFd, const pagebitmap::Layout& layout,
                                           const std::function<bool(unsigned char* rows, int pitch)>& drawRows);
