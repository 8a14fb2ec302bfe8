#pragma once

#include "imagereader/helper/DecodedPicture.h"

#include <vector>

// A JPEG XL file through libjxl: its first frame (an animation's composed as shown), turned as its header's
// orientation says, in the colour space of its pixels (sRGB or its own ICC profile). No parallel runner: one thread.
[[nodiscard]] DecodedPicture decodeJpegXl(const std::vector<unsigned char>& file, const SizeCheck& refusal);
