#pragma once

#include "pagepdf/JpegEncoding.h"

#include <optional>

class QFile;

// The rows of an uncompressed 24-bit bottom-up BMP file (what the normalisation writes for every colour photo),
// mapped straight from the open file: they are laid out exactly as FreeImage would hold them, so the encoder reads
// them from the file cache instead of from a decoded copy. The mapping lives as long as the file stays open.
// Nothing for any other kind of BMP (top-down rows, palettes, bit fields, alpha) or for a file cut short.
[[nodiscard]] std::optional<PixelRows> mapPlainBmp(QFile& file);
