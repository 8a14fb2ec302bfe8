#include "imagereader/PageRead.h"

#include "imagereader/ImageReader.h"
#include "imagereader/ReaderOutcome.h"
#include "imagereader/format/FormatTable.h"
#include "imagereader/format/PageBitmap.h"
#include "platform/PosixFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// A user's image opened for a request, and what its file was as the request went out.
struct OpenedImage
{
    FileDescriptor fd;
    struct stat before = {};
};

namespace {

// What the reader may say of a JPEG kept as it is: a colour profile beyond this is no photo's (the reader ignores
// larger ones when it decodes).
constexpr std::uint32_t kMostProfileBytes = 16u << 20;

bool fail(QString* error, const QString& message)
{
    if (error != nullptr) {
        *error = message;
    }
    return false;
}

// Why the helper could not write the picture.
QString writeFailure(const QString& imagePath, int cause)
{
    if (cause == EFBIG) {
        return QCoreApplication::translate(
                   "PageRead", "The image \"%1\" cannot be prepared for its page: this program has no room for its "
                               "picture (the file size limit is reached).")
            .arg(imagePath);
    }
    return QCoreApplication::translate(
               "PageRead", "The image \"%1\" cannot be prepared for its page: its picture cannot be kept (%2).")
        .arg(imagePath, errnoText(cause));
}

// A file in memory for the helper to write pictures to, one after another; -1 with errno.
int pictureFile()
{
    return newPictureFile("pagewell-page");
}

// Whether the helper found the picture file it was given too small for its picture: a file used before is fixed at
// its first picture's size.
bool tooSmall(const ReaderOutcome& outcome)
{
    return outcome.kind == ReaderOutcome::Kind::Replied && outcome.reply.status == imagereader::Status::WriteFailed &&
           outcome.reply.error == EPERM;
}

// Whether what the helper wrote is the picture its reply announced, as far as its header says (a file used before
// may hold the end of a larger picture), with the colour profile it announced behind it, which may be only when the
// original was asked to be kept; empty when it is. *pictureBytes gets the picture's length. The page library checks
// the picture again as it reads it.
QString outputMismatch(int fd, const imagereader::Reply& reply, bool keepOriginal, std::int64_t* pictureBytes)
{
    struct stat info = {};
    std::array<unsigned char, pagebitmap::kLongestHeader> start{};
    if (::fstat(fd, &info) != 0) {
        return QCoreApplication::translate("PageRead", "its picture cannot be looked at: %1").arg(errnoText(errno));
    }
    const ssize_t read = ::pread(fd, start.data(), start.size(), 0);
    const std::size_t length = read > 0 ? std::size_t(read) : 0;
    const std::int64_t claimed = pagebitmap::claimedFileSize(start.data(), length);
    std::string why;
    const std::optional<pagebitmap::Layout> layout = pagebitmap::readLayout(
        start.data(), length, claimed > 0 && claimed <= info.st_size ? claimed : info.st_size, &why);
    if (!layout) {
        return QCoreApplication::translate("PageRead", "what it wrote is not a picture in its own layout: %1")
            .arg(QString::fromStdString(why));
    }
    if (layout->width != reply.width || layout->height != reply.height) {
        return QCoreApplication::translate("PageRead", "it announced %1 × %2 pixels and wrote %3 × %4")
            .arg(reply.width)
            .arg(reply.height)
            .arg(layout->width)
            .arg(layout->height);
    }
    *pictureBytes = layout->fileSize();
    if (reply.profileBytes > 0 && (!keepOriginal || reply.profileBytes > kMostProfileBytes ||
                                   layout->fileSize() + std::int64_t(reply.profileBytes) > info.st_size)) {
        return QCoreApplication::translate("PageRead", "what it said of the picture's colour profile cannot be (%1 "
                                                       "bytes)")
            .arg(reply.profileBytes);
    }
    return {};
}

// The entry's turn as the helper takes it: four quarter turns are none.
std::uint32_t quarterTurns(const ImageFile& image)
{
    return std::uint32_t((image.quarterTurns % 4 + 4) % 4);
}

imagereader::Request pageRequest(const ImageFile& image, bool keepOriginal)
{
    imagereader::Request request;
    request.mode = imagereader::Mode::Page;
    request.quarterTurns = quarterTurns(image);
    request.keepOriginal = keepOriginal ? 1 : 0;
    const QByteArray name = image.native.mid(image.native.lastIndexOf('/') + 1);
    std::strncpy(request.fileName, name.constData(), sizeof request.fileName - 1);
    return request;
}

// Whether what the helper said of a JPEG kept as it is can be so; empty when it can. Its size was checked with the
// reply, and the profile must be within the picture file it was written to.
QString originalMismatch(int fd, const imagereader::Reply& reply, bool asked, const OpenedImage& image)
{
    struct stat output = {};
    const bool fits = asked && reply.original == 1 &&
                      (reply.components == 1 || reply.components == 3 || reply.components == 4) &&
                      reply.orientation >= 1 && reply.orientation <= 8 && reply.inkInverted <= 1 &&
                      (reply.inkInverted == 0 || reply.components == 4) &&
                      pagebitmap::withinLimits(reply.width, reply.height) && reply.profileBytes <= kMostProfileBytes &&
                      ::fstat(fd, &output) == 0 && std::int64_t(reply.profileBytes) <= std::int64_t(output.st_size) &&
                      image.before.st_size <= imagereader::kMaxDecodedBytes && reply.dataBytes >= 4 &&
                      reply.dataBytes <= std::uint64_t(image.before.st_size);
    if (fits) {
        return {};
    }
    if (!asked || reply.original != 1) {
        return QCoreApplication::translate("PageRead", "it kept a JPEG's own data, which was not asked for");
    }
    return QCoreApplication::translate("PageRead", "what it said of the JPEG it kept cannot be (%1 components, "
                                                   "orientation %2, %3 bytes of colour profile)")
        .arg(reply.components)
        .arg(reply.orientation)
        .arg(reply.profileBytes);
}

// Reads exactly `size` bytes from `offset`; false (errno set, 0 when the file ended first) when it cannot.
bool readExactly(int fd, char* into, std::int64_t size, std::int64_t offset)
{
    std::int64_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, into + done, std::size_t(size - done), off_t(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            if (got == 0) {
                errno = 0;
            }
            return false;
        }
        done += got;
    }
    return true;
}

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The first `length` bytes of the user's file, from the descriptor the helper read; false (and *error, naming it) when
// they cannot be read or the file is not what it was when the helper was asked: the page would not be the picture the
// helper checked.
bool copyImageFile(const QString& imagePath, const OpenedImage& image, std::int64_t length, QByteArray* data,
                   QString* error)
{
    const std::int64_t size = image.before.st_size;
    data->resize(qsizetype(length));
    struct stat after = {};
    const bool read = readExactly(image.fd.get(), data->data(), length, 0);
    const int cause = errno;
    if (::fstat(image.fd.get(), &after) != 0 || after.st_size != size ||
        !sameTime(after.st_mtim, image.before.st_mtim) || !sameTime(after.st_ctim, image.before.st_ctim) ||
        (!read && cause == 0)) {
        data->clear();
        return fail(error, QCoreApplication::translate(
                               "PageRead", "The image \"%1\" could not be read: the file changed while it was read.")
                               .arg(imagePath));
    }
    if (!read) {
        data->clear();
        return fail(error, QCoreApplication::translate("PageRead", "The image \"%1\" could not be read: %2.")
                               .arg(imagePath, errnoText(cause)));
    }
    return true;
}

