#pragma once

// What the program and its image-reading helper (pagewell-imagereader) say to each other, and the code both ends
// send and receive it with, in the frames of helperprocess/Framing.h. Plain C++: the helper links neither Qt nor
// anything else of the program.
//
// The program opens the user's file (and the file to write) itself and hands the open descriptors over a local
// socket with each request; the helper never opens a file, so its sandbox can deny every path. One request at a
// time, one reply each, carrying the number of the request it answers; a helper serves requests until its socket
// closes.

#include <cstdint>

namespace imagereader {

// Changes whenever the layout of a request, a reply or an output changes.
inline constexpr std::uint32_t kProtocolMagic = 0x50575236; // "PWR6"

// The helper's end of the socket, set up by the program before it starts the helper.
inline constexpr int kSocketDescriptor = 3;

// Limits, chosen so that any photo or scan a person makes passes, and a header that claims more is refused
// before any pixel is decoded.
inline constexpr std::int64_t kMaxPixels = 250'000'000;       // about a 19,000 x 13,000 scan
inline constexpr int kMaxSide = 65500;                        // JPEG's limit; the page's image is a JPEG
inline constexpr std::int64_t kMaxDecodedBytes = 1LL << 30;   // the decoded picture as FreeImage holds it
inline constexpr std::int64_t kMemoryBudgetBytes = 5LL << 29; // 2.5 GiB: a decoded picture plus one converted copy
inline constexpr int kCpuLimitSeconds = 300;                  // for the helper's whole life; restarted before
inline constexpr int kCpuReserveSeconds = 60;                 // ... it has less than this left for an image
inline constexpr int kDefaultTimeoutSeconds = 30;             // wall clock for one image
inline constexpr int kMaxPreviewSide = 4096;

// Decoding costs by the pixel and by the coded piece, whatever the file's size. Beyond kPixelsFromAnyFile, a picture's
// bytes as its decoder holds them may be at most kMaxBytesPerFileByte times its file's size: one that compresses
// better than that is all but one colour (PNG's deflate cannot go past about 1,030 times). A phone's HEIC is a grid of
// 48 tiles, and a 250-megapixel picture of 512 x 512 tiles has fewer than 1,000; each tile costs a decoder of its own,
// and libheif's reading of a file's boxes grows with the square of the number of its items.
inline constexpr std::int64_t kPixelsFromAnyFile = 64'000'000;
inline constexpr std::int64_t kMaxBytesPerFileByte = 512;
inline constexpr std::int64_t kMaxCodedPictures = 1024; // the tiles of a HEIF or AVIF picture, with its alpha's
inline constexpr std::int64_t kMaxHeifItems = 2048;     // a HEIF or AVIF file's items: pictures, tiles, metadata

enum class Mode : std::uint32_t
{
    Page = 1,    // decode, upright, 8 bits per channel, transparency over white; write a page picture (PageBitmap.h)
    Preview = 2, // the same picture scaled to fit maxWidth x maxHeight; write a PreviewHeader and 32-bit rows
};

enum class Status : std::uint32_t
{
    Ok = 0,
    NotAnImage,  // no format of the extension table recognises the content (detail: the format it is, if known)
    Damaged,     // the reader failed or complained, or the file ends before its picture (detail: what was seen)
    TooLarge,    // the header claims more pixels than the limits allow (detail says what it claims)
    NoMemory,    // the reader ran out of the memory it may use
    WriteFailed, // the output could not be written (error: errno)
    BadRequest,  // the request itself was malformed; the last status: any other is a malformed reply
};

struct Request
{
    std::uint32_t magic = kProtocolMagic;
    std::uint32_t number = 0; // repeated by the reply
    Mode mode = Mode::Page;
    std::uint32_t maxWidth = 0;     // Preview only
    std::uint32_t maxHeight = 0;    // Preview only
    std::uint32_t quarterTurns = 0; // clockwise, 0 to 3, once the file's own orientation is settled
    std::uint32_t keepOriginal = 0; // Page only, 1: a JPEG fit to be kept is answered with its facts, not decoded
    char fileName[256] = {};        // the name only, for the extension table; zero-terminated
};

struct Reply
{
    std::uint32_t magic = kProtocolMagic;
    std::uint32_t number = 0; // of the request answered
    Status status = Status::Ok;
    std::int32_t width = 0; // of the picture written
    std::int32_t height = 0;
    std::int32_t error = 0;    // errno of a failed write
    std::uint32_t sandbox = 0; // the sandbox features in force in the helper (SandboxFeature bits)
    double cpuSeconds = 0;     // used by the helper so far
    double resolutionX = 0;    // pixels per inch the file states across the picture written, as it was turned;
    double resolutionY = 0;    // ... and down it; 0 when it states none
    // A JPEG kept as it is (asked by keepOriginal): its own data is the page's picture, and nothing but its colour
    // profile is written. Width and height are then as stored, before its orientation.
    std::uint32_t original = 0;     // 1 when so
    std::int32_t components = 0;    // of that JPEG: 1, 3 or 4
    std::int32_t orientation = 1;   // how it stands upright (EXIF, 1 to 8), the request's turns included
    std::uint32_t inkInverted = 0;  // 1: CMYK stored as 255 - ink, as Adobe's files keep it
    std::uint32_t profileBytes = 0; // its ICC profile, at the start of the output; 0 when it has none. A page's
                                    // picture kept in its own colours has its profile right after it
    std::uint64_t dataBytes = 0;    // its own data: the file's first bytes, to its end-of-image marker
    char format[16] = {};           // the format the content was read as, e.g. "PNG"
    char detail[480] = {};          // zero-terminated plain words
};

// At the start of a preview's output; 32-bit pixels (0xffRRGGBB in native byte order), top row first, follow.
struct PreviewHeader
{
    std::uint32_t magic = kProtocolMagic;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t reserved = 0;
};

enum class Received
{
    Message,    // one whole message of the right kind
    NothingYet, // a socket that does not wait has nothing to read
    Closed,     // the other end is gone
    Malformed,  // something arrived that is not such a message (descriptors it carried are closed)
};

// Sends a request with the image to read and the file to write.
[[nodiscard]] bool sendRequest(int socket, const Request& request, int inputFd, int outputFd);
// Waits for one request and its two descriptors (close-on-exec). A malformed request keeps what could be read of
// it (its number, for the answer) and its descriptors are closed.
[[nodiscard]] Received receiveRequest(int socket, Request* request, int* inputFd, int* outputFd);
[[nodiscard]] bool sendReply(int socket, const Reply& reply);
// Takes one reply if one is there, without waiting. Any descriptor that came with it is closed, and the reply is
// then malformed: a reply never carries one; so is one with a status this side does not know. Its texts come back
// zero-terminated.
[[nodiscard]] Received receiveReply(int socket, Reply* reply);

} // namespace imagereader
