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

namespace {

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
// may hold the end of a larger picture); empty when it is. The page library checks the picture again as it reads it.
QString outputMismatch(int fd, const imagereader::Reply& reply)
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
    return {};
}

// The entry's turn as the helper takes it: four quarter turns are none.
std::uint32_t quarterTurns(const ImageFile& image)
{
    return std::uint32_t((image.quarterTurns % 4 + 4) % 4);
}

imagereader::Request pageRequest(const ImageFile& image)
{
    imagereader::Request request;
    request.mode = imagereader::Mode::Page;
    request.quarterTurns = quarterTurns(image);
    const QByteArray name = image.native.mid(image.native.lastIndexOf('/') + 1);
    std::strncpy(request.fileName, name.constData(), sizeof request.fileName - 1);
    return request;
}

// The normalised image once the helper's outcome and picture are checked.
std::optional<NormalisedImage> taken(ImageReader& reader, const QString& imagePath, ReaderOutcome outcome,
                                     std::shared_ptr<const PictureFile> file, QString* error)
{
    if (outcome.ok()) {
        if (!fixPictureFileSize(file->fd())) {
            outcome = reader.distrust(QCoreApplication::translate("PageRead", "its picture cannot be kept as it is: %1")
                                          .arg(errnoText(errno)));
        } else if (const QString mismatch = outputMismatch(file->fd(), outcome.reply); !mismatch.isEmpty()) {
            outcome = reader.distrust(mismatch);
        }
    }
    if (!outcome.ok()) {
        const bool writeFailed =
            outcome.kind == ReaderOutcome::Kind::Replied && outcome.reply.status == imagereader::Status::WriteFailed;
        fail(error,
             writeFailed ? writeFailure(imagePath, outcome.reply.error) : describeReadFailure(imagePath, outcome));
        return std::nullopt;
    }
    // The page's size is worked out from these: what is no number above 0 states nothing.
    const auto stated = [](double perInch) { return std::isfinite(perInch) && perInch > 0 ? perInch : 0.0; };
    return NormalisedImage{outcome.reply.width, outcome.reply.height, std::move(file),
                           stated(outcome.reply.resolutionX), stated(outcome.reply.resolutionY)};
}

// Reads the image into the picture file; nothing (and *error) when the image cannot be opened.
std::optional<ReaderOutcome> readInto(ImageReader& reader, const ImageFile& image, const PictureFile& file,
                                      QString* error)
{
    const FileDescriptor input(openImageFile(image.shown, image.native, error));
    if (input.get() < 0) {
        return std::nullopt;
    }
    return reader.read(pageRequest(image), input.get(), file.fd());
}

} // namespace

std::optional<NormalisedImage> readPagePicture(ImageReader& reader, const ImageFile& image, QString* error)
{
    const int output = pictureFile();
    if (output < 0) {
        fail(error, writeFailure(image.shown, errno));
        return std::nullopt;
    }
    auto file = std::make_shared<const PictureFile>(output);
    const std::optional<ReaderOutcome> outcome = readInto(reader, image, *file, error);
    if (!outcome) {
        return std::nullopt;
    }
    return taken(reader, image.shown, *outcome, std::move(file), error);
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
    m_aheadPath.clear();
    m_aheadTurns = 0;
}

void PageRead::readAhead(const ImageFile& image)
{
    drop();
    if (m_reader.isBusy()) {
        return;
    }
    const FileDescriptor input(openImageFile(image.shown, image.native, nullptr));
    if (input.get() < 0) {
        return; // read() says why
    }
    std::shared_ptr<const PictureFile> file = unusedFile();
    if (!file || !m_reader.start(pageRequest(image), input.get(), file->fd(), nullptr)) {
        return;
    }
    m_aheadPath = image.native;
    m_aheadTurns = quarterTurns(image);
    m_ahead = std::move(file);
}

std::optional<NormalisedImage> PageRead::read(const ImageFile& image, QString* error)
{
    std::shared_ptr<const PictureFile> file;
    std::optional<ReaderOutcome> outcome;
    // Reads the image into the file given; false (and *error) when there is no file or the image cannot be opened.
    const auto readIntoFile = [&](std::shared_ptr<const PictureFile> into) {
        if (!into) {
            fail(error, writeFailure(image.shown, errno));
            return false;
        }
        file = std::move(into);
        outcome = readInto(m_reader, image, *file, error);
        return outcome.has_value();
    };
    if (m_ahead && m_aheadPath == image.native && m_aheadTurns == quarterTurns(image)) {
        file = std::move(m_ahead);
        m_ahead.reset();
        m_aheadPath.clear();
        m_aheadTurns = 0;
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
    return taken(m_reader, image.shown, *outcome, std::move(file), error);
}

std::optional<NormalisedImage> readPagePicture(const ImageFile& image, QString* error)
{
    ImageReader reader;
    return readPagePicture(reader, image, error);
}
