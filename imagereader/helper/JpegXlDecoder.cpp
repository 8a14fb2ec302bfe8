#include "imagereader/helper/JpegXlDecoder.h"

#include <jxl/decode.h>

#include <cstring>
#include <memory>

namespace {

struct DecoderDeleter
{
    void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};

bool isSrgb(const JxlColorEncoding& encoding)
{
    return (encoding.color_space == JXL_COLOR_SPACE_RGB || encoding.color_space == JXL_COLOR_SPACE_GRAY) &&
           encoding.white_point == JXL_WHITE_POINT_D65 &&
           (encoding.color_space == JXL_COLOR_SPACE_GRAY || encoding.primaries == JXL_PRIMARIES_SRGB) &&
           encoding.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

// The colour space of the pixels as they come out: nothing for sRGB, otherwise the profile libjxl describes it by.
void takeColour(const JxlDecoder* decoder, ColourSource* colour)
{
    JxlColorEncoding encoding{};
    if (JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &encoding) ==
            JXL_DEC_SUCCESS &&
        isSrgb(encoding)) {
        return;
    }
    std::size_t size = 0;
    if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS ||
        size == 0 || size > (16u << 20)) {
        return;
    }
    colour->icc.resize(size);
    if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, colour->icc.data(), size) !=
        JXL_DEC_SUCCESS) {
        colour->icc.clear();
    }
}

// The decoded rows (top first, `channels` bytes a pixel: grey or RGB, then alpha) as a FreeImage bitmap: 8-bit grey
// for grey without alpha, 24 or 32 bits otherwise.
FreeImageBitmap toBitmap(const std::vector<unsigned char>& pixels, int width, int height, int channels, bool grey)
{
    const bool alpha = channels == 2 || channels == 4;
    const int bpp = grey && !alpha ? 8 : (alpha ? 32 : 24);
    FreeImageBitmap bitmap = allocateBitmap(width, height, bpp);
    if (!bitmap) {
        return nullptr;
    }
    const int step = bpp / 8;
    for (int y = 0; y < height; ++y) {
        const unsigned char* in = pixels.data() + std::size_t(y) * std::size_t(width) * std::size_t(channels);
        BYTE* out = FreeImage_GetScanLine(bitmap.get(), height - 1 - y);
        for (int x = 0; x < width; ++x, in += channels, out += step) {
            if (bpp == 8) {
                out[0] = in[0];
                continue;
            }
            out[FI_RGBA_RED] = in[0];
            out[FI_RGBA_GREEN] = grey ? in[0] : in[1];
            out[FI_RGBA_BLUE] = grey ? in[0] : in[2];
            if (alpha) {
                out[FI_RGBA_ALPHA] = in[channels - 1];
            }
        }
    }
    return bitmap;
}

} // namespace

DecodedPicture decodeJpegXl(const std::vector<unsigned char>& file, const SizeCheck& refusal)
{
    const std::unique_ptr<JxlDecoder, DecoderDeleter> decoder(JxlDecoderCreate(nullptr));
    if (!decoder ||
        JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE) !=
            JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(decoder.get(), file.data(), file.size()) != JXL_DEC_SUCCESS) {
        return failedPicture(imagereader::Status::NoMemory, {});
    }
    JxlDecoderCloseInput(decoder.get());

    DecodedPicture picture;
    JxlBasicInfo info{};
    JxlPixelFormat format{};
    std::vector<unsigned char> pixels;
    int width = 0;
    int height = 0;
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
        switch (status) {
        case JXL_DEC_BASIC_INFO: {
            if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS) {
                return failedPicture(imagereader::Status::Damaged, "its JPEG XL header cannot be read");
            }
            const bool turned = info.orientation >= JXL_ORIENT_TRANSPOSE;
            width = int(turned ? info.ysize : info.xsize);
            height = int(turned ? info.xsize : info.ysize);
            const bool alpha = info.alpha_bits > 0;
            const bool grey = info.num_color_channels == 1;
            if (const std::string refused = refusal(width, height, grey && !alpha ? 8 : (alpha ? 32 : 24));
                !refused.empty()) {
                return failedPicture(imagereader::Status::TooLarge, refused);
            }
            if (width <= 0 || height <= 0) {
                return failedPicture(imagereader::Status::Damaged, "it holds no pixels");
            }
            format = {std::uint32_t((grey ? 1 : 3) + (alpha ? 1 : 0)), JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
            break;
        }
        case JXL_DEC_COLOR_ENCODING:
            takeColour(decoder.get(), &picture.colour);
            break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            std::size_t size = 0;
            if (JxlDecoderImageOutBufferSize(decoder.get(), &format, &size) != JXL_DEC_SUCCESS ||
                size != std::size_t(width) * std::size_t(height) * format.num_channels) {
                return failedPicture(imagereader::Status::Damaged, "its JPEG XL frame does not match its header");
            }
            pixels.resize(size);
            if (JxlDecoderSetImageOutBuffer(decoder.get(), &format, pixels.data(), pixels.size()) != JXL_DEC_SUCCESS) {
                return failedPicture(imagereader::Status::Damaged, {});
            }
            break;
        }
        case JXL_DEC_FULL_IMAGE: // the first frame is all this program takes
        case JXL_DEC_SUCCESS:
            if (pixels.empty()) {
                return failedPicture(imagereader::Status::Damaged, "it holds no pixels");
            }
            picture.bitmap = toBitmap(pixels, width, height, int(format.num_channels), info.num_color_channels == 1);
            if (!picture.bitmap) {
                return failedPicture(imagereader::Status::NoMemory, {});
            }
            return picture;
        case JXL_DEC_NEED_MORE_INPUT:
            return failedPicture(imagereader::Status::Damaged, "the file ends before its picture does");
        case JXL_DEC_ERROR:
            return failedPicture(imagereader::Status::Damaged, "its JPEG XL data cannot be decoded");
        default:
            return failedPicture(imagereader::Status::Damaged, {});
        }
    }
}
