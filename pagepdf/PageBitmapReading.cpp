#include "pagepdf/PageBitmapReading.h"

#include "imagereader/PageBitmap.h"
#include "imagereader/PositionalRead.h"

#include <QCoreApplication>

#include <turbojpeg.h>

#include <array>
#include <cerrno>
#include <new>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A file sealed with both can neither become shorter (which would fault a mapping) nor change.
constexpr int kUnchanging = F_SEAL_SHRINK | F_SEAL_WRITE;

std::optional<PageBitmap> refuse(QString* why, const QString& text)
{
    if (why != nullptr) {
        *why = text;
    }
    return std::nullopt;
}

} // namespace

std::optional<PageBitmap> readPageBitmap(int fd, QString* why)
{
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return refuse(why, QCoreApplication::translate("PageBitmapReading", "it is not a plain file"));
    }
    std::array<unsigned char, pagebitmap::kLongestHeader> start{};
    const std::size_t length = readFullyAt(fd, 0, start.data(), start.size());
    std::string reason;
    const std::optional<pagebitmap::Layout> layout =
        pagebitmap::readLayout(start.data(), length, info.st_size, &reason);
    if (!layout) {
        return refuse(why, QString::fromStdString(reason));
    }
    const auto bytes = std::size_t(layout->pitch() * layout->height);
    PageBitmap bitmap;
    const unsigned char* rows = nullptr;
    // Sealed, and still the size it was when its layout was read: it stays that size as long as it exists.
    struct stat sealed = {};
    if (const int seals = ::fcntl(fd, F_GET_SEALS); seals >= 0 && (seals & kUnchanging) == kUnchanging &&
                                                    ::fstat(fd, &sealed) == 0 && sealed.st_size == info.st_size) {
        const auto size = std::size_t(info.st_size);
        void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
        if (mapped != MAP_FAILED) {
            bitmap.data.reset(static_cast<const unsigned char*>(mapped),
                              [size](const unsigned char* p) { ::munmap(const_cast<unsigned char*>(p), size); });
            rows = bitmap.data.get() + layout->rowsOffset();
        }
    }
    if (rows == nullptr) {
        auto* copy = new (std::nothrow) unsigned char[bytes];
        if (copy == nullptr) {
            return refuse(why, QCoreApplication::translate("PageBitmapReading",
                                                           "there is not enough memory for its %1 × %2 pixels")
                                   .arg(layout->width)
                                   .arg(layout->height));
        }
        bitmap.data.reset(copy, std::default_delete<unsigned char[]>());
        if (readFullyAt(fd, layout->rowsOffset(), copy, bytes) != bytes) {
            return refuse(
                why, QCoreApplication::translate("PageBitmapReading", "the file became shorter while it was read"));
        }
        rows = copy;
    }
    // A BMP file keeps its channels as blue, green, red whatever the machine.
    bitmap.rows =
        PixelRows{rows, layout->width, layout->height, int(layout->pitch()), layout->grey ? TJPF_GRAY : TJPF_BGR};
    return bitmap;
}
