#include "imagereader/helper/HeaderFacts.h"

#include "imagereader/helper/FdStream.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string_view>

#include <vector>
#include <zlib.h>

namespace {

// JPEG headers before the first scan (thumbnails and colour profiles included) fit comfortably in this.
constexpr std::int64_t kJpegHeaderLimit = 8 * 1024 * 1024;
constexpr int kMaxChunks = 4096;

unsigned big16(const unsigned char* p)
{
    return unsigned(p[0]) << 8 | p[1];
}

std::uint32_t big32(const unsigned char* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

unsigned little16(const unsigned char* p)
{
    return unsigned(p[0]) | unsigned(p[1]) << 8;
}

std::uint32_t little32(const unsigned char* p)
{
    return std::uint32_t(little16(p)) | std::uint32_t(little16(p + 2)) << 16;
}

// Reads a file forward in blocks, one byte at a time for the caller.
class ByteReader
{
public:
    ByteReader(const FdStream& file, std::int64_t start, std::int64_t limit)
        : m_file(file), m_position(start), m_limit(limit)
    {
    }
    bool next(unsigned char* c)
    {
        if (m_index == m_block.size()) {
            if (m_position >= m_limit) {
                return false;
            }
            m_block.resize(64 * 1024);
            m_block.resize(m_file.readAt(m_position, m_block.data(), m_block.size()));
            m_position += std::int64_t(m_block.size());
            m_index = 0;
            if (m_block.empty()) {
                return false;
            }
        }
        *c = m_block[m_index++];
        return true;
    }
    bool read(unsigned char* out, std::size_t n)
    {
        for (std::size_t i = 0; i < n; ++i) {
            if (!next(out + i)) {
                return false;
            }
        }
        return true;
    }
    bool skip(std::int64_t n)
    {
        const auto buffered = std::int64_t(m_block.size() - m_index);
        if (n <= buffered) {
            m_index += std::size_t(n);
            return true;
        }
        m_position += n - buffered;
        m_index = m_block.size();
        return m_position <= m_limit;
    }

private:
    const FdStream& m_file;
    std::int64_t m_position;
    std::int64_t m_limit;
    std::vector<unsigned char> m_block;
    std::size_t m_index = 0;
};

} // namespace

std::optional<ClaimedSize> gifClaimedSize(const FdStream& file)
{
    ByteReader in(file, 0, file.size());
    std::array<unsigned char, 13> header{};
    if (!in.read(header.data(), header.size())) {
        return std::nullopt;
    }
    ClaimedSize size{little16(&header[6]), little16(&header[8])};
    if ((header[10] & 0x80) != 0 && !in.skip(3LL << ((header[10] & 7) + 1))) {
        return size;
    }
    // The first image descriptor, past any extensions.
    for (int blocks = 0; blocks < kMaxChunks; ++blocks) {
        unsigned char kind = 0;
        if (!in.next(&kind)) {
            return size;
        }
        if (kind == 0x2c) {
            std::array<unsigned char, 8> descriptor{};
            if (in.read(descriptor.data(), descriptor.size())) {
                size.width = std::max<std::int64_t>(size.width, little16(&descriptor[0]) + little16(&descriptor[4]));
                size.height = std::max<std::int64_t>(size.height, little16(&descriptor[2]) + little16(&descriptor[6]));
            }
            return size;
        }
        if (kind != 0x21) {
            return size;
        }
        unsigned char label = 0;
        unsigned char length = 0;
        if (!in.next(&label)) {
            return size;
        }
        while (in.next(&length) && length != 0) {
            if (!in.skip(length)) {
                return size;
            }
        }
    }
    return size;
}

std::optional<ClaimedSize> iffClaimedSize(const FdStream& file)
{
    std::array<unsigned char, 12> form{};
    if (file.readAt(0, form.data(), form.size()) != form.size()) {
        return std::nullopt;
    }
    std::int64_t offset = 12;
    for (int chunks = 0; chunks < kMaxChunks; ++chunks) {
        std::array<unsigned char, 12> chunk{};
        if (file.readAt(offset, chunk.data(), chunk.size()) < 12) {
            return std::nullopt;
        }
        const std::uint32_t length = big32(&chunk[4]);
        if (chunk[0] == 'B' && chunk[1] == 'M' && chunk[2] == 'H' && chunk[3] == 'D') {
            return ClaimedSize{big16(&chunk[8]), big16(&chunk[10])};
        }
        offset += 8 + std::int64_t(length) + (length & 1);
    }
    return std::nullopt;
}

bool pcxPixelDataComplete(const FdStream& file)
{
    constexpr std::int64_t kHeaderSize = 128;
    constexpr std::int64_t kPaletteSize = 769; // a marker byte, then 256 colours
    std::array<unsigned char, kHeaderSize> header{};
    const std::int64_t size = file.size();
    if (file.readAt(0, header.data(), header.size()) != header.size()) {
        return false;
    }
    const std::int64_t height = std::int64_t(little16(&header[10])) - little16(&header[6]) + 1;
    const std::int64_t needed = std::int64_t(header[65]) * little16(&header[66]) * height;
    std::int64_t end = size;
    if (header[1] == 5 && header[3] == 8 && header[65] == 1) {
        unsigned char marker = 0;
        if (size < kHeaderSize + kPaletteSize || file.readAt(size - kPaletteSize, &marker, 1) != 1 || marker != 12) {
            return false;
        }
        end = size - kPaletteSize;
    }
    if (header[2] != 1) {
        return end - kHeaderSize >= needed;
    }
    ByteReader in(file, kHeaderSize, end);
    std::int64_t decoded = 0;
    std::int64_t left = end - kHeaderSize;
    unsigned char c = 0;
    // A byte of 0xc0 and up is a run of (byte & 0x3f) copies of the next byte; any other byte stands for itself.
    while (decoded < needed && left > 0 && in.next(&c)) {
        --left;
        if (c < 0xc0) {
            ++decoded;
            continue;
        }
        const int run = c & 0x3f;
        if (left == 0 || !in.next(&c)) {
            break;
        }
        --left;
        decoded += run;
    }
    return decoded >= needed;
}

JpegFacts readJpegFacts(const FdStream& file)
{
    JpegFacts facts;
    bool jfifSeen = false;
    bool exifSeen = false;
    ByteReader in(file, 0, kJpegHeaderLimit);
    unsigned char start[2] = {};
    if (!in.read(start, 2) || start[0] != 0xff || start[1] != 0xd8) {
        return facts;
    }
    for (;;) {
        unsigned char c = 0;
        do {
            if (!in.next(&c)) {
                return facts;
            }
        } while (c != 0xff);
        do {
            if (!in.next(&c)) {
                return facts;
            }
        } while (c == 0xff);
        const unsigned marker = c;
        if (marker == 0xda || marker == 0xd9) { // start of scan, end of image
            return facts;
        }
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) { // markers without a length
            continue;
        }
        unsigned char lengthBytes[2] = {};
        if (!in.read(lengthBytes, 2)) {
            return facts;
        }
        const unsigned length = big16(lengthBytes);
        if (length < 2) {
            return facts;
        }
        const bool frame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        const bool jfif = marker == 0xe0 && !jfifSeen;
        const bool exif = marker == 0xe1 && !exifSeen;
        if (marker == 0xee || frame || jfif || exif) {
            std::vector<unsigned char> body(length - 2);
            if (!in.read(body.data(), body.size())) {
                return facts;
            }
            if (marker == 0xee && body.size() >= 5 && std::equal(body.begin(), body.begin() + 5, "Adobe")) {
                facts.adobeMarker = true;
            }
            if (frame && body.size() >= 6) {
                facts.components = body[5];
            }
            // "JFIF\0", its version, then the density's unit, across and down.
            if (jfif && body.size() >= 12 && std::equal(body.begin(), body.begin() + 5, "JFIF")) {
                jfifSeen = true;
                facts.jfifUnit = body[7];
                facts.jfifX = big16(&body[8]);
                facts.jfifY = big16(&body[10]);
            }
            if (exif && body.size() >= 6 && std::equal(body.begin(), body.begin() + 6, "Exif\0\0")) {
                exifSeen = true;
                facts.exif = exifFacts(body.data(), body.size());
            }
        } else if (!in.skip(length - 2)) {
            return facts;
        }
    }
}

