#include "bench/Floor.h"

#include "bench/HeifSets.h"

#include <FreeImage.h>
#include <QElapsedTimer>
#include <QFile>
#include <turbojpeg.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

struct TurboDeleter
{
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TurboHandle = std::unique_ptr<void, TurboDeleter>;

struct BitmapDeleter
{
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};

struct MemoryDeleter
{
    void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};

int subsamplingFor(bool grey, int quality)
{
    return grey ? TJSAMP_GRAY : (quality >= 90 ? TJSAMP_444 : TJSAMP_420);
}

} // namespace

FloorResult encodeFloor(const QStringList& images, int quality)
{
    FloorResult result;
    const TurboHandle decoder(tjInitDecompress());
    const TurboHandle encoder(tjInitCompress());
    std::vector<unsigned char> pixels;
    QElapsedTimer clock;
    clock.start();
    for (const QString& path : images) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            result.error = QStringLiteral("Cannot read \"%1\".").arg(path);
            return result;
        }
        QByteArray data = file.readAll();
        auto* bytes = reinterpret_cast<unsigned char*>(data.data());
        const auto size = static_cast<unsigned long>(data.size());

        int width = 0;
        int height = 0;
        int pixelFormat = TJPF_RGB;
        int pitch = 0;
        int flags = 0;
        const unsigned char* source = nullptr;
        std::unique_ptr<FIBITMAP, BitmapDeleter> bitmap;
        int jpegSubsampling = 0;
        int jpegColorspace = 0;
        if (isHeifFile(path)) {
            // HEIC and AVIF: libheif's own decode.
            if (!decodeHeif(data, &pixels, &width, &height)) {
                result.error = QStringLiteral("Cannot decode \"%1\".").arg(path);
                return result;
            }
            pitch = width * 3;
            source = pixels.data();
        } else if (tjDecompressHeader3(decoder.get(), bytes, size, &width, &height, &jpegSubsampling,
                                       &jpegColorspace) == 0) {
            pixelFormat = jpegColorspace == TJCS_GRAY ? TJPF_GRAY : TJPF_RGB;
            pitch = width * tjPixelSize[pixelFormat];
            pixels.resize(std::size_t(pitch) * std::size_t(height));
            if (tjDecompress2(decoder.get(), bytes, size, pixels.data(), width, pitch, height, pixelFormat, 0) != 0) {
                result.error = QStringLiteral("Cannot decode \"%1\".").arg(path);
                return result;
            }
            source = pixels.data();
        } else {
            const std::unique_ptr<FIMEMORY, MemoryDeleter> memory(FreeImage_OpenMemory(bytes, DWORD(size)));
            const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(memory.get(), 0);
            bitmap.reset(FreeImage_LoadFromMemory(format, memory.get(), 0));
            if (bitmap && FreeImage_GetBPP(bitmap.get()) != 24) {
                bitmap.reset(FreeImage_ConvertTo24Bits(bitmap.get()));
            }
            if (!bitmap) {
                result.error = QStringLiteral("Cannot decode \"%1\".").arg(path);
                return result;
            }
            width = int(FreeImage_GetWidth(bitmap.get()));
            height = int(FreeImage_GetHeight(bitmap.get()));
            pitch = int(FreeImage_GetPitch(bitmap.get()));
            pixelFormat = FREEIMAGE_COLORORDER == FREEIMAGE_COLORORDER_BGR ? TJPF_BGR : TJPF_RGB;
            flags = TJFLAG_BOTTOMUP;
            source = FreeImage_GetBits(bitmap.get());
        }
        data.clear();
        data.squeeze();

        unsigned char* jpeg = nullptr;
        unsigned long jpegSize = 0;
        const int status = tjCompress2(encoder.get(), source, width, pitch, height, pixelFormat, &jpeg, &jpegSize,
                                       subsamplingFor(pixelFormat == TJPF_GRAY, quality), quality, flags);
        tjFree(jpeg);
        if (status != 0) {
            result.error = QStringLiteral("Cannot encode \"%1\".").arg(path);
            return result;
        }
        result.bytes += qint64(jpegSize);
        result.largestDecodedMiB = std::max(result.largestDecodedMiB, double(width) * height * 3 / (1024.0 * 1024.0));
    }
    result.seconds = double(clock.nsecsElapsed()) / 1e9;
    result.ok = true;
    return result;
}
