#include "imagereader/helper/JpegPassThrough.h"

#include "imagereader/helper/ColourConversion.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

// A C header; jpeglib.h needs stdio first.
#include <jpeglib.h>

namespace {

constexpr unsigned kBaselineFrame = 0xc0;
constexpr unsigned kExtendedFrame = 0xc1;
constexpr unsigned kProgressiveFrame = 0xc2;

unsigned big16(const unsigned char* p)
{
    return unsigned(p[0]) << 8 | p[1];
}

bool startsWith(const unsigned char* body, std::size_t length, const char* text, std::size_t textLength)
{
    return length >= textLength && std::memcmp(body, text, textLength) == 0;
}

struct IccChunk
{
    unsigned number = 0; // 1 to count
    unsigned count = 0;
    const unsigned char* data = nullptr;
    std::size_t length = 0;
};

// What a JPEG file's markers say, from its start to its end of image.
struct Markers
{
    unsigned frame = 0; // the SOF marker
    int precision = 0;
    int width = 0;
    int height = 0;
    int components = 0;
    bool adobe = false;
    int adobeTransform = 0;
    std::vector<IccChunk> icc; // before the first scan, where readers look for them
    std::size_t end = 0;       // just past the end-of-image marker
};

// Where the coded data of a scan that starts at `at` ends: at the 0xff of the marker after it (a stuffed 0xff00 and
// the restart markers belong to the data), or at the file's end.
std::size_t scanEnd(const unsigned char* data, std::size_t size, std::size_t at)
{
    while (at < size) {
        const void* found = std::memchr(data + at, 0xff, size - at);
        if (found == nullptr) {
            return size;
        }
        std::size_t next = std::size_t(static_cast<const unsigned char*>(found) - data) + 1;
        while (next < size && data[next] == 0xff) { // fill bytes
            ++next;
        }
        if (next >= size) {
            return size;
        }
        if (data[next] != 0 && (data[next] < 0xd0 || data[next] > 0xd7)) {
            return next - 1;
        }
        at = next + 1;
    }
    return size;
}

// The file's markers, the coded data of every scan walked over; nothing when it holds what is not passed on unchanged:
// a frame of another kind or a second one, arithmetic coding's conditioning, any marker but tables, restart intervals,
// comments and application segments between them, an ICC chunk or Adobe segment too short for every reader to read it
// alike, a second Adobe segment or one after the first scan, or no end of image.
std::optional<Markers> walkMarkers(const std::vector<unsigned char>& file)
{
    const unsigned char* data = file.data();
    const std::size_t size = file.size();
    if (size < 4 || data[0] != 0xff || data[1] != 0xd8) {
        return std::nullopt;
    }
    Markers markers;
    bool scanned = false;
    std::size_t at = 2;
    for (;;) {
        if (at >= size || data[at] != 0xff) {
            return std::nullopt;
        }
        while (at < size && data[at] == 0xff) {
            ++at;
        }
        if (at >= size) {
            return std::nullopt;
        }
        const unsigned marker = data[at++];
        if (marker == 0xd9) { // end of image
            markers.end = at;
            break;
        }
        if (size - at < 2) {
            return std::nullopt;
        }
        const std::size_t length = big16(data + at);
        if (length < 2 || length > size - at) {
            return std::nullopt;
        }
        const unsigned char* body = data + at + 2;
        const std::size_t bodyLength = length - 2;
        at += length;
        if (marker == kBaselineFrame || marker == kExtendedFrame || marker == kProgressiveFrame) {
            if (markers.frame != 0 || bodyLength < 6) {
                return std::nullopt;
            }
            markers.frame = marker;
            markers.precision = body[0];
            markers.height = int(big16(body + 1));
            markers.width = int(big16(body + 3));
            markers.components = body[5];
        } else if (marker == 0xda) { // start of scan
            if (markers.frame == 0) {
                return std::nullopt;
            }
            scanned = true;
            at = scanEnd(data, size, at);
        } else if (marker == 0xe2 && startsWith(body, bodyLength, "ICC_PROFILE", 12)) {
            // "ICC_PROFILE\0", the chunk's number and the count of chunks, then its part of the profile.
            if (bodyLength < 14) {
                return std::nullopt;
            }
            if (!scanned) {
                markers.icc.push_back({body[12], body[13], body + 14, bodyLength - 14});
            }
        } else if (marker == 0xee && startsWith(body, bodyLength, "Adobe", 5)) {
            // "Adobe", version, two flag words, then the colour transform.
            if (bodyLength < 12 || scanned || markers.adobe) {
                return std::nullopt;
            }
            markers.adobe = true;
            markers.adobeTransform = body[11];
        } else if (!(marker >= 0xe0 && marker <= 0xef) && marker != 0xc4 && marker != 0xdb && marker != 0xdd &&
                   marker != 0xfe) {
            // Anything but application segments, Huffman and quantisation tables, restart intervals and comments.
            return std::nullopt;
        }
    }
    if (markers.frame == 0 || !scanned) {
        return std::nullopt;
    }
    return markers;
}

// A whole set of ICC chunks as one profile, in the order of their numbers (empty for no chunks); nothing when the set
// is not whole: a number missing, repeated or beyond the count, counts that differ, or no data in them at all.
std::optional<std::vector<unsigned char>> assembledProfile(const std::vector<IccChunk>& chunks)
{
    std::vector<unsigned char> profile;
    if (chunks.empty()) {
        return profile;
    }
    const unsigned count = chunks.front().count;
    if (count == 0 || chunks.size() != count) {
        return std::nullopt;
    }
    std::vector<const IccChunk*> ordered(count, nullptr);
    for (const IccChunk& chunk : chunks) {
        if (chunk.count != count || chunk.number == 0 || chunk.number > count || ordered[chunk.number - 1] != nullptr) {
            return std::nullopt;
        }
        ordered[chunk.number - 1] = &chunk;
    }
    for (const IccChunk* chunk : ordered) {
        profile.insert(profile.end(), chunk->data, chunk->data + chunk->length);
    }
    if (profile.empty()) {
        return std::nullopt;
    }
    return profile;
}

struct ErrorManager
{
    jpeg_error_mgr manager; // first: libjpeg hands back its address
    std::jmp_buf jump;
};

[[noreturn]] void stopDecoding(j_common_ptr decoder)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(decoder->err)->jump, 1);
}

