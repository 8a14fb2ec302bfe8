#include "imagereader/helper/ImageDecoding.h"

#include "imagereader/format/FormatTable.h"
#include "imagereader/format/PageBitmap.h"
#include "imagereader/helper/ColourConversion.h"
#include "imagereader/helper/FdStream.h"
#include "imagereader/helper/FreeImageBitmap.h"
#include "imagereader/helper/HeaderFacts.h"
#include "imagereader/helper/HeifDecoder.h"
#include "imagereader/helper/JpegDecoder.h"
#include "imagereader/helper/JpegPassThrough.h"
#include "imagereader/helper/JpegXlDecoder.h"
#include "imagereader/helper/PagePicture.h"
#include "imagereader/helper/StatedResolution.h"
#include "imagereader/helper/WebpDecoder.h"

#include <FreeImage.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using imagereader::Reply;
using imagereader::Request;
using imagereader::Status;

namespace {

using Bitmap = FreeImageBitmap;

// What FreeImage's readers report while one file is read. A reader that complains has met damage: libjpeg goes
// on after missing data and fills the rest with grey, libtiff repeats earlier strips for missing ones.
std::vector<std::string>* s_messages = nullptr;

void DLL_CALLCONV collectMessage(FREE_IMAGE_FORMAT /*format*/, const char* message)
{
    if (s_messages != nullptr && message != nullptr && s_messages->size() < 64) {
        s_messages->emplace_back(message);
    }
}

class MessageScope
{
public:
    MessageScope() { s_messages = &m_messages; }
    ~MessageScope() { s_messages = nullptr; }
    MessageScope(const MessageScope&) = delete;
    MessageScope& operator=(const MessageScope&) = delete;
    [[nodiscard]] const std::vector<std::string>& messages() const { return m_messages; }

private:
    std::vector<std::string> m_messages;
};

bool contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

// The first message that says pixels are missing or wrong. libjpeg also warns about harmless things (extraneous
// bytes between markers); every other reader speaks only when something is wrong.
std::string damage(FREE_IMAGE_FORMAT format, const std::vector<std::string>& messages)
{
    for (const std::string& message : messages) {
        if (format != FIF_JPEG) {
            return message;
        }
        if (!contains(message, "extraneous bytes") &&
            (contains(message, "Premature end") || contains(message, "premature end") ||
             contains(message, "Corrupt JPEG data") || contains(message, "Invalid SOS parameters") ||
             contains(message, "Inconsistent progression"))) {
            return message;
        }
    }
    return {};
}

bool isMemoryMessage(const std::vector<std::string>& messages)
{
    return std::any_of(messages.begin(), messages.end(), [](const std::string& m) {
        return contains(m, "emory allocation") || contains(m, "ut of memory") || contains(m, "nsufficient memory");
    });
}

// Whether the reader, while it decoded, ran out of file. Most readers ask for exactly what the picture needs, so
// any read that comes back short means missing pixels, which they fill without a word. libjpeg and the PCX reader
// read ahead in blocks, so a short last block is normal there: libjpeg has run out only when it reads again at the
// end (it also says so), and a PCX file is checked against its header.
bool endsBeforeItsPicture(FREE_IMAGE_FORMAT format, const FdStream& in)
{
    switch (format) {
    case FIF_JPEG:
        return in.readsPastEnd() > 0;
    case FIF_PCX:
        return !pcxPixelDataComplete(in);
    default:
        return in.shortReads() > 0;
    }
}

Reply reply(Status status, std::string detail = {})
{
    Reply r;
    r.status = status;
    std::snprintf(r.detail, sizeof r.detail, "%s", detail.c_str());
    return r;
}

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

// Which of the formats with a decoder of their own the file's first bytes are; -1 when none.
int ownFormatByContent(const FdStream& in)
{
    unsigned char start[64] = {};
    const std::size_t length = in.readAt(0, start, sizeof start);
    return ownDecoderFormatByContent(start, length);
}

// The table's format when the content agrees with the extension; otherwise the first table format that
// recognises the content; failing that the extension's (its reader then decides).
int chooseFormat(FdStream& in, const char* fileName)
{
    const int byExtension = formatForFileName(fileName);
    const int ownByContent = ownFormatByContent(in);
    const auto validates = [&in, ownByContent](int format) {
        if (isOwnDecoderFormat(format)) {
            return format == ownByContent;
        }
        in.rewind();
        return FreeImage_ValidateFromHandle(FREE_IMAGE_FORMAT(format), in.io(), in.handle()) != FALSE;
    };
    if (byExtension != FIF_UNKNOWN && validates(byExtension)) {
        return byExtension;
    }
    // HEIF saying AVIF inside, or the other way round: the content says which.
    if (ownByContent != -1) {
        return ownByContent;
    }
    int count = 0;
    const int* formats = tableFormatsByProbeOrder(&count);
    for (int i = 0; i < count; ++i) {
        if (formats[i] != byExtension && validates(formats[i])) {
            return formats[i];
        }
    }
    return byExtension;
}

struct Claim
{
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t bitsPerPixel = 0;
    std::int64_t fileBytes = 0;
    std::vector<unsigned char> icc; // the colour profile the header carries
};

std::vector<unsigned char> iccProfile(FIBITMAP* bitmap)
{
    const FIICCPROFILE* profile = FreeImage_GetICCProfile(bitmap);
    if (profile == nullptr || profile->data == nullptr || profile->size == 0) {
        return {};
    }
    const auto* bytes = static_cast<const unsigned char*>(profile->data);
    return {bytes, bytes + profile->size};
}

// The colour space of a PNG's pixels, from its chunks; FreeImage has been told to leave gAMA to this program.
ColourSource pngColour(const FdStream& in, std::vector<unsigned char> icc)
{
    ColourSource colour;
    const PngColourFacts facts = readPngColourFacts(in);
    if (facts.srgb) {
        return colour;
    }
    if (facts.iccProfile) {
        // FreeImage as built here does not hand over iCCP; the chunk itself does.
        colour.icc = !icc.empty() ? std::move(icc) : facts.icc;
        return colour;
    }
    if (facts.gamma == 0) {
        return colour;
    }
    // sRGB's own primaries (as many writers put them beside gAMA) change nothing but the curve, which gAMA gives.
    constexpr std::uint32_t kSrgbChromaticities[8] = {31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000};
    const bool srgbPrimaries =
        std::equal(std::begin(facts.chrm), std::end(facts.chrm), std::begin(kSrgbChromaticities),
                   [](std::uint32_t a, std::uint32_t b) { return a + 1000 > b && b + 1000 > a; });
    if (facts.chromaticities && !srgbPrimaries) {
        ColourSource::Chromaticities c;
        double* const fields[8] = {&c.whiteX, &c.whiteY, &c.redX, &c.redY, &c.greenX, &c.greenY, &c.blueX, &c.blueY};
        for (int i = 0; i < 8; ++i) {
            *fields[i] = facts.chrm[i] / 100000.0;
        }
        colour.primaries = c;
        colour.transfer = ColourSource::Transfer::Gamma;
        colour.gamma = 100000.0 / facts.gamma;
        return colour;
    }
    colour.pngFileGamma = facts.gamma / 100000.0;
    return colour;
}

std::string claimText(const Claim& claim)
{
    return "it claims " + std::to_string(claim.width) + " \u00d7 " + std::to_string(claim.height) + " pixels";
}

// Refuses a claim beyond the limits, in words; empty when it is within them.
std::string refusal(const Claim& claim)
{
    if (claim.width > imagereader::kMaxSide || claim.height > imagereader::kMaxSide) {
        return claimText(claim) + ", more than the 65,500 pixels a side that a page's picture can have";
    }
    if (claim.width * claim.height > imagereader::kMaxPixels) {
        return claimText(claim) + ", more than the 250 megapixels this program reads";
    }
    const std::int64_t bytes = (claim.width * claim.bitsPerPixel + 31) / 32 * 4 * claim.height;
    if (bytes > imagereader::kMaxDecodedBytes) {
        return claimText(claim) + " of " + std::to_string(claim.bitsPerPixel) +
               " bits each, more than the memory this program gives one image (1 GiB)";
    }
    if (claim.width * claim.height > imagereader::kPixelsFromAnyFile &&
        bytes / imagereader::kMaxBytesPerFileByte > claim.fileBytes) {
        return claimText(claim) + " of " + std::to_string(claim.bitsPerPixel) +
               (claim.bitsPerPixel == 1 ? " bit" : " bits") + " each from a file of only " +
               std::to_string(claim.fileBytes) + " bytes: a picture of more than " +
               std::to_string(imagereader::kPixelsFromAnyFile / 1'000'000) + " megapixels has to be at most " +
               std::to_string(imagereader::kMaxBytesPerFileByte) + " times the size of its file";
    }
    return {};
}

// What the header claims, read without decoding a pixel; nothing when the header cannot even be read.
std::optional<Claim> claimedSize(FdStream& in, FREE_IMAGE_FORMAT format, int flags)
{
    if (format == FIF_GIF || format == FIF_IFF) {
        const std::optional<ClaimedSize> size = format == FIF_GIF ? gifClaimedSize(in) : iffClaimedSize(in);
        if (!size) {
            return std::nullopt;
        }
        return Claim{size->width, size->height, format == FIF_GIF ? 32 : 24, in.size(), {}};
    }
    in.rewind();
    const Bitmap header(FreeImage_LoadFromHandle(format, in.io(), in.handle(), flags | FIF_LOAD_NOPIXELS));
    if (!header) {
        return std::nullopt;
    }
    return Claim{FreeImage_GetWidth(header.get()), FreeImage_GetHeight(header.get()), FreeImage_GetBPP(header.get()),
                 in.size(), iccProfile(header.get())};
}

// FreeImage takes every CMYK JPEG for Adobe's kind, which stores 255 - ink, and with JPEG_CMYK hands over
// 255 - stored. That is the ink for Adobe's files and 255 - ink for plain ones, which store the ink itself.
// Without a colour profile each channel shows as (1 - ink) * (1 - black).
Bitmap cmykToRgb(FIBITMAP* cmyk, bool adobeMarker)
{
    const unsigned width = FreeImage_GetWidth(cmyk);
    const unsigned height = FreeImage_GetHeight(cmyk);
    Bitmap rgb(FreeImage_Allocate(int(width), int(height), 24));
    if (!rgb || FreeImage_GetBPP(cmyk) != 32) {
        return nullptr;
    }
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* in = FreeImage_GetScanLine(cmyk, int(y));
        BYTE* out = FreeImage_GetScanLine(rgb.get(), int(y));
        for (unsigned x = 0; x < width; ++x, in += 4, out += 3) {
            const auto paper = [&](int i) { return adobeMarker ? 255 - in[i] : int(in[i]); }; // 255 - ink
            const int black = paper(3);
            out[FI_RGBA_RED] = BYTE((paper(0) * black + 127) / 255);
            out[FI_RGBA_GREEN] = BYTE((paper(1) * black + 127) / 255);
            out[FI_RGBA_BLUE] = BYTE((paper(2) * black + 127) / 255);
        }
    }
    return rgb;
}

