#pragma once

#include "imagereader/helper/DecodedPicture.h"

#include <vector>

// A WebP file through libwebp (lossy, lossless, with alpha; the first frame of an animation, on its whole canvas),
// turned as its EXIF chunk says, with its ICC profile. One thread.
[[nodiscard]] DecodedPicture decodeWebp(const std::vector<unsigned char>& file, const SizeCheck& refusal);
