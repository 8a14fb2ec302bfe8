#pragma once

#include "conversion/ImageFile.h"

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
[[nodiscard]] std::optional<NormalisedImage> normaliseImage(ImageReader& reader, const ImageFile& image,
                                                            const QString& bmpPath, QString* error);

// The run's normalisation: one helper for all its images, and the next entry read while the page of the current
// one is made (the helper and the page's encoder then work side by side).
class ReadAheadNormaliser
{
public:
    explicit ReadAheadNormaliser(ImageReader& reader);
    ~ReadAheadNormaliser();
    ReadAheadNormaliser(const ReadAheadNormaliser&) = delete;
    ReadAheadNormaliser& operator=(const ReadAheadNormaliser&) = delete;

    // As normaliseImage(); takes the image read ahead when it is this one.
    [[nodiscard]] std::optional<NormalisedImage> normalise(const ImageFile& image, const QString& bmpPath,
                                                           QString* error);
    // Starts reading the image into an unnamed file in bmpPath's folder, which normalise() then names bmpPath.
    // Does nothing when that cannot be done; normalise() then reads the image itself.
    void readAhead(const ImageFile& image, const QString& bmpPath);

private:
    void drop();

    ImageReader& m_reader;
    QByteArray m_aheadPath; // the file system's name of the image read ahead
    int m_aheadFd = -1;
};

// The same with a helper of its own for this one image.
[[nodiscard]] std::optional<NormalisedImage> normaliseImage(const ImageFile& image, const QString& bmpPath,
                                                            QString* error);
