#include "imagereader/helper/JpegDecoder.h"

#include <turbojpeg.h>

PlainJpeg::PlainJpeg(const std::vector<unsigned char>& file) : m_file(file), m_decoder(tjInitDecompress())
{
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (m_decoder == nullptr ||
        tjDecompressHeader3(m_decoder, m_file.data(), static_cast<unsigned long>(m_file.size()), &width, &height,
                            &subsampling, &colourspace) != 0 ||
        colourspace == TJCS_CMYK || colourspace == TJCS_YCCK || width <= 0 || height <= 0) {
        return;
    }
    m_width = width;
    m_height = height;
    m_grey = colourspace == TJCS_GRAY;
}

PlainJpeg::~PlainJpeg()
{
    if (m_decoder != nullptr) {
        tjDestroy(m_decoder);
    }
}

bool PlainJpeg::decodeInto(unsigned char* rows, int pitch)
{
    // FreeImage's channel order on this machine.
    static_assert(FREEIMAGE_COLORORDER == FREEIMAGE_COLORORDER_BGR);
    // A warning (missing data filled with grey, a damaged segment) also fails the call.
    return isPlain() && tjDecompress2(m_decoder, m_file.data(), static_cast<unsigned long>(m_file.size()), rows,
                                      m_width, pitch, m_height, m_grey ? TJPF_GRAY : TJPF_BGR,
                                      TJFLAG_BOTTOMUP | TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE) == 0;
}

FreeImageBitmap PlainJpeg::decode()
{
    if (!isPlain()) {
        return nullptr;
    }
    FreeImageBitmap bitmap = allocateBitmap(m_width, m_height, m_grey ? 8 : 24);
    if (!bitmap || !decodeInto(FreeImage_GetBits(bitmap.get()), int(FreeImage_GetPitch(bitmap.get())))) {
        return nullptr;
    }
    return bitmap;
}