TiffFacts readTiffFacts(const TiffBytes& bytes)
{
    TiffFacts facts;
    unsigned char header[8] = {};
    if (bytes(0, header, sizeof header) != sizeof header) {
        return facts;
    }
    const bool little = header[0] == 'I' && header[1] == 'I';
    if (!little && !(header[0] == 'M' && header[1] == 'M')) {
        return facts;
    }
    const auto get16 = [little](const unsigned char* p) { return little ? little16(p) : big16(p); };
    const auto get32 = [little](const unsigned char* p) { return little ? little32(p) : big32(p); };
    if (get16(header + 2) != 42) { // BigTIFF's 43 lays its directories out otherwise
        return facts;
    }
    const std::int64_t directory = get32(header + 4);
    unsigned char count[2] = {};
    if (bytes(directory, count, sizeof count) != sizeof count) {
        return facts;
    }
    // At most 65,535 entries of 12 bytes; those the structure cuts off are not there.
    std::vector<unsigned char> entries(std::size_t(get16(count)) * 12);
    entries.resize(bytes(directory + 2, entries.data(), entries.size()) / 12 * 12);
    // A number held in an entry: a SHORT or LONG in the entry itself, a RATIONAL where the entry points.
    const auto number = [&](const unsigned char* entry) -> double {
        const unsigned type = get16(entry + 2);
        if (type == 3 || type == 4) {
            return type == 3 ? get16(entry + 8) : get32(entry + 8);
        }
        unsigned char rational[8] = {};
        if (type != 5 || bytes(get32(entry + 8), rational, sizeof rational) != sizeof rational) {
            return 0;
        }
        const std::uint32_t denominator = get32(rational + 4);
        return denominator == 0 ? 0 : double(get32(rational)) / denominator;
    };
    for (std::size_t at = 0; at < entries.size(); at += 12) {
        const unsigned char* entry = &entries[at];
        switch (get16(entry)) {
        case 0x0112: { // Orientation, a SHORT held in the entry itself
            const unsigned value = get16(entry + 8);
            facts.orientation = value >= 1 && value <= 8 ? int(value) : 1;
            break;
        }
        case 0x011a: // XResolution
            facts.xResolution = number(entry);
            break;
        case 0x011b: // YResolution
            facts.yResolution = number(entry);
            break;
        case 0x0128: // ResolutionUnit
            facts.resolutionUnit = int(get16(entry + 8));
            break;
        default:
            break;
        }
    }
    return facts;
}

