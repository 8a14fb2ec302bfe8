#include "conversion/Normalisation.h"

#include "imagereader/FormatTable.h"
#include "imagereader/ImageReader.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
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
        return QStringLiteral("The image \"%1\" cannot be prepared for its page: the file \"%2\" would be larger "
                              "than the file size limit allows.")
            .arg(imagePath, bmpPath);
    }
    return QStringLiteral("The image \"%1\" cannot be written as \"%2\": %3.")
        .arg(imagePath, bmpPath, QString::fromLocal8Bit(std::strerror(cause)));
}

} // namespace

int formatForExtension(const QString& imagePath)
{
    return formatForFileName(QFile::encodeName(QFileInfo(imagePath).fileName()).toStdString());
}

std::optional<NormalisedImage> normaliseImage(ImageReader& reader, const QString& imagePath, const QString& bmpPath,
                                              QString* error)
{
    const QByteArray bmpName = QFile::encodeName(bmpPath);
    if (::unlink(bmpName.constData()) != 0 && errno != ENOENT) {
        fail(error, QStringLiteral("The previous normalised image \"%1\" cannot be removed.").arg(bmpPath));
        return std::nullopt;
    }

    const Descriptor input(openImageFile(imagePath, error));
    if (input.get() < 0) {
        return std::nullopt;
    }
    const Descriptor output(::open(bmpName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (output.get() < 0) {
        fail(error, writeFailure(imagePath, bmpPath, errno));
        return std::nullopt;
    }

    imagereader::Request request;
    request.mode = imagereader::Mode::Page;
    const QByteArray name = QFile::encodeName(QFileInfo(imagePath).fileName());
    std::strncpy(request.fileName, name.constData(), sizeof request.fileName - 1);
    const ReaderOutcome outcome = reader.read(request, input.get(), output.get());
    if (outcome.ok()) {
        return NormalisedImage{outcome.reply.width, outcome.reply.height};
    }
    ::unlink(bmpName.constData());
    if (outcome.kind == ReaderOutcome::Kind::Replied && outcome.reply.status == imagereader::Status::WriteFailed) {
        fail(error, writeFailure(imagePath, bmpPath, outcome.reply.error));
    } else {
        fail(error, describeReadFailure(imagePath, outcome));
    }
    return std::nullopt;
}

std::optional<NormalisedImage> normaliseImage(const QString& imagePath, const QString& bmpPath, QString* error)
{
    ImageReader reader;
    return normaliseImage(reader, imagePath, bmpPath, error);
}