// libjpeg warns where it fills in missing data or skips damaged data: a warning ends the decoding too.
void onMessage(j_common_ptr decoder, int level)
{
    if (level < 0) {
        stopDecoding(decoder);
    }
}

void keepQuiet(j_common_ptr /*decoder*/) {}

// What libjpeg made of the file's header.
struct LibjpegHeader
{
    int width = 0;
    int height = 0;
    int components = 0;
    int precision = 0;
    bool arithmetic = false;
    bool progressive = false;
    J_COLOR_SPACE colourSpace = JCS_UNKNOWN;
    bool adobe = false;
    int adobeTransform = 0;
};

// Decodes the whole file at an eighth of its size: that leaves out most of the inverse DCT, not a bit of the Huffman
// decoding, where damage and a file that ends early show (libjpeg warns the same at every scale). False when libjpeg
// failed or had anything to say.
bool decodesCleanly(const std::vector<unsigned char>& file, LibjpegHeader* header)
{
    jpeg_decompress_struct decoder{};
    ErrorManager errors{};
    decoder.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = &stopDecoding;
    errors.manager.emit_message = &onMessage;
    errors.manager.output_message = &keepQuiet;
    jpeg_create_decompress(&decoder);
    // Nothing between here and the jump back holds anything to release but the decoder: its row is its own memory.
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&decoder);
        return false;
    }
    jpeg_mem_src(&decoder, file.data(), static_cast<unsigned long>(file.size()));
    (void)jpeg_read_header(&decoder, TRUE);
    header->width = int(decoder.image_width);
    header->height = int(decoder.image_height);
    header->components = decoder.num_components;
    header->precision = decoder.data_precision;
    header->arithmetic = decoder.arith_code != FALSE;
    header->progressive = decoder.progressive_mode != FALSE;
    header->colourSpace = decoder.jpeg_color_space;
    header->adobe = decoder.saw_Adobe_marker != FALSE;
    header->adobeTransform = decoder.Adobe_transform;
    decoder.scale_num = 1;
    decoder.scale_denom = 8;
    decoder.dct_method = JDCT_IFAST;
    decoder.do_fancy_upsampling = FALSE;
    decoder.do_block_smoothing = FALSE;
    (void)jpeg_start_decompress(&decoder);
    JSAMPARRAY row = (*decoder.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&decoder), JPOOL_IMAGE,
                                                  decoder.output_width * JDIMENSION(decoder.output_components), 1);
    bool whole = true;
    while (whole && decoder.output_scanline < decoder.output_height) {
        whole = jpeg_read_scanlines(&decoder, row, 1) == 1;
    }
    // Reads on to the end of image: a file cut short after its last row is warned about here.
    whole = whole && jpeg_finish_decompress(&decoder) != FALSE;
    jpeg_destroy_decompress(&decoder);
    return whole;
}

} // namespace

