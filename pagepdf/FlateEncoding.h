#pragma once

#include "pagepdf/JpegEncoding.h"
#include "pagepdf/PageImage.h"

#include <QString>

#include <optional>

// Compresses the rows without loss, as a PDF image's FlateDecode with PNG predictors: each row gets the filter that
// leaves it the smallest sum of differences (none, Sub, Up or Paeth), as PNG writers choose. Grey stays grey; 24- and
// 32-bit colour become RGB. On failure nothing, and *error says why.
[[nodiscard]] std::optional<PageImage> encodeFlate(const PixelRows& rows, QString* error);
