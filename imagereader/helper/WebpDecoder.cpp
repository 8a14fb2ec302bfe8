#include "imagereader/helper/WebpDecoder.h"

#include "imagereader/helper/HeaderFacts.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>

namespace {

struct DemuxDeleter
{
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
struct AnimDecoderDeleter
{
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

constexpr const char* kEndsEarly = "the file ends before its picture does";

std::vector<unsigned char> chunk(WebPDemuxer* demux, const char* fourcc)
{
    WebPChunkIterator iterator{};
    std::vector<unsigned char> bytes;
    if (WebPDemuxGetChunk(demux, fourcc, 1, &iterator) != 0) {
        bytes.assign(iterator.chunk.bytes, iterator.chunk.bytes + iterator.chunk.size);
    }
    WebPDemuxReleaseChunkIterator(&iterator);
    return bytes;
}

DecodedPicture firstFrame(const WebPData& data, int width, int height, DecodedPicture picture)
{
    WebPAnimDecoderOptions options{};
    if (WebPAnimDecoderOptionsInit(&options) == 0) {
        return failedPicture(imagereader::Status::Damaged, {});
    }
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder(WebPAnimDecoderNew(&data, &options));
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!decoder || WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) == 0 || canvas == nullptr) {
        return failedPicture(imagereader::Status::Damaged, "its first frame cannot be decoded");
    }
    picture.bitmap.reset(FreeImage_Allocate(width, height, 32));
    if (!picture.bitmap) {
        return failedPicture(imagereader::Status::NoMemory, {});
    }
    for (int y = 0; y < height; ++y) {
        std::memcpy(FreeImage_GetScanLine(picture.bitmap.get(), height - 1 - y),
                    canvas + std::size_t(y) * std::size_t(width) * 4, std::size_t(width) * 4);
    }
    return picture;
}

DecodedPicture still(const WebPData& data, int width, int height, bool alpha, DecodedPicture picture)
{
    picture.bitmap.reset(FreeImage_Allocate(width, height, alpha ? 32 : 24));
    if (!picture.bitmap) {
        return failedPicture(imagereader::Status::NoMemory, {});
    }
    WebPDecoderConfig config{};
    if (WebPInitDecoderConfig(&config) == 0) {
        return failedPicture(imagereader::Status::Damaged, {});
    }
    config.options.use_threads = 0;
    config.output.colorspace = alpha ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = FreeImage_GetBits(picture.bitmap.get());
    config.output.u.RGBA.stride = int(FreeImage_GetPitch(picture.bitmap.get()));
    config.output.u.RGBA.size = std::size_t(FreeImage_GetPitch(picture.bitmap.get())) * std::size_t(height);
    const VP8StatusCode status = WebPDecode(data.bytes, data.size, &config);
    WebPFreeDecBuffer(&config.output);
    if (status == VP8_STATUS_NOT_ENOUGH_DATA) {
        return failedPicture(imagereader::Status::Damaged, kEndsEarly);
    }
    if (status == VP8_STATUS_OUT_OF_MEMORY) {
        return failedPicture(imagereader::Status::NoMemory, {});
    }
    if (status != VP8_STATUS_OK) {
        return failedPicture(imagereader::Status::Damaged, "its WebP data cannot be decoded");
    }
    // Decoded top row first into rows that FreeImage keeps bottom first.
    if (!FreeImage_FlipVertical(picture.bitmap.get())) {
        return failedPicture(imagereader::Status::NoMemory, {});
    }
    return picture;
}

} // namespace

DecodedPicture decodeWebp(const std::vector<unsigned char>& file, const SizeCheck& refusal)
{
    const WebPData data{file.data(), file.size()};
    WebPDemuxState state = WEBP_DEMUX_PARSE_ERROR;
    const std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemuxPartial(&data, &state));
    if (!demux || state == WEBP_DEMUX_PARSE_ERROR) {
        return failedPicture(imagereader::Status::Damaged, "its WebP structure cannot be read");
    }
    const auto width = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
    const auto height = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
    const std::uint32_t flags = WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS);
    const bool animated = (flags & ANIMATION_FLAG) != 0;
    WebPBitstreamFeatures features{};
    const bool alpha =
        animated || ((WebPGetFeatures(data.bytes, data.size, &features) == VP8_STATUS_OK) && features.has_alpha != 0);
    if (state != WEBP_DEMUX_PARSED_HEADER && state != WEBP_DEMUX_PARSING_HEADER && state != WEBP_DEMUX_DONE) {
        return failedPicture(imagereader::Status::Damaged, "its WebP structure cannot be read");
    }
    if (width > 0 && height > 0) {
        if (const std::string refused = refusal(width, height, alpha ? 32 : 24); !refused.empty()) {
            return failedPicture(imagereader::Status::TooLarge, refused);
        }
    }
    if (state != WEBP_DEMUX_DONE) {
        return failedPicture(imagereader::Status::Damaged, kEndsEarly);
    }
    if (width <= 0 || height <= 0) {
        return failedPicture(imagereader::Status::Damaged, "it holds no pixels");
    }

    DecodedPicture picture;
    if ((flags & ICCP_FLAG) != 0) {
        picture.colour.icc = chunk(demux.get(), "ICCP");
    }
    int orientation = 1;
    if ((flags & EXIF_FLAG) != 0) {
        const std::vector<unsigned char> exif = chunk(demux.get(), "EXIF");
        orientation = exifOrientation(exif.data(), exif.size());
    }
    picture = animated ? firstFrame(data, width, height, std::move(picture))
                       : still(data, width, height, alpha, std::move(picture));
    if (picture.status == imagereader::Status::Ok && orientation != 1) {
        picture.bitmap = orientedUpright(std::move(picture.bitmap), orientation);
        if (!picture.bitmap) {
            return failedPicture(imagereader::Status::NoMemory, {});
        }
    }
    return picture;
}