// The normalised image once the helper's outcome and picture are checked; for a JPEG kept as it is, its own data
// copied from the file the helper read.
std::optional<NormalisedImage> taken(ImageReader& reader, const ImageFile& image, bool keepOriginal,
                                     ReaderOutcome outcome, std::shared_ptr<const PictureFile> file,
                                     const OpenedImage& opened, QString* error)
{
    const bool original = outcome.ok() && outcome.reply.original != 0;
    std::int64_t profileOffset = 0; // a kept JPEG's profile leads the file, a picture's follows it
    if (outcome.ok()) {
        if (!fixPictureFileSize(file->fd())) {
            outcome = reader.distrust(QCoreApplication::translate("PageRead", "its picture cannot be kept as it is: %1")
                                          .arg(errnoText(errno)));
        } else if (const QString mismatch =
                       original ? originalMismatch(file->fd(), outcome.reply, keepOriginal, opened)
                                : outputMismatch(file->fd(), outcome.reply, keepOriginal, &profileOffset);
                   !mismatch.isEmpty()) {
            outcome = reader.distrust(mismatch);
        }
    }
    QByteArray profile;
    if (outcome.ok() && outcome.reply.profileBytes > 0) {
        profile.resize(qsizetype(outcome.reply.profileBytes));
        if (!readExactly(file->fd(), profile.data(), profile.size(), profileOffset)) {
            outcome = reader.distrust(
                QCoreApplication::translate("PageRead", "its colour profile cannot be read: %1").arg(errnoText(errno)));
        }
    }
    if (!outcome.ok()) {
        const bool writeFailed =
            outcome.kind == ReaderOutcome::Kind::Replied && outcome.reply.status == imagereader::Status::WriteFailed;
        fail(error,
             writeFailed ? writeFailure(image.shown, outcome.reply.error) : describeReadFailure(image.shown, outcome));
        return std::nullopt;
    }
    // The page's size is worked out from these: what is no number above 0 states nothing.
    const auto stated = [](double perInch) { return std::isfinite(perInch) && perInch > 0 ? perInch : 0.0; };
    const imagereader::Reply& reply = outcome.reply;
    if (!original) {
        return NormalisedImage{
            reply.width,  reply.height,      std::move(file), stated(reply.resolutionX), stated(reply.resolutionY),
            std::nullopt, std::move(profile)};
    }
    OriginalJpeg jpeg;
    if (!copyImageFile(image.shown, opened, std::int64_t(reply.dataBytes), &jpeg.data, error)) {
        return std::nullopt;
    }
    jpeg.width = reply.width;
    jpeg.height = reply.height;
    jpeg.components = reply.components;
    jpeg.orientation = reply.orientation;
    jpeg.inkInverted = reply.inkInverted != 0;
    jpeg.iccProfile = std::move(profile);
    // Orientations 5 to 8 stand the stored picture on its side.
    const bool sideways = reply.orientation >= 5;
    return NormalisedImage{sideways ? reply.height : reply.width,
                           sideways ? reply.width : reply.height,
                           nullptr,
                           stated(reply.resolutionX),
                           stated(reply.resolutionY),
                           std::move(jpeg),
                           {}};
}

