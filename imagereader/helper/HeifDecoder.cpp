#include "imagereader/helper/HeifDecoder.h"

#include "imagereader/helper/HeaderFacts.h"

#include <libheif/heif.h>

#include <cstring>
#include <memory>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace {

struct ContextDeleter
{
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleDeleter
{
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter
{
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsDeleter
{
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};
struct NclxDeleter
{
    void operator()(heif_color_profile_nclx* nclx) const { heif_nclx_color_profile_free(nclx); }
};

DecodedPicture failed(const heif_error& error)
{
    if (error.code == heif_error_Memory_allocation_error) {
        return failedPicture(imagereader::Status::NoMemory, {});
    }
    return failedPicture(imagereader::Status::Damaged, error.message != nullptr ? error.message : "");
}

// The primaries and transfer of an nclx box; nothing for sRGB's own, which needs no conversion.
void takeNclx(const heif_color_profile_nclx& nclx, ColourSource* colour)
{
    const bool srgbPrimaries = nclx.color_primaries == heif_color_primaries_ITU_R_BT_709_5 ||
                               nclx.color_primaries == heif_color_primaries_unspecified;
    ColourSource::Transfer transfer = ColourSource::Transfer::Srgb;
    double gamma = 2.2;
    switch (nclx.transfer_characteristics) {
    case heif_transfer_characteristic_ITU_R_BT_709_5:
    case heif_transfer_characteristic_ITU_R_BT_601_6:
    case heif_transfer_characteristic_ITU_R_BT_2020_2_10bit:
    case heif_transfer_characteristic_ITU_R_BT_2020_2_12bit:
        transfer = ColourSource::Transfer::Bt709;
        break;
    case heif_transfer_characteristic_ITU_R_BT_470_6_System_M:
        transfer = ColourSource::Transfer::Gamma;
        break;
    case heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G:
        transfer = ColourSource::Transfer::Gamma;
        gamma = 2.8;
        break;
    case heif_transfer_characteristic_linear:
        transfer = ColourSource::Transfer::Gamma;
        gamma = 1.0;
        break;
    default: // sRGB's, unspecified, and the HDR curves, shown as sRGB
        break;
    }
    if (srgbPrimaries && transfer == ColourSource::Transfer::Srgb) {
        return;
    }
    ColourSource::Chromaticities c;
    c.whiteX = nclx.color_primary_white_x;
    c.whiteY = nclx.color_primary_white_y;
    c.redX = nclx.color_primary_red_x;
    c.redY = nclx.color_primary_red_y;
    c.greenX = nclx.color_primary_green_x;
    c.greenY = nclx.color_primary_green_y;
    c.blueX = nclx.color_primary_blue_x;
    c.blueY = nclx.color_primary_blue_y;
    colour->primaries = c;
    colour->transfer = transfer;
    colour->gamma = gamma;
}

void takeColour(const heif_image_handle* handle, ColourSource* colour)
{
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
        const std::size_t size = heif_image_handle_get_raw_color_profile_size(handle);
        colour->icc.resize(size);
        if (size == 0 || heif_image_handle_get_raw_color_profile(handle, colour->icc.data()).code != heif_error_Ok) {
            colour->icc.clear();
        }
        return;
    }
    heif_color_profile_nclx* raw = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &raw).code == heif_error_Ok && raw != nullptr) {
        const std::unique_ptr<heif_color_profile_nclx, NclxDeleter> nclx(raw);
        takeNclx(*nclx, colour);
    }
}

// libheif looks each item's properties and data up in lists as long as the file's, so that reading the boxes of
// thousands of items takes seconds; and it starts a decoder for every tile.
std::string piecesRefusal(const HeifPieces& pieces)
{
    const auto count = [](std::int64_t n) {
        return n > kMostHeifPiecesCounted ? "more than " + std::to_string(kMostHeifPiecesCounted) : std::to_string(n);
    };
    if (pieces.tiles > imagereader::kMaxCodedPictures) {
        return "it is made of " + count(pieces.tiles) + " tiles, more than the " +
               std::to_string(imagereader::kMaxCodedPictures) + " this program decodes for one picture";
    }
    if (pieces.items > imagereader::kMaxHeifItems) {
        return "it lists " + count(pieces.items) + " items, more than the " +
               std::to_string(imagereader::kMaxHeifItems) + " this program reads in one file";
    }
    return {};
}

} // namespace

void initialiseHeif()
{
    heif_init(nullptr);
}

