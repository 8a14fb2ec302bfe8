#include "imagereader/helper/ColourConversion.h"

#include <lcms2.h>

#include <array>
#include <cmath>
#include <memory>

namespace {

// Profiles larger than this are not a photo's; littleCMS is not asked to read them.
constexpr std::size_t kMaxProfileBytes = 16u << 20;

struct ProfileCloser
{
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

struct TransformDeleter
{
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Transform = std::unique_ptr<void, TransformDeleter>;

struct CurveDeleter
{
    void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};
using Curve = std::unique_ptr<cmsToneCurve, CurveDeleter>;

Curve transferCurve(const ColourSource& source)
{
    switch (source.transfer) {
    case ColourSource::Transfer::Srgb: {
        const cmsFloat64Number srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
        return Curve(cmsBuildParametricToneCurve(nullptr, 4, srgb));
    }
    case ColourSource::Transfer::Bt709: {
        const cmsFloat64Number bt709[5] = {1 / 0.45, 1 / 1.099, 0.099 / 1.099, 1 / 4.5, 0.081};
        return Curve(cmsBuildParametricToneCurve(nullptr, 4, bt709));
    }
    case ColourSource::Transfer::Gamma:
        break;
    }
    return Curve(cmsBuildGamma(nullptr, source.gamma));
}

Profile srgbGrey()
{
    const cmsFloat64Number srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    const Curve curve(cmsBuildParametricToneCurve(nullptr, 4, srgb));
    const cmsCIExyY d65{0.3127, 0.3290, 1.0};
    return Profile(curve ? cmsCreateGrayProfile(&d65, curve.get()) : nullptr);
}

// The source's profile; nothing for a profile littleCMS cannot read. Primaries and a transfer make an RGB one, which
// also serves grey and palette pictures.
Profile sourceProfile(const ColourSource& source)
{
    if (!source.icc.empty()) {
        if (source.icc.size() > kMaxProfileBytes) {
            return nullptr;
        }
        return Profile(cmsOpenProfileFromMem(source.icc.data(), cmsUInt32Number(source.icc.size())));
    }
    if (!source.primaries) {
        return nullptr;
    }
    const ColourSource::Chromaticities& c = *source.primaries;
    const Curve curve = transferCurve(source);
    if (!curve) {
        return nullptr;
    }
    const cmsCIExyY white{c.whiteX, c.whiteY, 1.0};
    const cmsCIExyYTRIPLE primaries{{c.redX, c.redY, 1.0}, {c.greenX, c.greenY, 1.0}, {c.blueX, c.blueY, 1.0}};
    cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
    return Profile(cmsCreateRGBProfile(&white, &primaries, curves));
}

// The picture's grey or colour values through a table, alpha untouched.
void applyTable(FIBITMAP* bitmap, const std::array<BYTE, 256>& table)
{
    const unsigned bpp = FreeImage_GetBPP(bitmap);
    if (bpp <= 8) {
        RGBQUAD* palette = FreeImage_GetPalette(bitmap);
        for (unsigned i = 0; palette != nullptr && i < FreeImage_GetColorsUsed(bitmap); ++i) {
            palette[i].rgbRed = table[palette[i].rgbRed];
            palette[i].rgbGreen = table[palette[i].rgbGreen];
            palette[i].rgbBlue = table[palette[i].rgbBlue];
        }
        return;
    }
    const unsigned step = bpp / 8;
    for (unsigned y = 0; y < FreeImage_GetHeight(bitmap); ++y) {
        BYTE* pixel = FreeImage_GetScanLine(bitmap, int(y));
        for (unsigned x = 0; x < FreeImage_GetWidth(bitmap); ++x, pixel += step) {
            pixel[FI_RGBA_RED] = table[pixel[FI_RGBA_RED]];
            pixel[FI_RGBA_GREEN] = table[pixel[FI_RGBA_GREEN]];
            pixel[FI_RGBA_BLUE] = table[pixel[FI_RGBA_BLUE]];
        }
    }
}

// What libpng does for a display of gamma 2.2: each value v becomes v^(1 / (file gamma * 2.2)).
std::array<BYTE, 256> pngGammaTable(double fileGamma)
{
    std::array<BYTE, 256> table{};
    const double exponent = 1.0 / (fileGamma * 2.2);
    for (int i = 0; i < 256; ++i) {
        table[std::size_t(i)] = BYTE(std::lround(255.0 * std::pow(i / 255.0, exponent)));
    }
    return table;
}

bool usablePngGamma(double gamma)
{
    // gAMA holds 1/gamma of the encoding; anything outside this range is nonsense and libpng ignores it as well.
    return gamma > 0.01 && gamma < 100 && std::fabs(gamma * 2.2 - 1.0) > 0.01;
}

} // namespace

void initialiseColourConversion()
{
    cmsSetLogErrorHandler(nullptr);
}

bool profileFitsComponents(const std::vector<unsigned char>& icc, int components)
{
    if (icc.empty() || icc.size() > kMaxProfileBytes) {
        return false;
    }
    const Profile profile(cmsOpenProfileFromMem(icc.data(), cmsUInt32Number(icc.size())));
    if (!profile) {
        return false;
    }
    const cmsProfileClassSignature kind = cmsGetDeviceClass(profile.get());
    if (kind != cmsSigInputClass && kind != cmsSigDisplayClass && kind != cmsSigOutputClass &&
        kind != cmsSigColorSpaceClass) {
        return false;
    }
    const cmsColorSpaceSignature space = cmsGetColorSpace(profile.get());
    return (components == 1 && space == cmsSigGrayData) || (components == 3 && space == cmsSigRgbData) ||
           (components == 4 && space == cmsSigCmykData);
}

void convertToSrgb(FIBITMAP* bitmap, const ColourSource& source)
{
    if (bitmap == nullptr || source.saysNothing() || FreeImage_GetImageType(bitmap) != FIT_BITMAP) {
        return;
    }
    const unsigned bpp = FreeImage_GetBPP(bitmap);
    if (bpp != 24 && bpp != 32 && bpp > 8) {
        return;
    }
    if (source.icc.empty() && !source.primaries) {
        if (usablePngGamma(source.pngFileGamma)) {
            applyTable(bitmap, pngGammaTable(source.pngFileGamma));
        }
        return;
    }
    // A palette's colours are converted once each (FreeImage gives grey pictures a palette of their greys too).
    const bool palette = bpp <= 8;
    Profile probe = sourceProfile(source);
    if (!probe) {
        return;
    }
    const cmsColorSpaceSignature space = cmsGetColorSpace(probe.get());
    if (space == cmsSigGrayData) {
        if (!palette) {
            return; // a grey profile on colour pixels does not fit them
        }
        const Profile target = srgbGrey();
        const Transform transform(
            target ? cmsCreateTransform(probe.get(), TYPE_GRAY_8, target.get(), TYPE_GRAY_8, INTENT_PERCEPTUAL, 0)
                   : nullptr);
        if (!transform) {
            return;
        }
        std::array<BYTE, 256> in{};
        std::array<BYTE, 256> table{};
        for (int i = 0; i < 256; ++i) {
            in[std::size_t(i)] = BYTE(i);
        }
        cmsDoTransform(transform.get(), in.data(), table.data(), 256);
        applyTable(bitmap, table);
        return;
    }
    if (space != cmsSigRgbData) {
        return;
    }
    const Profile target(cmsCreate_sRGBProfile());
    const cmsUInt32Number format = bpp == 32 ? TYPE_BGRA_8 : TYPE_BGR_8;
    const cmsUInt32Number paletteFormat = TYPE_BGRA_8; // RGBQUAD: blue, green, red, unused
    const Transform transform(target ? cmsCreateTransform(probe.get(), palette ? paletteFormat : format, target.get(),
                                                          palette ? paletteFormat : format, INTENT_PERCEPTUAL,
                                                          cmsFLAGS_COPY_ALPHA)
                                     : nullptr);
    if (!transform) {
        return;
    }
    if (palette) {
        RGBQUAD* entries = FreeImage_GetPalette(bitmap);
        if (entries != nullptr) {
            cmsDoTransform(transform.get(), entries, entries, FreeImage_GetColorsUsed(bitmap));
        }
        return;
    }
    for (unsigned y = 0; y < FreeImage_GetHeight(bitmap); ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, int(y));
        cmsDoTransform(transform.get(), row, row, FreeImage_GetWidth(bitmap));
    }
}

FreeImageBitmap cmykThroughProfile(FIBITMAP* cmyk, bool inkStored, const ColourSource& source)
{
    if (cmyk == nullptr || source.icc.empty() || FreeImage_GetBPP(cmyk) != 32) {
        return nullptr;
    }
    const Profile profile = sourceProfile(source);
    if (!profile || cmsGetColorSpace(profile.get()) != cmsSigCmykData) {
        return nullptr;
    }
    const Profile target(cmsCreate_sRGBProfile());
    const Transform transform(target ? cmsCreateTransform(profile.get(), inkStored ? TYPE_CMYK_8 : TYPE_CMYK_8_REV,
                                                          target.get(), TYPE_BGR_8, INTENT_PERCEPTUAL, 0)
                                     : nullptr);
    if (!transform) {
        return nullptr;
    }
    const unsigned width = FreeImage_GetWidth(cmyk);
    const unsigned height = FreeImage_GetHeight(cmyk);
    FreeImageBitmap rgb(FreeImage_Allocate(int(width), int(height), 24));
    for (unsigned y = 0; rgb && y < height; ++y) {
        cmsDoTransform(transform.get(), FreeImage_GetScanLine(cmyk, int(y)), FreeImage_GetScanLine(rgb.get(), int(y)),
                       width);
    }
    return rgb;
}