// The user's image opened for a request; nothing (and *error) when it cannot be opened.
std::unique_ptr<OpenedImage> openedImage(const ImageFile& image, QString* error)
{
    auto opened = std::make_unique<OpenedImage>();
    opened->fd = FileDescriptor(openImageFile(image.shown, image.native, error));
    if (!opened->fd.isOpen()) {
        return nullptr;
    }
    if (::fstat(opened->fd.get(), &opened->before) != 0) {
        fail(error, QCoreApplication::translate("PageRead", "The image \"%1\" could not be read: %2.")
                        .arg(image.shown, errnoText(errno)));
        return nullptr;
    }
    return opened;
}

// Reads the image into the picture file; nothing (and *error) when the image cannot be opened. *opened gets the
// image as it was opened for the request.
std::optional<ReaderOutcome> readInto(ImageReader& reader, const ImageFile& image, bool keepOriginal,
                                      const PictureFile& file, std::unique_ptr<OpenedImage>* opened, QString* error)
{
    *opened = openedImage(image, error);
    if (!*opened) {
        return std::nullopt;
    }
    return reader.read(pageRequest(image, keepOriginal), (*opened)->fd.get(), file.fd());
}

} // namespace

std::optional<NormalisedImage> readPagePicture(ImageReader& reader, const ImageFile& image, bool keepOriginal,
                                               QString* error)
{
    const int output = pictureFile();
    if (output < 0) {
        fail(error, writeFailure(image.shown, errno));
        return std::nullopt;
    }
    auto file = std::make_shared<const PictureFile>(output);
    std::unique_ptr<OpenedImage> opened;
    const std::optional<ReaderOutcome> outcome = readInto(reader, image, keepOriginal, *file, &opened, error);
    if (!outcome) {
        return std::nullopt;
    }
    return taken(reader, image, keepOriginal, *outcome, std::move(file), *opened, error);
}

