#pragma once

#include <QString>

#include <memory>
#include <optional>

// Rows of 8-bit pixels as BMP files hold them: the bottom row first, each padded to pitch bytes.
struct PixelRows
{
    const unsigned char* bottomRow = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;
    int pixelFormat = 0; // a TurboJPEG TJPF_ value: grey, or 24- or 32-bit colour in the rows' channel order
};

struct TurboJpegFree
{
    void operator()(unsigned char* data) const;
};

// A compressed picture, kept in TurboJPEG's own buffer.
struct JpegImage
{
    std::unique_ptr<unsigned char, TurboJpegFree> data;
    unsigned long size = 0;
    int width = 0;
    int height = 0;
    bool grey = false;
};

// Compresses the rows at quality 1..100 (0 is taken as 1). Grey stays grey; colour uses 4:2:0 chroma subsampling
// below quality 90 and 4:4:4 from 90 up. On failure nothing, and *error holds TurboJPEG's reason.
[[nodiscard]] std::optional<JpegImage> encodeJpeg(const PixelRows& rows, int quality, QString* error);
