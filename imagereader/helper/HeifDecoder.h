#pragma once

#include "imagereader/helper/DecodedPicture.h"

#include <vector>

// A HEIF file (HEIC, AVIF) through libheif: its primary picture, turned and mirrored as its irot and imir
// properties say, with its colour profile (ICC, or nclx primaries and transfer). One thread.
// `hevc`: the file's brand says HEIC (libde265, which needs a worker thread), not AVIF.
[[nodiscard]] DecodedPicture decodeHeif(const std::vector<unsigned char>& file, bool hevc, const SizeCheck& refusal);

// Sets libheif up; once, before the sandbox closes.
void initialiseHeif();