PageRead::PageRead(ImageReader& reader) : m_reader(reader) {}

PageRead::~PageRead()
{
    drop();
}

std::shared_ptr<const PictureFile> PageRead::unusedFile()
{
    for (std::shared_ptr<const PictureFile>& file : m_files) {
        if (!file) {
            const int fd = pictureFile();
            if (fd >= 0) {
                file = std::make_shared<const PictureFile>(fd);
            }
            return file;
        }
        if (file.use_count() == 1) {
            return file;
        }
    }
    // Never the file a page is still made from, nor the one read ahead into.
    const int fd = pictureFile();
    return fd >= 0 ? std::make_shared<const PictureFile>(fd) : nullptr;
}

std::shared_ptr<const PictureFile> PageRead::replaced(const std::shared_ptr<const PictureFile>& file)
{
    const int fd = pictureFile();
    std::shared_ptr<const PictureFile> fresh = fd >= 0 ? std::make_shared<const PictureFile>(fd) : nullptr;
    for (std::shared_ptr<const PictureFile>& kept : m_files) {
        if (kept == file) {
            kept = fresh;
        }
    }
    return fresh;
}

void PageRead::drop()
{
    if (m_ahead && m_reader.isBusy()) {
        m_reader.cancel();
    }
    m_ahead.reset();
    m_aheadImage.reset();
    m_aheadPath.clear();
    m_aheadTurns = 0;
    m_aheadKeep = false;
}

void PageRead::readAhead(const ImageFile& image, bool keepOriginal)
{
    drop();
    if (m_reader.isBusy()) {
        return;
    }
    std::unique_ptr<OpenedImage> opened = openedImage(image, nullptr);
    if (!opened) {
        return; // read() says why
    }
    std::shared_ptr<const PictureFile> file = unusedFile();
    if (!file || !m_reader.start(pageRequest(image, keepOriginal), opened->fd.get(), file->fd(), nullptr)) {
        return;
    }
    m_aheadPath = image.native;
    m_aheadTurns = quarterTurns(image);
    m_aheadKeep = keepOriginal;
    m_ahead = std::move(file);
    m_aheadImage = std::move(opened);
}

std::optional<NormalisedImage> PageRead::read(const ImageFile& image, bool keepOriginal, QString* error)
{
    std::shared_ptr<const PictureFile> file;
    std::unique_ptr<OpenedImage> opened;
    std::optional<ReaderOutcome> outcome;
    // Reads the image into the file given; false (and *error) when there is no file or the image cannot be opened.
    const auto readIntoFile = [&](std::shared_ptr<const PictureFile> into) {
        if (!into) {
            fail(error, writeFailure(image.shown, errno));
            return false;
        }
        file = std::move(into);
        outcome = readInto(m_reader, image, keepOriginal, *file, &opened, error);
        return outcome.has_value();
    };
    if (m_ahead && m_aheadPath == image.native && m_aheadTurns == quarterTurns(image) && m_aheadKeep == keepOriginal) {
        file = std::move(m_ahead);
        opened = std::move(m_aheadImage);
        drop();
        outcome = m_reader.wait();
    } else {
        drop();
        if (!readIntoFile(unusedFile())) {
            return std::nullopt;
        }
    }
    // A fresh file grows to whatever the picture needs.
    if (tooSmall(*outcome) && !readIntoFile(replaced(file))) {
        return std::nullopt;
    }
    return taken(m_reader, image, keepOriginal, *outcome, std::move(file), *opened, error);
}

std::optional<NormalisedImage> readPagePicture(const ImageFile& image, bool keepOriginal, QString* error)
{
    ImageReader reader;
    return readPagePicture(reader, image, keepOriginal, error);
}