TiffFacts exifFacts(const unsigned char* exif, std::size_t length)
{
    if (length >= 6 && std::equal(exif, exif + 6, "Exif\0\0")) {
        exif += 6;
        length -= 6;
    }
    return readTiffFacts([exif, length](std::int64_t offset, unsigned char* buffer, std::size_t size) -> std::size_t {
        if (offset < 0 || std::uint64_t(offset) >= length) {
            return 0;
        }
        const std::size_t copied = std::min(size, length - std::size_t(offset));
        std::memcpy(buffer, exif + offset, copied);
        return copied;
    });
}

int exifOrientation(const unsigned char* exif, std::size_t length)
{
    return exifFacts(exif, length).orientation;
}

namespace {

// Profiles larger than this are not a photo's (the colour conversion refuses them too).
constexpr std::size_t kMaxProfileBytes = 16u << 20;

// An iCCP chunk's profile: a name of up to 79 characters, a zero, the compression method 0, then zlib data.
std::vector<unsigned char> iccpProfile(const FdStream& file, std::int64_t offset, std::uint32_t length)
{
    if (length < 3 || length > kMaxProfileBytes) {
        return {};
    }
    std::vector<unsigned char> chunk(length);
    if (file.readAt(offset, chunk.data(), chunk.size()) != chunk.size()) {
        return {};
    }
    const auto nameEnd = std::find(chunk.begin(), chunk.begin() + std::min<std::size_t>(80, chunk.size()), 0);
    if (nameEnd == chunk.end() || nameEnd + 2 > chunk.end() || *(nameEnd + 1) != 0) {
        return {};
    }
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return {};
    }
    std::vector<unsigned char> profile(std::min<std::size_t>(kMaxProfileBytes, 4 * std::size_t(length) + 4096));
    stream.next_in = &*(nameEnd + 2);
    stream.avail_in = uInt(chunk.end() - (nameEnd + 2));
    int status = Z_OK;
    while (status == Z_OK) {
        if (stream.total_out == profile.size()) {
            if (profile.size() >= kMaxProfileBytes) {
                break;
            }
            profile.resize(std::min(kMaxProfileBytes, profile.size() * 2));
        }
        stream.next_out = profile.data() + stream.total_out;
        stream.avail_out = uInt(profile.size() - stream.total_out);
        status = inflate(&stream, Z_NO_FLUSH);
    }
    const std::size_t produced = stream.total_out;
    inflateEnd(&stream);
    if (status != Z_STREAM_END) {
        return {};
    }
    profile.resize(produced);
    return profile;
}

} // namespace