// Never enlarged; proportions kept; at least one pixel a side.
void fitInto(unsigned width, unsigned height, unsigned maxWidth, unsigned maxHeight, unsigned* outWidth,
             unsigned* outHeight)
{
    if (width <= maxWidth && height <= maxHeight) {
        *outWidth = width;
        *outHeight = height;
        return;
    }
    const double scale = std::min(double(maxWidth) / width, double(maxHeight) / height);
    *outWidth = std::max(1u, unsigned(std::lround(width * scale)));
    *outHeight = std::max(1u, unsigned(std::lround(height * scale)));
}

Reply writePreview(Bitmap bitmap, const Request& request, FdStream& out)
{
    const unsigned maxWidth = std::clamp<unsigned>(request.maxWidth, 1, imagereader::kMaxPreviewSide);
    const unsigned maxHeight = std::clamp<unsigned>(request.maxHeight, 1, imagereader::kMaxPreviewSide);
    unsigned width = 0;
    unsigned height = 0;
    fitInto(FreeImage_GetWidth(bitmap.get()), FreeImage_GetHeight(bitmap.get()), maxWidth, maxHeight, &width, &height);
    if (FreeImage_GetBPP(bitmap.get()) != 24) {
        bitmap.reset(FreeImage_ConvertTo24Bits(bitmap.get()));
    }
    if (bitmap && (width != FreeImage_GetWidth(bitmap.get()) || height != FreeImage_GetHeight(bitmap.get()))) {
        bitmap.reset(FreeImage_Rescale(bitmap.get(), int(width), int(height), FILTER_BILINEAR));
    }
    if (bitmap) {
        bitmap.reset(FreeImage_ConvertTo32Bits(bitmap.get()));
    }
    if (!bitmap) {
        return reply(Status::NoMemory);
    }
    imagereader::PreviewHeader header;
    header.width = width;
    header.height = height;
    bool written = out.io()->write_proc(&header, sizeof header, 1, out.handle()) == 1;
    for (int y = int(height) - 1; written && y >= 0; --y) {
        BYTE* row = FreeImage_GetScanLine(bitmap.get(), y);
        for (unsigned x = 0; x < width; ++x) {
            row[4 * x + FI_RGBA_ALPHA] = 0xff;
        }
        written = out.io()->write_proc(row, width * 4, 1, out.handle()) == 1;
    }
    if (!written || !out.flush()) {
        Reply failed = reply(Status::WriteFailed);
        failed.error = out.error();
        return failed;
    }
    Reply done = reply(Status::Ok);
    done.width = int(width);
    done.height = int(height);
    return done;
}

