#pragma once

#include <FreeImage.h>

#include <memory>

// FreeImage bitmaps, released when they go out of scope.
struct FreeImageDeleter
{
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using FreeImageBitmap = std::unique_ptr<FIBITMAP, FreeImageDeleter>;

// A new bitmap of width x height at bpp bits a pixel (8, 24 or 32); an 8-bit one is grey (its palette runs from black
// to white). Nothing when FreeImage cannot allocate it.
[[nodiscard]] FreeImageBitmap allocateBitmap(int width, int height, int bpp);

// Brings a picture of more than 8 bits per channel, or of another pixel type (16-bit grey, 16-bit RGB(A),
// float), down to an ordinary 8-bit-per-channel bitmap. Floats are taken as 0..1 and clipped. An ordinary
// bitmap comes back as it is; nothing comes back when FreeImage cannot convert.
[[nodiscard]] FreeImageBitmap toEightBitsPerChannel(FreeImageBitmap bitmap);

// Whether every pixel of a 32-bit bitmap has alpha 0: in many 32-bit BMP files that byte is unused padding.
[[nodiscard]] bool alphaAllZero(FIBITMAP* bitmap);

// Blends every pixel of a 32-bit bitmap onto white by its alpha, in place, and makes it opaque.
void blendOntoWhite(FIBITMAP* bitmap);

// The picture turned and mirrored as an EXIF orientation (1 to 8) says it is to be shown, and then turned clockwise
// by quarterTurns more, in one turn and at most one mirroring; nothing when FreeImage cannot turn it.
[[nodiscard]] FreeImageBitmap orientedUpright(FreeImageBitmap bitmap, int orientation, int quarterTurns = 0);
