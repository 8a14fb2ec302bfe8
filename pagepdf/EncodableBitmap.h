#pragma once

#include "pagepdf/FreeImageBitmap.h"
#include "pagepdf/JpegEncoding.h"

#include <optional>

// A picture ready for the JPEG encoder: 8-bit grey, 24-bit colour, or 32-bit colour whose alpha is spent, with its
// rows as the encoder reads them.
struct EncodableBitmap
{
    FreeImageBitmap bitmap;
    PixelRows rows;
};

// Brings any bitmap FreeImage reads into a form the encoder takes: deep and float pixels down to 8 bits per channel,
// palettes of greys to grey, other palettes to colour, and transparent pictures blended onto white. Converts only
// when the encoder cannot take the bitmap as it is and frees each intermediate at once, so that at most two copies
// of a large picture exist for a moment. Nothing when FreeImage cannot convert.
[[nodiscard]] std::optional<EncodableBitmap> makeEncodable(FreeImageBitmap bitmap);