// A file that none of the table's formats takes for theirs; FreeImage may know what it is (its other readers only
// look at the first bytes).
Reply notAnImage(FdStream& in)
{
    in.rewind();
    const FREE_IMAGE_FORMAT other = FreeImage_GetFileTypeFromHandle(in.io(), in.handle());
    if (other != FIF_UNKNOWN && !isTableFormat(other)) {
        return reply(Status::NotAnImage, std::string("its content is ") + FreeImage_GetFormatFromFIF(other) +
                                             ", a kind of image this program does not read");
    }
    return reply(Status::NotAnImage);
}

// Writes the profile into the picture file from `offset` on; 0, or the errno of the failure. A file fixed at a smaller
// size before is answered EPERM, as for a picture that does not fit.
int writeProfile(int outputFd, const std::vector<unsigned char>& profile, std::int64_t offset)
{
    const int seals = ::fcntl(outputFd, F_GET_SEALS);
    struct stat info = {};
    if (seals >= 0 && (seals & F_SEAL_GROW) != 0 && ::fstat(outputFd, &info) == 0 &&
        offset + std::int64_t(profile.size()) > std::int64_t(info.st_size)) {
        return EPERM;
    }
    for (std::size_t done = 0; done < profile.size();) {
        const ssize_t written =
            ::pwrite(outputFd, profile.data() + done, profile.size() - done, off_t(offset + std::int64_t(done)));
        if (written < 0 && errno != EINTR) {
            return errno;
        }
        done += written > 0 ? std::size_t(written) : 0;
    }
    return 0;
}

