#pragma once

#include <QByteArray>

#include <cstddef>
#include <memory>

// How a picture's data is compressed in the page.
enum class ImageFilter
{
    Dct,   // JPEG: made here from the picture, or a JPEG file's own data
    Flate, // without loss: deflate, each row led by its PNG filter byte (predictor 15)
};

// A picture as the page keeps it: its compressed data and what a reader needs to decode and place it.
struct PageImage
{
    std::shared_ptr<const unsigned char> data; // whoever made it keeps it alive
    std::size_t size = 0;
    int width = 0; // as stored, before its orientation
    int height = 0;
    int components = 3; // 1 grey, 3 RGB, 4 CMYK
    ImageFilter filter = ImageFilter::Dct;
    bool inkInverted = false; // CMYK stored as 255 - ink, as Adobe's JPEG files keep it
    QByteArray iccProfile;    // the picture's own colours; empty: the device's
    int orientation = 1;      // an EXIF orientation: how the stored picture turns and mirrors to stand upright
};

// Whether a picture of this orientation stands with its stored sides swapped.
[[nodiscard]] inline bool swapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}