PngColourFacts readPngColourFacts(const FdStream& file)
{
    PngColourFacts facts;
    std::int64_t offset = 8;
    for (int chunks = 0; chunks < kMaxChunks; ++chunks) {
        std::array<unsigned char, 8 + 32> chunk{};
        const std::size_t got = file.readAt(offset, chunk.data(), chunk.size());
        if (got < 8) {
            return facts;
        }
        const std::uint32_t length = big32(&chunk[0]);
        const std::string_view type(reinterpret_cast<const char*>(&chunk[4]), 4);
        if (type == "IDAT" || type == "IEND") {
            return facts;
        }
        if (type == "sRGB") {
            facts.srgb = true;
        } else if (type == "iCCP") {
            facts.iccProfile = true;
            facts.icc = iccpProfile(file, offset + 8, length);
        } else if (type == "gAMA" && length == 4 && got >= 12) {
            facts.gamma = big32(&chunk[8]);
        } else if (type == "cHRM" && length == 32 && got >= 40) {
            facts.chromaticities = true;
            for (int i = 0; i < 8; ++i) {
                facts.chrm[i] = big32(&chunk[8 + 4 * std::size_t(i)]);
            }
        }
        offset += 12 + std::int64_t(length);
    }
    return facts;
}

namespace {

// Deeper than any file a camera or an encoder writes; a file that goes deeper (or round in a circle) is counted
// no further.
constexpr int kMaxDerivationDepth = 8;

constexpr std::uint32_t fourCc(const char (&code)[5])
{
    return std::uint32_t(std::uint8_t(code[0])) << 24 | std::uint32_t(std::uint8_t(code[1])) << 16 |
           std::uint32_t(std::uint8_t(code[2])) << 8 | std::uint8_t(code[3]);
}

// An ISO base media box: its type, where its contents start and where it ends.
struct Box
{
    std::uint32_t type = 0;
    std::size_t body = 0;
    std::size_t end = 0;
};

// The box that starts at `at` and ends by `limit`; nothing when there is none.
std::optional<Box> boxAt(const unsigned char* data, std::size_t at, std::size_t limit)
{
    if (at > limit || limit - at < 8) {
        return std::nullopt;
    }
    std::uint64_t size = big32(data + at);
    std::size_t header = 8;
    if (size == 1) {
        if (limit - at < 16) {
            return std::nullopt;
        }
        size = std::uint64_t(big32(data + at + 8)) << 32 | big32(data + at + 12);
        header = 16;
    } else if (size == 0) {
        size = limit - at;
    }
    if (size < header || size > limit - at) {
        return std::nullopt;
    }
    return Box{big32(data + at + 4), at + header, at + std::size_t(size)};
}

struct ItemReferences
{
    std::int64_t count = 0;                                          // of references, of every type
    std::map<std::uint32_t, std::vector<std::uint32_t>> derivedFrom; // dimg: item -> the items it is made of
    std::map<std::uint32_t, std::vector<std::uint32_t>> auxiliaryTo; // auxl: item -> the items it belongs to
};

// An iref box's references: each is its type, the item it is from, a count and the items it is to, in 16 or
// (version 1) 32 bits.
void readReferences(const unsigned char* data, const Box& iref, ItemReferences* references)
{
    if (iref.end - iref.body < 4) {
        return;
    }
    const std::size_t idBytes = data[iref.body] == 0 ? 2 : 4;
    const auto id = [&](std::size_t at) { return idBytes == 2 ? big16(data + at) : big32(data + at); };
    for (std::optional<Box> reference = boxAt(data, iref.body + 4, iref.end);
         reference && references->count <= kMostHeifPiecesCounted; reference = boxAt(data, reference->end, iref.end)) {
        ++references->count;
        auto* map = reference->type == fourCc("dimg")   ? &references->derivedFrom
                    : reference->type == fourCc("auxl") ? &references->auxiliaryTo
                                                        : nullptr;
        if (map == nullptr || reference->end - reference->body < idBytes + 2) {
            continue;
        }
        std::vector<std::uint32_t>& to = (*map)[id(reference->body)];
        const std::size_t count = big16(data + reference->body + idBytes);
        const std::size_t first = reference->body + idBytes + 2;
        for (std::size_t i = 0; i < count && first + (i + 1) * idBytes <= reference->end; ++i) {
            to.push_back(id(first + i * idBytes));
        }
    }
}

// Every reference is decoded on its own, even to an item already met. Each item counts at least once, so the
// count grows with every step and stops soon past the most counted.
std::int64_t codedPictures(const ItemReferences& references, std::uint32_t item, int depth)
{
    const auto parts = references.derivedFrom.find(item);
    if (parts == references.derivedFrom.end() || depth == kMaxDerivationDepth) {
        return 1;
    }
    std::int64_t count = 0;
    for (const std::uint32_t part : parts->second) {
        if (count > kMostHeifPiecesCounted) {
            break;
        }
        count += codedPictures(references, part, depth + 1);
    }
    return std::max<std::int64_t>(count, 1);
}

// The number of entries a full box's list says it has, after its version, flags and `skip` bytes: in 16 bits up to
// version `lastNarrow`, in 32 after it.
std::int64_t listLength(const unsigned char* data, const Box& box, std::size_t skip, int lastNarrow)
{
    const bool narrow = box.end - box.body >= 4 && int(data[box.body]) <= lastNarrow;
    if (box.end - box.body < 4 + skip + (narrow ? 2 : 4)) {
        return 0;
    }
    return narrow ? big16(data + box.body + 4 + skip) : big32(data + box.body + 4 + skip);
}

} // namespace

