#pragma once

// What the program and its image-reading helper (pagewell-imagereader) say to each other. Plain C++: the helper
// links neither Qt nor anything else of the program.
//
// The program opens the user's file (and the file to write) itself and hands the open descriptors over a local
// socket with each request; the helper never opens a file, so its sandbox can deny every path. One request at a
// time, one reply each; a helper serves requests until its socket closes.

#include <cstdint>

namespace imagereader {

inline constexpr std::uint32_t protocolMagic = 0x50575231; // "PWR1"

// The helper's end of the socket, set up by the program before it starts the helper.
inline constexpr int socketDescriptor = 3;

// Limits, chosen so that any photo or scan a person makes passes, and a header that claims more is refused
// before any pixel is decoded.
inline constexpr std::int64_t maxPixels = 250'000'000;       // about a 19,000 x 13,000 scan
inline constexpr int maxSide = 65500;                        // JPEG's limit; the page's image is a JPEG
inline constexpr std::int64_t maxDecodedBytes = 1LL << 30;   // the decoded picture as FreeImage holds it
inline constexpr std::int64_t memoryBudgetBytes = 5LL << 29; // 2.5 GiB: a decoded picture plus one converted copy
inline constexpr int cpuLimitSeconds = 300;                  // for the helper's whole life; restarted before
inline constexpr int cpuReserveSeconds = 60;                 // ... it has less than this left for an image
inline constexpr int defaultTimeoutSeconds = 30;             // wall clock for one image
inline constexpr int maxPreviewSide = 4096;

enum class Mode : std::uint32_t
{
    Page = 1,    // decode, upright, 8 bits per channel, transparency over white; write a BMP file
    Preview = 2, // the same picture scaled to fit maxWidth x maxHeight; write a PreviewHeader and 32-bit rows
};

enum class Status : std::uint32_t
{
    Ok = 0,
    NotAnImage,  // no format of the extension table recognises the content (detail: the format it is, if known)
    Damaged,     // the reader failed or complained (detail: the reader's words)
    TooLarge,    // the header claims more pixels than the limits allow (detail says what it claims)
    NoMemory,    // the reader ran out of the memory it may use
    WriteFailed, // the output could not be written (error: errno)
    BadRequest,  // the request itself was malformed
};

struct Request
{
    std::uint32_t magic = protocolMagic;
    Mode mode = Mode::Page;
    std::uint32_t maxWidth = 0;  // Preview only
    std::uint32_t maxHeight = 0; // Preview only
    char fileName[256] = {};     // the name only, for the extension table; zero-terminated
};

struct Reply
{
    std::uint32_t magic = protocolMagic;
    Status status = Status::Ok;
    std::int32_t width = 0; // of the picture written
    std::int32_t height = 0;
    std::int32_t error = 0;    // errno of a failed write
    std::uint32_t sandbox = 0; // the sandbox features in force in the helper (SandboxFeature bits)
    double cpuSeconds = 0;     // used by the helper so far
    char format[16] = {};      // the format the content was read as, e.g. "PNG"
    char detail[480] = {};     // zero-terminated plain words
};

// At the start of a preview's output; 32-bit pixels (0xffRRGGBB in native byte order), top row first, follow.
struct PreviewHeader
{
    std::uint32_t magic = protocolMagic;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t reserved = 0;
};

} // namespace imagereader