// A page's picture keeps its file's own colours, with their ICC profile, when the original is to be kept and the
// profile describes colours of the picture's kind. A grey picture of an RGB profile is given three equal channels.
// The profile comes back empty when the picture's pixels are to be made sRGB instead.
Bitmap inOwnColours(Bitmap picture, std::vector<unsigned char>* profile)
{
    if (profileFitsComponents(*profile, FreeImage_GetBPP(picture.get()) == 8 ? 1 : 3)) {
        return picture;
    }
    if (FreeImage_GetBPP(picture.get()) == 8 && profileFitsComponents(*profile, 3)) {
        return Bitmap(FreeImage_ConvertTo24Bits(picture.get()));
    }
    profile->clear();
    return picture;
}

// A decoded picture to sRGB, 8 bits per channel, transparent parts white, turned clockwise by quarterTurns, written as
// the request asks. A page's picture whose original is to be kept stays in its ICC profile's colours, where it has
// one that fits (see inOwnColours); the profile is then written right after the picture, and the reply says how long.
Reply finish(Bitmap bitmap, int format, const ColourSource& colour, int quarterTurns, const Request& request,
             int outputFd)
{
    const auto source = isOwnDecoderFormat(format) ? FIF_UNKNOWN : FREE_IMAGE_FORMAT(format);
    std::vector<unsigned char> keptProfile;
    bitmap = toEightBitsPerChannel(std::move(bitmap));
    if (bitmap && request.mode == imagereader::Mode::Page && request.keepOriginal != 0 && !colour.icc.empty()) {
        // A profile that does not fit is one convertToSrgb() would leave aside as well: the pixels are then sRGB's.
        keptProfile = colour.icc;
        bitmap = toPagePicture(std::move(bitmap), source);
        if (bitmap) {
            bitmap = inOwnColours(std::move(bitmap), &keptProfile);
        }
    } else if (bitmap) {
        convertToSrgb(bitmap.get(), colour);
        bitmap = toPagePicture(std::move(bitmap), source);
    }
    // Turned last, when the picture is at its smallest.
    if (bitmap && quarterTurns != 0) {
        bitmap = orientedUpright(std::move(bitmap), 1, quarterTurns);
    }
    if (!bitmap) {
        return reply(Status::NoMemory);
    }

    FdStream out(outputFd);
    Reply result;
    if (request.mode == imagereader::Mode::Preview) {
        result = writePreview(std::move(bitmap), request, out);
    } else {
        const pagebitmap::Layout layout{int(FreeImage_GetWidth(bitmap.get())), int(FreeImage_GetHeight(bitmap.get())),
                                        FreeImage_GetBPP(bitmap.get()) == 8};
        if (!writePagePicture(bitmap.get(), out)) {
            result = reply(Status::WriteFailed);
            result.error = out.error();
        } else if (const int failure = writeProfile(outputFd, keptProfile, layout.fileSize()); failure != 0) {
            result = reply(Status::WriteFailed);
            result.error = failure;
        } else {
            result = reply(Status::Ok);
            result.width = layout.width;
            result.height = layout.height;
            result.profileBytes = std::uint32_t(keptProfile.size());
        }
    }
    return result;
}

