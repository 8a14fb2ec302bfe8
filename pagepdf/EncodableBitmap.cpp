#include "pagepdf/EncodableBitmap.h"

#include <turbojpeg.h>

namespace {

using Bitmap = FreeImageBitmap;

#if FREEIMAGE_COLORORDER == FREEIMAGE_COLORORDER_BGR
constexpr int pixelFormat24 = TJPF_BGR;
constexpr int pixelFormat32 = TJPF_BGRX;
#else
constexpr int pixelFormat24 = TJPF_RGB;
constexpr int pixelFormat32 = TJPF_RGBX;
#endif

bool paletteIsGrey(FIBITMAP* bitmap)
{
    const RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    if (palette == nullptr) {
        return false;
    }
    const unsigned count = FreeImage_GetColorsUsed(bitmap);
    for (unsigned i = 0; i < count; ++i) {
        if (palette[i].rgbRed != palette[i].rgbGreen || palette[i].rgbGreen != palette[i].rgbBlue) {
            return false;
        }
    }
    return true;
}

// Blends every pixel onto white by its alpha, in place. An alpha channel that is zero everywhere is unused
// padding (as in many 32-bit BMP files), not a wholly transparent picture, so it is left alone.
void compositeOnWhite(FIBITMAP* bitmap)
{
    if (!alphaAllZero(bitmap)) {
        blendOntoWhite(bitmap);
    }
}

EncodableBitmap encodable(Bitmap bitmap, int pixelFormat)
{
    FIBITMAP* source = bitmap.get();
    const PixelRows rows{FreeImage_GetBits(source), int(FreeImage_GetWidth(source)), int(FreeImage_GetHeight(source)),
                         int(FreeImage_GetPitch(source)), pixelFormat};
    return EncodableBitmap{std::move(bitmap), rows};
}

} // namespace

std::optional<EncodableBitmap> makeEncodable(Bitmap bitmap)
{
    bitmap = toEightBitsPerChannel(std::move(bitmap));
    if (!bitmap) {
        return std::nullopt;
    }
    const unsigned bpp = FreeImage_GetBPP(bitmap.get());
    if (bpp <= 8) {
        if (FreeImage_IsTransparent(bitmap.get())) {
            bitmap.reset(FreeImage_ConvertTo32Bits(bitmap.get()));
        } else if (bpp == 8 && FreeImage_GetColorType(bitmap.get()) == FIC_MINISBLACK) {
            return encodable(std::move(bitmap), TJPF_GRAY);
        } else if (paletteIsGrey(bitmap.get())) {
            bitmap.reset(FreeImage_ConvertToGreyscale(bitmap.get()));
            if (!bitmap) {
                return std::nullopt;
            }
            return encodable(std::move(bitmap), TJPF_GRAY);
        } else {
            bitmap.reset(FreeImage_ConvertTo24Bits(bitmap.get()));
        }
    } else if (bpp != 24 && bpp != 32) {
        bitmap.reset(FreeImage_ConvertTo24Bits(bitmap.get()));
    }
    if (!bitmap) {
        return std::nullopt;
    }
    if (FreeImage_GetBPP(bitmap.get()) == 32) {
        if (FreeImage_IsTransparent(bitmap.get())) {
            compositeOnWhite(bitmap.get());
        }
        return encodable(std::move(bitmap), pixelFormat32);
    }
    return encodable(std::move(bitmap), pixelFormat24);
}
