#include "imagereader/JpegDecoder.h"

#include <turbojpeg.h>

#include <memory>

namespace {

struct TurboDeleter
{
    void operator()(void* handle) const { tjDestroy(handle); }
};

} // namespace

FreeImageBitmap decodePlainJpeg(const std::vector<unsigned char>& file)
{
    const std::unique_ptr<void, TurboDeleter> decoder(tjInitDecompress());
    if (!decoder) {
        return nullptr;
    }
    const auto size = static_cast<unsigned long>(file.size());
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (tjDecompressHeader3(decoder.get(), file.data(), size, &width, &height, &subsampling, &colourspace) != 0 ||
        (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK)) {
        return nullptr;
    }
    const bool grey = colourspace == TJCS_GRAY;
    FreeImageBitmap bitmap = allocateBitmap(width, height, grey ? 8 : 24);
    if (!bitmap) {
        return nullptr;
    }
    // FreeImage's row order and padding, and its channel order on this machine.
    static_assert(FREEIMAGE_COLORORDER == FREEIMAGE_COLORORDER_BGR);
    const int status = tjDecompress2(decoder.get(), file.data(), size, FreeImage_GetBits(bitmap.get()), width,
                                     int(FreeImage_GetPitch(bitmap.get())), height, grey ? TJPF_GRAY : TJPF_BGR,
                                     TJFLAG_BOTTOMUP | TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE);
    // A warning (missing data filled with grey, a damaged segment) also fails the call.
    return status == 0 ? std::move(bitmap) : nullptr;
}
