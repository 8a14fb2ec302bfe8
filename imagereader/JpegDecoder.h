#pragma once

#include "imagereader/FreeImageBitmap.h"

#include <vector>

// A grey or colour JPEG (one or three components) decoded by TurboJPEG straight into a bitmap of FreeImage's layout
// (bottom row first, blue green red), with the settings FreeImage's own reader gives libjpeg (fast DCT, plain
// upsampling): the same pixels in about three quarters of the time. Nothing when libjpeg has anything at all to say
// about the file, a warning included, or memory runs out: FreeImage's reader, which reports every such message, then
// reads the file and tells what is wrong with it.
[[nodiscard]] FreeImageBitmap decodePlainJpeg(const std::vector<unsigned char>& file);