HeifPieces readHeifPieces(const unsigned char* file, std::size_t length)
{
    HeifPieces pieces;
    std::optional<Box> meta = boxAt(file, 0, length);
    while (meta && meta->type != fourCc("meta")) {
        meta = boxAt(file, meta->end, length);
    }
    if (!meta || meta->end - meta->body < 4) {
        return pieces;
    }
    std::optional<std::uint32_t> primary;
    ItemReferences references;
    for (std::optional<Box> box = boxAt(file, meta->body + 4, meta->end); box; box = boxAt(file, box->end, meta->end)) {
        std::int64_t items = 0;
        if (box->type == fourCc("pitm") && box->end - box->body >= 6) {
            const bool wide = file[box->body] != 0; // version 1: a 32-bit item number
            if (!wide || box->end - box->body >= 8) {
                primary = wide ? big32(file + box->body + 4) : big16(file + box->body + 4);
            }
        } else if (box->type == fourCc("iinf")) {
            items = listLength(file, *box, 0, 0);
        } else if (box->type == fourCc("iloc")) {
            items = listLength(file, *box, 2, 1); // after the sizes of its fields
        } else if (box->type == fourCc("ipma")) {
            items = listLength(file, *box, 0, -1);
        } else if (box->type == fourCc("iref")) {
            readReferences(file, *box, &references);
            items = references.count;
        }
        pieces.items = std::max(pieces.items, items);
    }
    if (!primary) {
        return pieces;
    }
    pieces.tiles = codedPictures(references, *primary, 0);
    for (const auto& [item, owners] : references.auxiliaryTo) {
        if (pieces.tiles > kMostHeifPiecesCounted) {
            break;
        }
        if (std::find(owners.begin(), owners.end(), *primary) != owners.end()) {
            pieces.tiles += codedPictures(references, item, 0);
        }
    }
    return pieces;
}
