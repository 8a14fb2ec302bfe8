#include "pagepdf/PageBitmapReading.h"

#include "imagereader/format/PageBitmap.h"
#include "imagereader/format/PositionalRead.h"

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

std::optional<PageBitmap> refuse(QString* why, const QString& text)
{
    if (why != nullptr) {
        *why = text;
    }
    return std::nullopt;
}

// Whether the file can never become shorter than it is now.
bool cannotShrink(int fd)
{
    const int seals = ::fcntl(fd, F_GET_SEALS);
    return seals >= 0 && (seals & F_SEAL_SHRINK) != 0;
}

} // namespace

std::optional<PageBitmap> readPageBitmap(int fd, QString* why)
{
    // Sealed first, so that the size read next is one it keeps at least.
    const bool mappable = cannotShrink(fd);
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return refuse(why, QCoreApplication::translate("PageBitmapReading", "it is not a plain file"));
    }
    std::array<unsigned char, pagebitmap::kLongestHeader> start{};
    const std::size_t length = readFullyAt(fd, 0, start.data(), start.size());
    // A file that cannot shrink may hold more than its picture.
    const std::int64_t claimed = pagebitmap::claimedFileSize(start.data(), length);
    const std::int64_t size = mappable && claimed > 0 && claimed <= info.st_size ? claimed : info.st_size;
    std::string reason;
    const std::optional<pagebitmap::Layout> layout = pagebitmap::readLayout(start.data(), length, size, &reason);
    if (!layout) {
        return refuse(why, QString::fromStdString(reason));
    }
    const auto bytes = std::size_t(layout->pitch() * layout->height);
    PageBitmap bitmap;
    const unsigned char* rows = nullptr;
    if (mappable) {
        void* mapped = ::mmap(nullptr, std::size_t(size), PROT_READ, MAP_SHARED, fd, 0);
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