// The whole file, which is within the memory one image is given; false when it is not, or cannot be read to its end.
bool readWholeFile(const FdStream& in, std::vector<unsigned char>* file)
{
    const std::int64_t size = in.size();
    if (size > imagereader::kMaxDecodedBytes) {
        return false;
    }
    file->resize(static_cast<std::size_t>(size));
    return in.readAt(0, file->data(), file->size()) == file->size();
}

struct QuickJpeg
{
    std::optional<Reply> answer; // the page's picture is written
    Bitmap bitmap;               // or here it is, upright and turned
};

// A JPEG of one or three components the quick way, when it goes without a word from libjpeg. One that needs neither
// turning nor its colours converted is decoded where its page's picture is kept, and answered; any other comes back
// as a bitmap, upright and then turned clockwise by quarterTurns. Neither when FreeImage is to read it.
QuickJpeg quickJpegPage(const FdStream& in, int orientation, int quarterTurns, bool hasProfile, int outputFd)
{
    QuickJpeg quick;
    std::vector<unsigned char> file;
    if (!readWholeFile(in, &file)) {
        return quick;
    }
    PlainJpeg plain(file);
    if (plain.isPlain() && orientation == 1 && quarterTurns == 0 && !hasProfile) {
        const pagebitmap::Layout layout{plain.width(), plain.height(), plain.isGrey()};
        if (writePagePictureInPlace(
                outputFd, layout, [&plain](unsigned char* rows, int pitch) { return plain.decodeInto(rows, pitch); })) {
            quick.answer = reply(Status::Ok);
            quick.answer->width = layout.width;
            quick.answer->height = layout.height;
        }
        return quick;
    }
    quick.bitmap = plain.decode();
    if (quick.bitmap && (orientation != 1 || quarterTurns != 0)) {
        quick.bitmap = orientedUpright(std::move(quick.bitmap), orientation, quarterTurns);
    }
    return quick;
}

Reply decodeOwn(FdStream& in, int format, int outputFd, const Request& request);

// Whether the picture file can take the page's picture of this size, turned or not. One the program fixed at its
// size after an earlier picture cannot grow: a larger picture is answered before it is decoded, and the program
// gives it a new file.
bool hasRoomFor(int outputFd, const Claim& claim)
{
    const int seals = ::fcntl(outputFd, F_GET_SEALS);
    struct stat info = {};
    if (seals < 0 || (seals & F_SEAL_GROW) == 0 || ::fstat(outputFd, &info) != 0) {
        return true;
    }
    const auto width = int(claim.width);
    const auto height = int(claim.height);
    const std::int64_t needed = std::max(pagebitmap::Layout{width, height, false}.fileSize(),
                                         pagebitmap::Layout{height, width, false}.fileSize());
    return needed <= info.st_size;
}