std::optional<KeptJpeg> keptJpeg(const std::vector<unsigned char>& file)
{
    const std::optional<Markers> markers = walkMarkers(file);
    if (!markers || markers->precision != 8 ||
        (markers->components != 1 && markers->components != 3 && markers->components != 4)) {
        return std::nullopt;
    }
    // A broken set of chunks, or a profile of other colours than the pixels', would be a different picture in one
    // reader than in another, and differ from the picture this program decodes; such a file is decoded.
    std::optional<std::vector<unsigned char>> profile = assembledProfile(markers->icc);
    if (!profile || (!profile->empty() && !profileFitsComponents(*profile, markers->components))) {
        return std::nullopt;
    }
    LibjpegHeader header;
    if (!decodesCleanly(file, &header)) {
        return std::nullopt;
    }
    // A PDF reader decides the colours from the Adobe segment, and without one takes three components for YCbCr and
    // four for CMYK; libjpeg (and so this program's decoding) must have decided alike.
    const bool transformed = markers->components == 3 ? !markers->adobe || markers->adobeTransform != 0
                                                      : markers->adobe && markers->adobeTransform != 0;
    const J_COLOR_SPACE colours = markers->components == 1   ? JCS_GRAYSCALE
                                  : markers->components == 3 ? (transformed ? JCS_YCbCr : JCS_RGB)
                                                             : (transformed ? JCS_YCCK : JCS_CMYK);
    if (header.width != markers->width || header.height != markers->height || header.width < 1 || header.height < 1 ||
        header.components != markers->components || header.precision != 8 || header.arithmetic ||
        header.progressive != (markers->frame == kProgressiveFrame) || header.adobe != markers->adobe ||
        (header.adobe && header.adobeTransform != markers->adobeTransform) || header.colourSpace != colours) {
        return std::nullopt;
    }
    KeptJpeg kept;
    kept.width = header.width;
    kept.height = header.height;
    kept.components = header.components;
    // Adobe's programs store CMYK as 255 minus the ink and mark their files with this segment; other CMYK files hold
    // the ink itself. libjpeg's users read them so (this helper's own decoding too), and the page must show the same.
    kept.inkInverted = kept.components == 4 && markers->adobe;
    kept.iccProfile = std::move(*profile);
    kept.length = markers->end;
    return kept;
}

int turnedOrientation(int orientation, int quarterTurns)
{
    // Each orientation as a mirror left to right (or none) followed by quarter turns clockwise.
    constexpr int kMirrored[9] = {0, 0, 1, 0, 1, 1, 0, 1, 0};
    constexpr int kTurns[9] = {0, 0, 0, 2, 2, 3, 1, 1, 3};
    constexpr int kOrientation[2][4] = {{1, 6, 3, 8}, {2, 7, 4, 5}};
    const int from = orientation >= 1 && orientation <= 8 ? orientation : 1;
    return kOrientation[kMirrored[from]][(kTurns[from] + quarterTurns % 4 + 4) % 4];
}
