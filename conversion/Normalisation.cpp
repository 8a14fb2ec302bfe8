#include "conversion/Normalisation.h"

#include "imagereader/FormatTable.h"
#include "imagereader/ImageReader.h"
#include "imagereader/PageBitmap.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
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

// Closes a descriptor on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    [[nodiscard]] int get() const { return m_fd; }

private:
    int m_fd;
};

// Why the normalised image could not be written, in words that name the temporary folder when it is full.
QString writeFailure(const QString& imagePath, const QString& bmpPath, int cause)
{
    const QString folder = QFileInfo(bmpPath).absolutePath();
    if (cause == ENOSPC || cause == EDQUOT) {
        return QStringLiteral("The image \"%1\" cannot be prepared for its page: the temporary folder \"%2\" is full "
                              "(no space left on the disk).")
            .arg(imagePath, folder);
    }
    if (cause == EFBIG) {
        return QStringLiteral("The image \"%1\" cannot be prepared for its page: the temporary folder \"%2\" has no "
                              "room for it (the file size limit is reached).")
            .arg(imagePath, folder);
    }
    return QStringLiteral("The image \"%1\" cannot be prepared for its page in the temporary folder \"%2\": %3.")
        .arg(imagePath, folder, QString::fromLocal8Bit(std::strerror(cause)));
}

QString previousNotRemoved(const QString& imagePath, const QString& bmpPath, int cause)
{
    return QStringLiteral("The image \"%1\" cannot be prepared for its page: the previous picture in the temporary "
                          "folder \"%2\" cannot be removed (%3).")
        .arg(imagePath, QFileInfo(bmpPath).absolutePath(), QString::fromLocal8Bit(std::strerror(cause)));
}

// Why what the helper wrote is not the picture its reply announced; empty when it is.
QString outputMismatch(int fd, const imagereader::Reply& reply)
{
    struct stat info = {};
    std::array<unsigned char, pagebitmap::kLongestHeader> start{};
    if (::fstat(fd, &info) != 0) {
        return QStringLiteral("its picture cannot be looked at: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    const ssize_t length = ::pread(fd, start.data(), start.size(), 0);
    std::string why;
    const std::optional<pagebitmap::Layout> layout =
        pagebitmap::readLayout(start.data(), length > 0 ? std::size_t(length) : 0, info.st_size, &why);
    if (!layout) {
        return QStringLiteral("what it wrote is not a picture in its own layout: %1").arg(QString::fromStdString(why));
    }
    if (layout->width != reply.width || layout->height != reply.height) {
        return QStringLiteral("it announced %1 \u00d7 %2 pixels and wrote %3 \u00d7 %4")
            .arg(reply.width)
            .arg(reply.height)
            .arg(layout->width)
            .arg(layout->height);
    }
    return {};
}

// The outcome once the output is checked against the reply: a helper whose picture is not what it said is ended.
ReaderOutcome checkedOutput(ImageReader& reader, const ReaderOutcome& outcome, int fd)
{
    if (!outcome.ok()) {
        return outcome;
    }
    const QString mismatch = outputMismatch(fd, outcome.reply);
    return mismatch.isEmpty() ? outcome : reader.distrust(mismatch);
}

} // namespace

int formatForExtension(const QString& imagePath)
{
    return formatForFileName(QFile::encodeName(QFileInfo(imagePath).fileName()).toStdString());
}

namespace {

imagereader::Request pageRequest(const ImageFile& image)
{
    imagereader::Request request;
    request.mode = imagereader::Mode::Page;
    const QByteArray name = image.native.mid(image.native.lastIndexOf('/') + 1);
    std::strncpy(request.fileName, name.constData(), sizeof request.fileName - 1);
    return request;
}

QString failureText(const QString& imagePath, const QString& bmpPath, const ReaderOutcome& outcome)
{
    if (outcome.kind == ReaderOutcome::Kind::Replied && outcome.reply.status == imagereader::Status::WriteFailed) {
        return writeFailure(imagePath, bmpPath, outcome.reply.error);
    }
    return describeReadFailure(imagePath, outcome);
}

} // namespace

std::optional<NormalisedImage> normaliseImage(ImageReader& reader, const ImageFile& image, const QString& bmpPath,
                                              QString* error)
{
    const QString& imagePath = image.shown;
    const QByteArray bmpName = QFile::encodeName(bmpPath);
    if (::unlink(bmpName.constData()) != 0 && errno != ENOENT) {
        fail(error, previousNotRemoved(imagePath, bmpPath, errno));
        return std::nullopt;
    }

    const Descriptor input(openImageFile(image.shown, image.native, error));
    if (input.get() < 0) {
        return std::nullopt;
    }
    // Read and write: the helper writes it, this process reads its layout back.
    const Descriptor output(::open(bmpName.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (output.get() < 0) {
        fail(error, writeFailure(imagePath, bmpPath, errno));
        return std::nullopt;
    }

    const ReaderOutcome outcome =
        checkedOutput(reader, reader.read(pageRequest(image), input.get(), output.get()), output.get());
    if (outcome.ok()) {
        return NormalisedImage{outcome.reply.width, outcome.reply.height};
    }
    ::unlink(bmpName.constData());
    fail(error, failureText(imagePath, bmpPath, outcome));
    return std::nullopt;
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

void ReadAheadNormaliser::readAhead(const ImageFile& image, const QString& bmpPath)
{
    drop();
    if (m_reader.isBusy()) {
        return;
    }
    const Descriptor input(openImageFile(image.shown, image.native, nullptr));
    if (input.get() < 0) {
        return; // normalise() says why
    }
    // An unnamed file in the workspace, linked in as the normalised image when its page is due.
    const int output =
        ::open(QFile::encodeName(QFileInfo(bmpPath).absolutePath()).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
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

std::optional<NormalisedImage> ReadAheadNormaliser::normalise(const ImageFile& image, const QString& bmpPath,
                                                              QString* error)
{
    if (m_aheadFd < 0 || m_aheadPath != image.native) {
        drop();
        return normaliseImage(m_reader, image, bmpPath, error);
    }
    const QString& imagePath = image.shown;
    const Descriptor ahead(m_aheadFd);
    m_aheadFd = -1;
    const ReaderOutcome outcome = checkedOutput(m_reader, m_reader.wait(), ahead.get());
    m_aheadPath.clear();
    if (!outcome.ok()) {
        fail(error, failureText(imagePath, bmpPath, outcome));
        return std::nullopt;
    }
    const QByteArray bmpName = QFile::encodeName(bmpPath);
    if (::unlink(bmpName.constData()) != 0 && errno != ENOENT) {
        fail(error, previousNotRemoved(imagePath, bmpPath, errno));
        return std::nullopt;
    }
    const QByteArray unnamed = "/proc/self/fd/" + QByteArray::number(ahead.get());
    if (::linkat(AT_FDCWD, unnamed.constData(), AT_FDCWD, bmpName.constData(), AT_SYMLINK_FOLLOW) != 0) {
        fail(error, writeFailure(imagePath, bmpPath, errno));
        return std::nullopt;
    }
    return NormalisedImage{outcome.reply.width, outcome.reply.height};
}

std::optional<NormalisedImage> normaliseImage(const ImageFile& image, const QString& bmpPath, QString* error)
{
    ImageReader reader;
    return normaliseImage(reader, image, bmpPath, error);
}