// A JPEG whose own data can be its page's picture (see keptJpeg): its colour profile goes to the start of the picture
// file and the reply says what the page needs. Nothing when it is to be decoded instead.
std::optional<Reply> keptOriginal(const FdStream& in, const JpegFacts& facts, int quarterTurns, int outputFd)
{
    std::optional<KeptJpeg> kept;
    {
        std::vector<unsigned char> file;
        if (!readWholeFile(in, &file)) {
            return std::nullopt;
        }
        kept = keptJpeg(file);
    }
    if (!kept) {
        return std::nullopt;
    }
    if (const int failure = writeProfile(outputFd, kept->iccProfile, 0); failure != 0) {
        Reply failed = reply(Status::WriteFailed);
        failed.error = failure;
        return failed;
    }
    Reply done = reply(Status::Ok);
    done.original = 1;
    done.width = kept->width;
    done.height = kept->height;
    done.components = kept->components;
    done.orientation = turnedOrientation(facts.exif.orientation, quarterTurns);
    done.inkInverted = kept->inkInverted ? 1 : 0;
    done.profileBytes = std::uint32_t(kept->iccProfile.size());
    done.dataBytes = kept->length;
    return done;
}

Reply decode(int inputFd, int outputFd, const Request& request, const char** formatName)
{
    FdStream in(inputFd);
    if (in.size() <= 0) {
        return reply(Status::Damaged, "the file is empty");
    }
    const int chosen = chooseFormat(in, request.fileName);
    if (chosen == FIF_UNKNOWN) {
        return notAnImage(in);
    }
    if (isOwnDecoderFormat(chosen)) {
        *formatName = ownDecoderFormatName(chosen);
        return decodeOwn(in, chosen, outputFd, request);
    }
    const auto format = FREE_IMAGE_FORMAT(chosen);
    *formatName = FreeImage_GetFormatFromFIF(format);
    const bool recognised = [&] {
        in.rewind();
        return FreeImage_ValidateFromHandle(format, in.io(), in.handle()) != FALSE;
    }();

    // PNG gamma is applied with the rest of the colour handling, alike for every colour type.
    int flags = format == FIF_PNG ? PNG_IGNOREGAMMA : 0;
    JpegFacts jpeg;
    if (format == FIF_JPEG) {
        // Photos are stored as the camera held them; the orientation tag says how to show them.
        flags |= JPEG_EXIFROTATE;
        jpeg = readJpegFacts(in);
        if (jpeg.components == 4) {
            flags |= JPEG_CMYK;
        }
    }

    // Stated for the pixels as stored: across is down once the picture lies on its side.
    StatedResolution resolution = statedResolution(in, format, jpeg);
    const bool orientedSideways = format == FIF_JPEG && jpeg.exif.orientation >= 5;
    if (orientedSideways != (request.quarterTurns % 2 == 1)) {
        std::swap(resolution.x, resolution.y);
    }
    const auto answered = [&resolution](Reply done) {
        if (done.status == Status::Ok) {
            done.resolutionX = resolution.x;
            done.resolutionY = resolution.y;
        }
        return done;
    };

    MessageScope messages;
    const std::optional<Claim> claim = claimedSize(in, format, flags);
    if (!claim) {
        if (!recognised) {
            return notAnImage(in);
        }
        return reply(Status::Damaged, messages.messages().empty() ? std::string() : messages.messages().back());
    }
    if (const std::string refused = refusal(*claim); !refused.empty()) {
        return reply(Status::TooLarge, refused);
    }
    if (request.mode == imagereader::Mode::Page && request.keepOriginal != 0 && format == FIF_JPEG) {
        if (std::optional<Reply> kept = keptOriginal(in, jpeg, int(request.quarterTurns), outputFd)) {
            return answered(*kept);
        }
    }
    if (request.mode == imagereader::Mode::Page && !hasRoomFor(outputFd, *claim)) {
        Reply noRoom = reply(Status::WriteFailed);
        noRoom.error = EPERM;
        return noRoom;
    }
    if (request.mode == imagereader::Mode::Preview && format == FIF_JPEG) {
        // libjpeg decodes at 1/2, 1/4 or 1/8 of the size when asked for a smaller picture.
        const unsigned wanted = std::max(request.maxWidth, request.maxHeight);
        flags |= int(std::clamp<unsigned>(wanted, 1, imagereader::kMaxPreviewSide)) << 16;
    }

    Bitmap bitmap;
    int quarterTurns = int(request.quarterTurns); // those still to be given
    if (format == FIF_JPEG && request.mode == imagereader::Mode::Page &&
        (jpeg.components == 1 || jpeg.components == 3)) {
        // Most pages are photos.
        QuickJpeg quick = quickJpegPage(in, jpeg.exif.orientation, quarterTurns, !claim->icc.empty(), outputFd);
        if (quick.answer) {
            return answered(*quick.answer);
        }
        bitmap = std::move(quick.bitmap);
        if (bitmap) {
            quarterTurns = 0;
        }
    }
    if (!bitmap) {
        try {
            in.rewind();
            in.resetCounts();
            bitmap.reset(FreeImage_LoadFromHandle(format, in.io(), in.handle(), flags));
        } catch (const std::bad_alloc&) {
            return reply(Status::NoMemory);
        }
        if (isMemoryMessage(messages.messages())) {
            return reply(Status::NoMemory);
        }
        if (!bitmap) {
            if (!recognised) {
                return notAnImage(in);
            }
            return reply(Status::Damaged,
                         messages.messages().empty() ? std::string() : trimmed(messages.messages().back()));
        }
        if (const std::string damaged = damage(format, messages.messages()); !damaged.empty()) {
            return reply(Status::Damaged, trimmed(damaged));
        }
        if (endsBeforeItsPicture(format, in)) {
            return reply(Status::Damaged, "the file ends before its picture does");
        }
        if (FreeImage_GetWidth(bitmap.get()) == 0 || FreeImage_GetHeight(bitmap.get()) == 0 ||
            !FreeImage_HasPixels(bitmap.get())) {
            return reply(Status::Damaged, "it holds no pixels");
        }
    }

    ColourSource colour;
    if (format == FIF_PNG) {
        colour = pngColour(in, !claim->icc.empty() ? claim->icc : iccProfile(bitmap.get()));
    } else {
        colour.icc = !claim->icc.empty() ? claim->icc : iccProfile(bitmap.get());
    }
    if ((flags & JPEG_CMYK) != 0 && FreeImage_GetBPP(bitmap.get()) == 32) {
        // FreeImage hands over 255 - stored: the ink itself for Adobe's files, which store 255 - ink.
        Bitmap rgb = cmykThroughProfile(bitmap.get(), jpeg.adobeMarker, colour);
        bitmap = rgb ? std::move(rgb) : cmykToRgb(bitmap.get(), jpeg.adobeMarker);
        colour = {};
    }
    return answered(finish(std::move(bitmap), format, colour, quarterTurns, request, outputFd));
}

