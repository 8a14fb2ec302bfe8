#include "pagepdf/JpegEncoding.h"

#include <turbojpeg.h>

#include <algorithm>

namespace {

struct TurboDeleter
{
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TurboHandle = std::unique_ptr<void, TurboDeleter>;

} // namespace

void TurboJpegFree::operator()(unsigned char* data) const
{
    tjFree(data);
}

std::optional<JpegImage> encodeJpeg(const PixelRows& rows, int quality, QString* error)
{
    const bool grey = rows.pixelFormat == TJPF_GRAY;
    quality = std::clamp(quality, 1, 100);
    const int subsampling = grey ? TJSAMP_GRAY : (quality >= 90 ? TJSAMP_444 : TJSAMP_420);

    TurboHandle encoder(tjInitCompress());
    if (!encoder) {
        *error = QString::fromLocal8Bit(tjGetErrorStr2(nullptr));
        return std::nullopt;
    }
    unsigned char* data = nullptr;
    unsigned long size = 0;
    // TurboJPEG reads the bottom-up rows in place, padding and all.
    const int status = tjCompress2(encoder.get(), rows.bottomRow, rows.width, rows.pitch, rows.height, rows.pixelFormat,
                                   &data, &size, subsampling, quality, TJFLAG_BOTTOMUP);
    JpegImage jpeg{std::unique_ptr<unsigned char, TurboJpegFree>(data), size, rows.width, rows.height, grey};
    if (status != 0) {
        *error = QString::fromLocal8Bit(tjGetErrorStr2(encoder.get()));
        return std::nullopt;
    }
    return jpeg;
}
