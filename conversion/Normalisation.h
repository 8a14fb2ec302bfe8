#pragma once

#include "conversion/ImageFile.h"

#include <QString>

#include <optional>

// The pixel size of a normalised image; it sets the size of its page.
struct NormalisedImage
{
    int widthPx = 0;
    int heightPx = 0;
};

// FreeImage's format code (a FREE_IMAGE_FORMAT value) that the extension of the file name stands for: the text
// after the last "." of the name, lower-cased. -1 (FIF_UNKNOWN) when the name has no extension in the table.
[[nodiscard]] int formatForExtension(const QString& imagePath);

// Reads an image with FreeImage and writes it to bmpPath as a BMP file, upright and with at most 8 bits per
// channel. bmpPath is removed first, so after a failure it never holds an earlier image. On failure *error
// gets a sentence that names the file and says what is wrong.
[[nodiscard]] std::optional<NormalisedImage> normaliseImage(const ImageFile& image, const QString& bmpPath,
                                                            QString* error);
