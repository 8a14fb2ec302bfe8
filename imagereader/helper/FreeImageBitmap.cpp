#include "imagereader/helper/FreeImageBitmap.h"

#include <cmath>

namespace {

using Bitmap = FreeImageBitmap;

BYTE fromUnit(float value)
{
    if (!(value > 0.0f)) {
        return 0; // also NaN
    }
    return value >= 1.0f ? BYTE(255) : BYTE(std::lround(value * 255.0f));
}

Bitmap floatToStandard(FIBITMAP* source)
{
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(source);
    const unsigned width = FreeImage_GetWidth(source);
    const unsigned height = FreeImage_GetHeight(source);
    const int bpp = type == FIT_FLOAT ? 8 : (type == FIT_RGBF ? 24 : 32);
    Bitmap target = allocateBitmap(int(width), int(height), bpp);
    if (!target) {
        return nullptr;
    }
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* in = FreeImage_GetScanLine(source, int(y));
        BYTE* out = FreeImage_GetScanLine(target.get(), int(y));
        for (unsigned x = 0; x < width; ++x) {
            if (type == FIT_FLOAT) {
                out[x] = fromUnit(reinterpret_cast<const float*>(in)[x]);
            } else if (type == FIT_RGBF) {
                const FIRGBF& pixel = reinterpret_cast<const FIRGBF*>(in)[x];
                out[3 * x + FI_RGBA_RED] = fromUnit(pixel.red);
                out[3 * x + FI_RGBA_GREEN] = fromUnit(pixel.green);
                out[3 * x + FI_RGBA_BLUE] = fromUnit(pixel.blue);
            } else {
                const FIRGBAF& pixel = reinterpret_cast<const FIRGBAF*>(in)[x];
                out[4 * x + FI_RGBA_RED] = fromUnit(pixel.red);
                out[4 * x + FI_RGBA_GREEN] = fromUnit(pixel.green);
                out[4 * x + FI_RGBA_BLUE] = fromUnit(pixel.blue);
                out[4 * x + FI_RGBA_ALPHA] = fromUnit(pixel.alpha);
            }
        }
    }
    return target;
}

} // namespace

FreeImageBitmap allocateBitmap(int width, int height, int bpp)
{
    FreeImageBitmap bitmap(FreeImage_Allocate(width, height, bpp));
    if (bitmap && bpp == 8) {
        RGBQUAD* palette = FreeImage_GetPalette(bitmap.get());
        for (int i = 0; i < 256; ++i) {
            palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue = BYTE(i);
        }
    }
    return bitmap;
}

FreeImageBitmap toEightBitsPerChannel(FreeImageBitmap bitmap)
{
    FIBITMAP* source = bitmap.get();
    switch (FreeImage_GetImageType(source)) {
    case FIT_BITMAP:
        return bitmap;
    case FIT_UINT16: {
        Bitmap grey(FreeImage_ConvertTo8Bits(source));
        return grey ? std::move(grey) : Bitmap(FreeImage_ConvertToStandardType(source, TRUE));
    }
    case FIT_RGB16:
        return Bitmap(FreeImage_ConvertTo24Bits(source));
    case FIT_RGBA16:
        return Bitmap(FreeImage_ConvertTo32Bits(source));
    case FIT_FLOAT:
    case FIT_RGBF:
    case FIT_RGBAF:
        return floatToStandard(source);
    default:
        return Bitmap(FreeImage_ConvertToStandardType(source, TRUE));
    }
}

bool alphaAllZero(FIBITMAP* bitmap)
{
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* pixel = FreeImage_GetScanLine(bitmap, int(y));
        for (unsigned x = 0; x < width; ++x, pixel += 4) {
            if (pixel[FI_RGBA_ALPHA] != 0) {
                return false;
            }
        }
    }
    return true;
}

void blendOntoWhite(FIBITMAP* bitmap)
{
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    for (unsigned y = 0; y < height; ++y) {
        BYTE* pixel = FreeImage_GetScanLine(bitmap, int(y));
        for (unsigned x = 0; x < width; ++x, pixel += 4) {
            const unsigned alpha = pixel[FI_RGBA_ALPHA];
            if (alpha == 255) {
                continue;
            }
            const unsigned white = 255 * (255 - alpha);
            pixel[FI_RGBA_RED] = BYTE((pixel[FI_RGBA_RED] * alpha + white + 127) / 255);
            pixel[FI_RGBA_GREEN] = BYTE((pixel[FI_RGBA_GREEN] * alpha + white + 127) / 255);
            pixel[FI_RGBA_BLUE] = BYTE((pixel[FI_RGBA_BLUE] * alpha + white + 127) / 255);
            pixel[FI_RGBA_ALPHA] = 255;
        }
    }
}

FreeImageBitmap orientedUpright(FreeImageBitmap bitmap, int orientation, int quarterTurns)
{
    // Each orientation as quarter turns clockwise and then, or not, a mirroring left to right.
    constexpr int kTurns[9] = {0, 0, 0, 2, 2, 1, 1, 3, 3};
    constexpr bool kMirrored[9] = {false, false, true, false, true, true, false, true, false};
    const int stored = orientation >= 1 && orientation <= 8 ? orientation : 1;
    const bool mirrored = kMirrored[stored];
    // A mirrored picture turned clockwise is the picture turned anticlockwise, then mirrored.
    const int turns = ((kTurns[stored] + (mirrored ? -quarterTurns : quarterTurns)) % 4 + 4) % 4;
    if (turns == 2) {
        // Half a turn is both mirrorings, and is done in place; mirrored as well, it is the one top to bottom.
        const bool done = FreeImage_FlipVertical(bitmap.get()) && (mirrored || FreeImage_FlipHorizontal(bitmap.get()));
        return done ? std::move(bitmap) : nullptr;
    }
    if (turns != 0) {
        // FreeImage turns anticlockwise for a positive angle.
        bitmap.reset(FreeImage_Rotate(bitmap.get(), -90.0 * turns));
    }
    if (!bitmap || (mirrored && !FreeImage_FlipHorizontal(bitmap.get()))) {
        return nullptr;
    }
    return bitmap;
}
