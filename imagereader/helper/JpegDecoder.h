#pragma once

#include "imagereader/helper/FreeImageBitmap.h"

#include <memory>
#include <vector>

// A grey or colour JPEG (one or three components) decoded by TurboJPEG into rows laid out as FreeImage lays them
// (bottom row first, blue green red), with the settings FreeImage's own reader gives libjpeg (fast DCT, plain
// upsampling): the same pixels in about three quarters of the time. Any word from libjpeg about the file, a warning
// included, fails the decoding: FreeImage's reader, which reports every such message, then reads the file and tells
// what is wrong with it.
class PlainJpeg
{
public:
    // Reads the header of the whole file, which must outlive this object.
    explicit PlainJpeg(const std::vector<unsigned char>& file);
    ~PlainJpeg();
    PlainJpeg(const PlainJpeg&) = delete;
    PlainJpeg& operator=(const PlainJpeg&) = delete;

    // Whether the header was read and is of one or three components.
    [[nodiscard]] bool isPlain() const { return m_width > 0; }
    [[nodiscard]] int width() const { return m_width; }
    [[nodiscard]] int height() const { return m_height; }
    [[nodiscard]] bool isGrey() const { return m_grey; }

    // Decodes into height rows of pitch bytes each, the bottom row first; false when libjpeg had anything to say.
    [[nodiscard]] bool decodeInto(unsigned char* rows, int pitch);
    // Decodes into a new bitmap; nothing when libjpeg had anything to say or memory ran out.
    [[nodiscard]] FreeImageBitmap decode();

private:
    const std::vector<unsigned char>& m_file;
    void* m_decoder = nullptr;
    int m_width = 0;
    int m_height = 0;
    bool m_grey = false;
};
