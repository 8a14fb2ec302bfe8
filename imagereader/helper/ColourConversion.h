#pragma once

#include "imagereader/helper/FreeImageBitmap.h"

#include <optional>
#include <vector>

// The colour space a decoded picture's pixels are in, as its file describes it. Pictures leave the reader in sRGB:
// convertToSrgb() brings them there with littleCMS (perceptual intent). A file that says nothing is taken for sRGB.
struct ColourSource
{
    enum class Transfer
    {
        Srgb,
        Bt709, // also BT.601 and BT.2020's, which share its curve
        Gamma, // a pure power law, `gamma` as the exponent that decodes
    };
    struct Chromaticities
    {
        double whiteX = 0.3127, whiteY = 0.3290;
        double redX = 0, redY = 0, greenX = 0, greenY = 0, blueX = 0, blueY = 0;
    };

    // An embedded ICC profile; it wins over everything below.
    std::vector<unsigned char> icc;
    // A space given by its primaries and transfer (PNG's cHRM and gAMA, HEIF's nclx).
    std::optional<Chromaticities> primaries;
    Transfer transfer = Transfer::Srgb;
    double gamma = 2.2;
    // PNG's gAMA alone: the file's gamma (0.45455 for 1/2.2), shown on a display of gamma 2.2 as PNG readers do.
    double pngFileGamma = 0;

    [[nodiscard]] bool saysNothing() const { return icc.empty() && !primaries && pngFileGamma <= 0; }
};

// Converts an 8-bit-per-channel picture (24 or 32 bits, or up to 8 bits with a palette) in place to sRGB, alpha
// untouched. A profile that cannot be read, that is hostile or that does not fit the pixels (a CMYK profile on RGB
// pixels, say) is ignored: the pixels are then taken for sRGB as they are.
void convertToSrgb(FIBITMAP* bitmap, const ColourSource& source);

// A 32-bit CMYK picture (bytes C, M, Y, K; `inkStored`: 255 is full ink, otherwise 255 is no ink) through its CMYK
// profile to 24-bit sRGB; nothing when the profile is not a usable CMYK one.
[[nodiscard]] FreeImageBitmap cmykThroughProfile(FIBITMAP* cmyk, bool inkStored, const ColourSource& source);

// Whether littleCMS reads the profile as one that describes a device's or a colour space's grey (1 component), RGB (3)
// or CMYK (4) colours, as a picture of that many components may carry it.
[[nodiscard]] bool profileFitsComponents(const std::vector<unsigned char>& icc, int components);

// Keeps littleCMS's complaints about broken profiles to itself; once, at start.
void initialiseColourConversion();