namespace {

// Without the system-call filter (a kernel that has none) the process limit of 0 holds back threads as well, and
// libde265 would wait for ever for the worker it could not start.
bool threadsBarred()
{
    rlimit processes{};
    return ::getrlimit(RLIMIT_NPROC, &processes) == 0 && processes.rlim_cur == 0 && ::geteuid() != 0;
}

} // namespace

DecodedPicture decodeHeif(const std::vector<unsigned char>& file, bool hevc, const SizeCheck& refusal)
{
    if (const std::string refused = piecesRefusal(readHeifPieces(file.data(), file.size())); !refused.empty()) {
        return failedPicture(imagereader::Status::TooLarge, refused);
    }
    const std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
    if (!context) {
        return failedPicture(imagereader::Status::NoMemory, {});
    }
    // Grid tiles decoded one after another, in this thread.
    heif_context_set_max_decoding_threads(context.get(), 0);
    // libheif's own limit set far beyond this program's, so that the refusal below is the one that speaks.
    heif_context_set_maximum_image_size_limit(context.get(), 1 << 20);
    if (const heif_error read =
            heif_context_read_from_memory_without_copy(context.get(), file.data(), file.size(), nullptr);
        read.code != heif_error_Ok) {
        return failed(read);
    }
    heif_image_handle* rawHandle = nullptr;
    if (const heif_error primary = heif_context_get_primary_image_handle(context.get(), &rawHandle);
        primary.code != heif_error_Ok) {
        return failed(primary);
    }
    const std::unique_ptr<heif_image_handle, HandleDeleter> handle(rawHandle);
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const std::int64_t width = heif_image_handle_get_width(handle.get());
    const std::int64_t height = heif_image_handle_get_height(handle.get());
    if (const std::string refused = refusal(width, height, alpha ? 32 : 24); !refused.empty()) {
        return failedPicture(imagereader::Status::TooLarge, refused);
    }
    if (width <= 0 || height <= 0) {
        return failedPicture(imagereader::Status::Damaged, "it holds no pixels");
    }

    if (hevc && threadsBarred()) {
        return failedPicture(imagereader::Status::Damaged,
                             "its HEVC decoder needs a thread, which this system's limits on the reader do not allow");
    }

    DecodedPicture picture;
    takeColour(handle.get(), &picture.colour);
    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    if (!options) {
        return failedPicture(imagereader::Status::NoMemory, {});
    }
    options->ignore_transformations = 0; // irot, imir and clap applied
    options->convert_hdr_to_8bit = 1;
    options->strict_decoding = 1; // missing data is an error, never a grey patch
    heif_image* rawImage = nullptr;
    if (const heif_error decoded =
            heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                              alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
        decoded.code != heif_error_Ok) {
        return failed(decoded);
    }
    const std::unique_ptr<heif_image, ImageDeleter> image(rawImage);
    if (picture.colour.saysNothing() &&
        heif_image_get_color_profile_type(image.get()) == heif_color_profile_type_nclx) {
        // AVIF keeps its colour description in the AV1 stream as well; the decoded picture has it.
        heif_color_profile_nclx* raw = nullptr;
        if (heif_image_get_nclx_color_profile(image.get(), &raw).code == heif_error_Ok && raw != nullptr) {
            const std::unique_ptr<heif_color_profile_nclx, NclxDeleter> nclx(raw);
            takeNclx(*nclx, &picture.colour);
        }
    }
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int outWidth = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int outHeight = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (plane == nullptr || outWidth <= 0 || outHeight <= 0 ||
        heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) != 8) {
        return failedPicture(imagereader::Status::Damaged, "it holds no pixels");
    }
    const int channels = alpha ? 4 : 3;
    picture.bitmap.reset(FreeImage_Allocate(outWidth, outHeight, channels * 8));
    if (!picture.bitmap) {
        return failedPicture(imagereader::Status::NoMemory, {});
    }
    for (int y = 0; y < outHeight; ++y) {
        const std::uint8_t* in = plane + std::ptrdiff_t(y) * stride;
        BYTE* out = FreeImage_GetScanLine(picture.bitmap.get(), outHeight - 1 - y);
        for (int x = 0; x < outWidth; ++x, in += channels, out += channels) {
            out[FI_RGBA_RED] = in[0];
            out[FI_RGBA_GREEN] = in[1];
            out[FI_RGBA_BLUE] = in[2];
            if (alpha) {
                out[FI_RGBA_ALPHA] = in[3];
            }
        }
    }
    return picture;
}
