#pragma once

#include "imagereader/ImageFile.h"
#include "imagereader/PictureFile.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class ImageReader;
struct OpenedImage;

// A JPEG file's own data, kept as the page's picture, and what the reader found it to hold.
struct OriginalJpeg
{
    QByteArray data; // the whole file, as read after the reader vouched for it
    int width = 0;   // as stored
    int height = 0;
    int components = 3;
    int orientation = 1; // EXIF, 1 to 8, the entry's turns included
    bool inkInverted = false;
    QByteArray iccProfile{};
};

// The pixel size of a normalised image, which sets the size of its page, and its picture (in the one layout the
// helper writes: 24-bit colour or 8-bit grey rows). No picture: the page's picture file is drawn instead.
struct NormalisedImage
{
    int widthPx = 0;
    int heightPx = 0;
    std::shared_ptr<const PictureFile> picture;
    // The resolution the file states across and down the picture as it stands here (upright and turned), in pixels per
    // inch; 0 when it states none.
    double resolutionX = 0;
    double resolutionY = 0;
    // Set instead of a picture when the file's own JPEG data is kept; widthPx and heightPx are then as it stands
    // upright.
    std::optional<OriginalJpeg> original{};
    // The ICC profile whose colours the picture's pixels are in, when the original was to be kept and the file has
    // one that fits; empty: they are sRGB.
    QByteArray iccProfile{};
};

// Has the image-reading helper read an image, upright, with at most 8 bits per channel and transparent pixels
// white, into a picture in memory, in sRGB or, with keepOriginal, in its own profile's colours. With keepOriginal, a
// JPEG file the helper finds fit to be kept is not decoded: its own data (copied from the file the helper read, which
// must not have changed since) comes back as `original`. On failure *error gets a sentence that names the file and says
// what is wrong; a helper whose reply or picture is not to be trusted is ended. The window stays live while it works.
[[nodiscard]] std::optional<NormalisedImage> readPagePicture(ImageReader& reader, const ImageFile& image,
                                                             bool keepOriginal, QString* error);

// A run's reading of its pages' pictures: one helper for all its images, and the next entry read while the page of
// the current one is made (the helper and the page's encoder then work side by side). Its picture files are used again
// from picture to picture (a fresh file costs the system more than decoding a small photo), each at the size its first
// picture gave it: a picture that does not fit gets a new one.
class PageRead
{
public:
    explicit PageRead(ImageReader& reader);
    ~PageRead();
    PageRead(const PageRead&) = delete;
    PageRead& operator=(const PageRead&) = delete;

    // As readPagePicture(); takes the image read ahead when it is this one.
    [[nodiscard]] std::optional<NormalisedImage> read(const ImageFile& image, bool keepOriginal, QString* error);
    // Starts reading the image, for read() to take. Does nothing when that cannot be done; read() then
    // reads the image itself.
    void readAhead(const ImageFile& image, bool keepOriginal);

private:
    void drop();
    // A new file in place of one of the run's picture files, too small for the picture it was given; nothing (errno
    // set) when none can be made.
    [[nodiscard]] std::shared_ptr<const PictureFile> replaced(const std::shared_ptr<const PictureFile>& file);
    // One of the run's picture files that nobody holds, or a new one; nothing (errno set) when none can be made.
    [[nodiscard]] std::shared_ptr<const PictureFile> unusedFile();

    ImageReader& m_reader;
    QByteArray m_aheadPath; // the file system's name of the image read ahead, the turn it was read with, and whether
    std::uint32_t m_aheadTurns = 0; // ... its own JPEG data may be kept
    bool m_aheadKeep = false;
    std::shared_ptr<const PictureFile> m_ahead;
    std::unique_ptr<OpenedImage> m_aheadImage; // open still: a JPEG kept as it is is copied from it
    std::array<std::shared_ptr<const PictureFile>, 2> m_files;
};

// The same with a helper of its own for this one image, always decoded.
[[nodiscard]] std::optional<NormalisedImage> readPagePicture(const ImageFile& image, bool keepOriginal, QString* error);
