#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class FdStream;

// What a file's own header says, read without FreeImage: for the formats whose FreeImage reader cannot stop after
// the header, and for the JPEG facts FreeImage does not report. Every read is bounded, whatever the file holds.

struct ClaimedSize
{
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// A GIF's largest claim: its logical screen or any image of its first frame's descriptor.
[[nodiscard]] std::optional<ClaimedSize> gifClaimedSize(const FdStream& file);

// An IFF (ILBM or PBM) picture's size from its BMHD chunk.
[[nodiscard]] std::optional<ClaimedSize> iffClaimedSize(const FdStream& file);

// Whether a PCX file holds all the pixel data its header promises (and, for 256 colours, the palette at its end).
// Its reader reads ahead and fills what is missing, so the file's end says nothing by itself.
[[nodiscard]] bool pcxPixelDataComplete(const FdStream& file);

// What the first directory of a TIFF structure (a TIFF file, or an EXIF block) says of its picture; what it does not
// say, or says in a way that cannot be read, stays as here.
struct TiffFacts
{
    int orientation = 1;    // 1 to 8, as EXIF numbers them
    double xResolution = 0; // pixels per resolution unit; 0 when not stated
    double yResolution = 0;
    int resolutionUnit = 2; // 1 none (an aspect only), 2 inch, 3 centimetre
};
// `bytes` copies the structure's bytes from an offset (its header is at 0) and returns how many it had, which is
// fewer where the structure ends. Reads the directory in one piece and each value it points at in one more.
using TiffBytes = std::function<std::size_t(std::int64_t offset, unsigned char* buffer, std::size_t size)>;
[[nodiscard]] TiffFacts readTiffFacts(const TiffBytes& bytes);

// The same of an EXIF block in memory, with or without the "Exif\0\0" that precedes it in JPEG files.
[[nodiscard]] TiffFacts exifFacts(const unsigned char* exif, std::size_t length);

// The orientation (1 to 8) an EXIF block gives its picture, 1 when it gives none or cannot be read.
[[nodiscard]] int exifOrientation(const unsigned char* exif, std::size_t length);

// The number of colour components, whether Adobe's marker is there, JFIF's density and what the first EXIF block
// says, from the markers before the first scan; a file too broken to say gives zeros (and orientation 1). Reads at
// most a few megabytes, in blocks.
struct JpegFacts
{
    int components = 0;
    bool adobeMarker = false;
    int jfifUnit = 0; // of the first JFIF segment's density: 0 only the pixels' aspect, 1 dots per inch, 2 per cm
    unsigned jfifX = 0;
    unsigned jfifY = 0;
    TiffFacts exif;
};
[[nodiscard]] JpegFacts readJpegFacts(const FdStream& file);

// What a HEIF or AVIF file's boxes say of the work of reading its primary picture, before libheif reads them.
// Counts stop soon past kMostHeifPiecesCounted.
inline constexpr std::int64_t kMostHeifPiecesCounted = 256 * 256; // a grid's most tiles
struct HeifPieces
{
    // The longest of its lists of items: their descriptions, locations, properties and references.
    std::int64_t items = 0;
    // The coded pictures decoded for the primary picture: the tiles of a grid (or the layers of an overlay), through
    // every image it is derived from, and those of its auxiliary pictures such as its alpha; 1 for one coded piece.
    std::int64_t tiles = 1;
};
[[nodiscard]] HeifPieces readHeifPieces(const unsigned char* file, std::size_t length);

// What a PNG file's chunks before its pixels say about its colours.
struct PngColourFacts
{
    bool srgb = false;              // an sRGB chunk
    bool iccProfile = false;        // an iCCP chunk
    std::vector<unsigned char> icc; // its profile, inflated; empty when it cannot be
    std::uint32_t gamma = 0;        // gAMA, times 100000; 0 when absent
    bool chromaticities = false;
    std::uint32_t chrm[8] = {}; // cHRM: white x, y, red x, y, green x, y, blue x, y, each times 100000
};
[[nodiscard]] PngColourFacts readPngColourFacts(const FdStream& file);
