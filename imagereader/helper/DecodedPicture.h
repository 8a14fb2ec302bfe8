#pragma once

#include "imagereader/format/ReaderProtocol.h"
#include "imagereader/helper/ColourConversion.h"
#include "imagereader/helper/FreeImageBitmap.h"

#include <cstdint>
#include <functional>
#include <string>

// What one of the helper's own decoders (HEIF and AVIF, WebP, JPEG XL) makes of a whole file held in memory.
struct DecodedPicture
{
    imagereader::Status status = imagereader::Status::Ok;
    std::string detail;     // plain words, for a status other than Ok
    FreeImageBitmap bitmap; // upright, 24 bits or 32 with alpha, 8 bits per channel
    ColourSource colour;    // the space of bitmap's pixels
};

// Refuses a picture's claimed size in words (see ImageDecoding's limits); empty when it is within them. Every
// decoder asks before it allocates a pixel.
using SizeCheck = std::function<std::string(std::int64_t width, std::int64_t height, std::int64_t bitsPerPixel)>;

[[nodiscard]] inline DecodedPicture failedPicture(imagereader::Status status, std::string detail)
{
    DecodedPicture failed;
    failed.status = status;
    failed.detail = std::move(detail);
    return failed;
}
