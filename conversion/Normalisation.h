#pragma once

#include <QString>

#include <optional>

class ImageReader;

// The pixel size of a normalised image; it sets the size of its page.
struct NormalisedImage
{
    int widthPx = 0;
    int heightPx = 0;
};

// FreeImage's format code (a FREE_IMAGE_FORMAT value) that the extension of the file name stands for: the text
// after the last "." of the name, lower-cased. -1 (FIF_UNKNOWN) when the name has no extension in the table.
[[nodiscard]] int formatForExtension(const QString& imagePath);

// Has the image-reading helper read an image and write it to bmpPath as a BMP file, upright, with at most 8 bits
// per channel and transparent pixels white. bmpPath is removed first, so after a failure it never holds an
// earlier image. On failure *error gets a sentence that names the file and says what is wrong. The window stays
// live while the helper works.
[[nodiscard]] std::optional<NormalisedImage> normaliseImage(ImageReader& reader, const QString& imagePath,
                                                            const QString& bmpPath, QString* error);

// The same with a helper of its own for this one image.
[[nodiscard]] std::optional<NormalisedImage> normaliseImage(const QString& imagePath, const QString& bmpPath,
                                                            QString* error);
