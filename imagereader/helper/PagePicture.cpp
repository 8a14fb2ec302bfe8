#include "imagereader/helper/PagePicture.h"

#include "imagereader/format/PageBitmap.h"
#include "imagereader/helper/FdStream.h"

#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Bitmap = FreeImageBitmap;

constexpr std::int64_t kGrowthForSecondThread = 16 * 1024 * 1024;

struct Range
{
    void* start;
    std::size_t size;
};

// Faults a mapping's pages in for writing without touching what is in them.
void* faultInForWriting(void* range)
{
    const auto* pages = static_cast<const Range*>(range);
    (void)::madvise(pages->start, pages->size, MADV_POPULATE_WRITE);
    return nullptr;
}

bool paletteIsGrey(FIBITMAP* bitmap)
{
    const RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    if (palette == nullptr) {
        return false;
    }
    const unsigned count = FreeImage_GetColorsUsed(bitmap);
    for (unsigned i = 0; i < count; ++i) {
        if (palette[i].rgbRed != palette[i].rgbGreen || palette[i].rgbGreen != palette[i].rgbBlue) {
            return false;
        }
    }
    return true;
}

// A 32-bit picture as 24 bits, every pixel blended onto white by its alpha: transparent is white on the page.
// Only a BMP file's alpha that is zero everywhere means nothing: many 32-bit BMP files leave that byte unused.
Bitmap flattenOnWhite(Bitmap bitmap, FREE_IMAGE_FORMAT source)
{
    FIBITMAP* dib = bitmap.get();
    const bool unusedAlpha = source == FIF_BMP && alphaAllZero(dib);
    if (!unusedAlpha) {
        blendOntoWhite(dib);
    }
    return Bitmap(FreeImage_ConvertTo24Bits(dib));
}

} // namespace

// Float samples are taken as 0 for black to 1 for white, as the programs that write them mean it.
FreeImageBitmap toPagePicture(FreeImageBitmap bitmap, FREE_IMAGE_FORMAT source)
{
    bitmap = toEightBitsPerChannel(std::move(bitmap));
    if (!bitmap) {
        return nullptr;
    }
    const unsigned bpp = FreeImage_GetBPP(bitmap.get());
    if (bpp <= 8 && FreeImage_IsTransparent(bitmap.get())) {
        bitmap.reset(FreeImage_ConvertTo32Bits(bitmap.get()));
        return bitmap ? flattenOnWhite(std::move(bitmap), source) : nullptr;
    }
    if (bpp == 32) {
        return flattenOnWhite(std::move(bitmap), source);
    }
    if (bpp == 24) {
        return bitmap;
    }
    if (bpp == 8 && FreeImage_GetColorType(bitmap.get()) == FIC_MINISBLACK) {
        return bitmap;
    }
    if (bpp <= 8 && paletteIsGrey(bitmap.get())) {
        return Bitmap(FreeImage_ConvertToGreyscale(bitmap.get()));
    }
    return Bitmap(FreeImage_ConvertTo24Bits(bitmap.get()));
}

bool writePagePicture(FIBITMAP* picture, FdStream& out)
{
    pagebitmap::Layout layout;
    layout.width = int(FreeImage_GetWidth(picture));
    layout.height = int(FreeImage_GetHeight(picture));
    layout.grey = FreeImage_GetBPP(picture) == 8;
    const std::vector<unsigned char> header = pagebitmap::header(layout);
    if (out.io()->write_proc(const_cast<unsigned char*>(header.data()), unsigned(header.size()), 1, out.handle()) !=
        1) {
        return false;
    }
    // FreeImage keeps its rows bottom first, padded to four bytes, one after another: the file's own order.
    bool written = true;
    if (std::int64_t(FreeImage_GetPitch(picture)) == layout.pitch()) {
        const std::int64_t bytes = layout.pitch() * layout.height;
        written = out.io()->write_proc(FreeImage_GetBits(picture), unsigned(bytes), 1, out.handle()) == 1;
    } else {
        for (int y = 0; written && y < layout.height; ++y) {
            written =
                out.io()->write_proc(FreeImage_GetScanLine(picture, y), unsigned(layout.pitch()), 1, out.handle()) == 1;
        }
    }
    return out.flush() && written;
}

bool writePagePictureInPlace(int outputFd, const pagebitmap::Layout& layout,
                             const std::function<bool(unsigned char* rows, int pitch)>& drawRows)
{
    const std::vector<unsigned char> header = pagebitmap::header(layout);
    const std::int64_t size = layout.fileSize();
    struct stat before = {};
    const unsigned char last = 0;
    // The header, and the file made its whole size by its last byte.
    if (::fstat(outputFd, &before) != 0 ||
        ::pwrite(outputFd, header.data(), header.size(), 0) != ssize_t(header.size()) ||
        ::pwrite(outputFd, &last, 1, off_t(size - 1)) != 1) {
        return false;
    }
    // Memory the file does not have yet costs more to come by than to decode into. For a large picture a second
    // thread comes by it from the front while the rows are decoded from the back (the top row, decoded first, is
    // the file's last), on the other processor; the file's memory from before is there already.
    const bool grows = size - before.st_size > kGrowthForSecondThread;
    void* mapped = ::mmap(nullptr, std::size_t(size), PROT_READ | PROT_WRITE, MAP_SHARED | (grows ? 0 : MAP_POPULATE),
                          outputFd, 0);
    if (mapped == MAP_FAILED) {
        return false;
    }
    Range range{mapped, std::size_t(size)};
    pthread_t memory{};
    // Without a thread (none may be started where the system-call filter is missing), the rows fault it in.
    const bool started = grows && ::pthread_create(&memory, nullptr, &faultInForWriting, &range) == 0;
    const bool drawn = drawRows(static_cast<unsigned char*>(mapped) + layout.rowsOffset(), int(layout.pitch()));
    if (started) {
        ::pthread_join(memory, nullptr);
    }
    ::munmap(mapped, std::size_t(size));
    return drawn;
}