// The helper's own decoders read the whole file from memory: none of them can stop at the end of a descriptor.
Reply decodeOwn(FdStream& in, int format, int outputFd, const Request& request)
{
    if (in.size() > imagereader::kMaxDecodedBytes) {
        return reply(Status::TooLarge, "the file is larger than the 1 GiB this program reads of one image");
    }
    std::vector<unsigned char> file;
    if (!readWholeFile(in, &file)) {
        return reply(Status::Damaged, "the file cannot be read to its end");
    }
    const SizeCheck check = [fileBytes = in.size()](std::int64_t width, std::int64_t height,
                                                    std::int64_t bitsPerPixel) {
        return refusal(Claim{width, height, bitsPerPixel, fileBytes, {}});
    };
    DecodedPicture picture;
    try {
        picture = format == kFormatWebp  ? decodeWebp(file, check)
                  : format == kFormatJxl ? decodeJpegXl(file, check)
                                         : decodeHeif(file, format == kFormatHeif, check);
    } catch (const std::bad_alloc&) {
        return reply(Status::NoMemory);
    }
    if (picture.status != Status::Ok) {
        return reply(picture.status, trimmed(picture.detail));
    }
    file = {};
    return finish(std::move(picture.bitmap), FIF_UNKNOWN, picture.colour, int(request.quarterTurns), request, outputFd);
}

} // namespace

void initialiseDecoding()
{
    FreeImage_Initialise(FALSE);
    FreeImage_SetOutputMessage(&collectMessage);
    initialiseColourConversion();
    initialiseHeif();
}

Reply decodeImage(int inputFd, int outputFd, const Request& request)
{
    if (request.magic != imagereader::kProtocolMagic ||
        (request.mode != imagereader::Mode::Page && request.mode != imagereader::Mode::Preview) ||
        request.quarterTurns > 3 || request.keepOriginal > 1 || request.fileName[sizeof request.fileName - 1] != '\0') {
        return reply(Status::BadRequest);
    }
    Reply result;
    const char* formatName = "";
    try {
        result = decode(inputFd, outputFd, request, &formatName);
    } catch (const std::bad_alloc&) {
        result = reply(Status::NoMemory);
    }
    std::snprintf(result.format, sizeof result.format, "%s", formatName != nullptr ? formatName : "");
    return result;
}
