#include "conversion/Normalisation.h"

#include "imagereader/FormatTable.h"
#include "imagereader/ImageReader.h"
#include "imagereader/PageBitmap.h"
#include "platform/PosixFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
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
                   "Normalisation",
                   "The image \"%1\" cannot be prepared for its page: this program has no room for its "
                   "picture (the file size limit is reached).")
            .arg(imagePath);
    }
    return QCoreApplication::translate(
               "Normalisation", "The image \"%1\" cannot be prepared for its page: its picture cannot be kept (%2).")
        .arg(imagePath, errnoText(cause));
}

// A file in memory for the helper to write a picture to, which can be sealed afterwards; -1 with errno.
int pictureFile()
{
    return ::memfd_create("pagewell-page", MFD_CLOEXEC | MFD_ALLOW_SEALING);
}

// Why what the helper wrote is not the picture its reply announced; empty when it is.
QString outputMismatch(int fd, const imagereader::Reply& reply)
{
    // Sealed first: from here on the picture cannot change under this process, whatever the helper still holds.
    constexpr int kSeals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL;
    if (::fcntl(fd, F_ADD_SEALS, kSeals) != 0) {
        return QCoreApplication::translate("Normalisation", "its picture cannot be sealed: %1").arg(errnoText(errno));
    }
    struct stat info = {};
    std::array<unsigned char, pagebitmap::kLongestHeader> start{};
    if (::fstat(fd, &info) != 0) {
        return QCoreApplication::translate("Normalisation", "its picture cannot be looked at: %1")
            .arg(errnoText(errno));
    }
    const ssize_t length = ::pread(fd, start.data(), start.size(), 0);
    std::string why;
    const std::optional<pagebitmap::Layout> layout =
        pagebitmap::readLayout(start.data(), length > 0 ? std::size_t(length) : 0, info.st_size, &why);
    if (!layout) {
        return QCoreApplication::translate("Normalisation", "what it wrote is not a picture in its own layout: %1")
            .arg(QString::fromStdString(why));
    }
    if (layout->width != reply.width || layout->height != reply.height) {
        return QCoreApplication::translate("Normalisation", "it announced %1 × %2 pixels and wrote %3 × %4")
            .arg(reply.width)
            .arg(reply.height)
            .arg(layout->width)
            .arg(layout->height);
    }
    return {};
}

imagereader::Request pageRequest(const ImageFile& image)
{
    imagereader::Request request;
    request.mode = imagereader::Mode::Page;
    const QByteArray name = image.native.mid(image.native.lastIndexOf('/') + 1);
    std::strncpy(request.fileName, name.constData(), sizeof request.fileName - 1);
    return request;
}

// The normalised image once the helper's outcome and picture are checked; the picture file is taken over.
std::optional<NormalisedImage> taken(ImageReader& reader, const QString& imagePath, ReaderOutcome outcome, int fd,
                                     QString* error)
{
    if (outcome.ok()) {
        if (const QString mismatch = outputMismatch(fd, outcome.reply); !mismatch.isEmpty()) {
            outcome = reader.distrust(mismatch);
        }
    }
    if (!outcome.ok()) {
        ::close(fd);
        const bool writeFailed =
            outcome.kind == ReaderOutcome::Kind::Replied && outcome.reply.status == imagereader::Status::WriteFailed;
        fail(error,
             writeFailed ? writeFailure(imagePath, outcome.reply.error) : describeReadFailure(imagePath, outcome));
        return std::nullopt;
    }
    return NormalisedImage{outcome.reply.width, outcome.reply.height, std::make_shared<const SealedPicture>(fd)};
}

} // namespace

int formatForExtension(const QString& imagePath)
{
    return formatForFileName(QFile::encodeName(QFileInfo(imagePath).fileName()).toStdString());
}

SealedPicture::~SealedPicture()
{
    ::close(m_fd);
}

QString SealedPicture::path() const
{
    return QStringLiteral("/proc/self/fd/%1").arg(m_fd);
}

std::optional<NormalisedImage> normaliseImage(ImageReader& reader, const ImageFile& image, QString* error)
{
    const QString& imagePath = image.shown;
    const FileDescriptor input(openImageFile(image.shown, image.native, error));
    if (input.get() < 0) {
        return std::nullopt;
    }
    const int output = pictureFile();
    if (output < 0) {
        fail(error, writeFailure(imagePath, errno));
        return std::nullopt;
    }
    return taken(reader, imagePath, reader.read(pageRequest(image), input.get(), output), output, error);
}

ReadAheadNormaliser::ReadAheadNormaliser(ImageReader& reader) : m_reader(reader) {}

ReadAheadNormaliser::~ReadAheadNormaliser()
{
    drop();
}

void ReadAheadNormaliser::drop()
{
    if (m_aheadFd >= 0) {
        if (m_reader.isBusy()) {
            m_reader.cancel();
        }
        ::close(m_aheadFd);
        m_aheadFd = -1;
    }
    m_aheadPath.clear();
}

void ReadAheadNormaliser::readAhead(const ImageFile& image)
{
    drop();
    if (m_reader.isBusy()) {
        return;
    }
    const FileDescriptor input(openImageFile(image.shown, image.native, nullptr));
    if (input.get() < 0) {
        return; // normalise() says why
    }
    const int output = pictureFile();
    if (output < 0) {
        return;
    }
    if (!m_reader.start(pageRequest(image), input.get(), output, nullptr)) {
        ::close(output);
        return;
    }
    m_aheadPath = image.native;
    m_aheadFd = output;
}

std::optional<NormalisedImage> ReadAheadNormaliser::normalise(const ImageFile& image, QString* error)
{
    if (m_aheadFd < 0 || m_aheadPath != image.native) {
        drop();
        return normaliseImage(m_reader, image, error);
    }
    const int ahead = m_aheadFd;
    m_aheadFd = -1;
    m_aheadPath.clear();
    return taken(m_reader, image.shown, m_reader.wait(), ahead, error);
}

std::optional<NormalisedImage> normaliseImage(const ImageFile& image, QString* error)
{
    ImageReader reader;
    return normaliseImage(reader, image, error);
}
