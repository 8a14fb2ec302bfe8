#include "imagereader/PreviewRead.h"

#include "imagereader/ImageFile.h"
#include "imagereader/ImageReader.h"
#include "imagereader/PictureFile.h"
#include "imagereader/ReaderOutcome.h"
#include "platform/PosixFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cerrno>
#include <cstring>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The picture the helper wrote: a header, then 32-bit rows top-down, of the size its reply announced (within the
// size asked for); nothing when it is not exactly that.
QImage readPicture(int fd, QSize maxSize, const imagereader::Reply& reply)
{
    imagereader::PreviewHeader header;
    if (::pread(fd, &header, sizeof header, 0) != ssize_t(sizeof header) ||
        header.magic != imagereader::kProtocolMagic || header.width == 0 || header.height == 0 ||
        header.width > unsigned(maxSize.width()) || header.height > unsigned(maxSize.height()) ||
        header.width != unsigned(reply.width) || header.height != unsigned(reply.height)) {
        return {};
    }
    struct stat info = {};
    const qint64 pixelBytes = qint64(header.width) * header.height * 4;
    if (::fstat(fd, &info) != 0 || info.st_size != qint64(sizeof header) + pixelBytes) {
        return {};
    }
    QImage image(int(header.width), int(header.height), QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    for (int y = 0; y < image.height(); ++y) {
        const qint64 rowBytes = qint64(header.width) * 4;
        if (::pread(fd, image.scanLine(y), size_t(rowBytes), off_t(sizeof header + y * rowBytes)) != rowBytes) {
            return {};
        }
    }
    return image;
}

} // namespace

PreviewRead::PreviewRead(QObject* parent) : QObject(parent), m_reader(new ImageReader(this))
{
    // A helper for each preview: nothing of the reader stays in the background while the window waits.
    m_reader->setKeepRunning(false);
    connect(m_reader, &ImageReader::finished, this, &PreviewRead::onFinished);
}

PreviewRead::~PreviewRead()
{
    m_reader->cancel();
    closeOutput();
}

void PreviewRead::request(const QString& path, QSize maxSize)
{
    // Only a read under way is stopped: an idle helper that is kept serves this one too.
    if (isBusy()) {
        m_reader->cancel();
    }
    closeOutput();
    m_path = path;
    const QSize bounded =
        maxSize.boundedTo(QSize(imagereader::kMaxPreviewSide, imagereader::kMaxPreviewSide)).expandedTo(QSize(1, 1));
    m_maxSize = bounded;
    const auto failLater = [this, path](const QString& reason) {
        // Asynchronous as promised, even when nothing was started.
        QTimer::singleShot(0, this, [this, path, reason, current = m_path] {
            if (m_path == current && !m_reader->isBusy()) {
                Q_EMIT finished(path, QImage(), reason);
            }
        });
    };

    QString error;
    const int input = openImageFile(path, QFile::encodeName(path), &error);
    if (input < 0) {
        failLater(error);
        return;
    }
    m_output = newPictureFile("pagewell-preview");
    if (m_output < 0) {
        ::close(input);
        failLater(QCoreApplication::translate("PreviewRead", "The preview of \"%1\" has no room: %2.")
                      .arg(path, errnoText(errno)));
        return;
    }
    imagereader::Request request;
    request.mode = imagereader::Mode::Preview;
    request.maxWidth = unsigned(bounded.width());
    request.maxHeight = unsigned(bounded.height());
    const QByteArray name = QFile::encodeName(path);
    std::strncpy(request.fileName, name.constData() + (name.lastIndexOf('/') + 1), sizeof request.fileName - 1);
    const bool started = m_reader->start(request, input, m_output, &error);
    ::close(input);
    if (!started) {
        closeOutput();
        ReaderOutcome outcome;
        outcome.kind = ReaderOutcome::Kind::NotStarted;
        outcome.detail = error;
        failLater(describeReadFailure(path, outcome));
    }
}

void PreviewRead::setKeepRunning(bool keep)
{
    m_reader->setKeepRunning(keep);
}

void PreviewRead::setTimeout(std::chrono::seconds timeout)
{
    m_reader->setTimeout(timeout);
}

void PreviewRead::cancel()
{
    m_reader->cancel();
    closeOutput();
    m_path.clear();
}

bool PreviewRead::isBusy() const
{
    return m_reader->isBusy();
}

void PreviewRead::onFinished(const ReaderOutcome& outcome)
{
    const QString path = m_path;
    QImage image;
    QString reason;
    if (outcome.ok()) {
        // The helper may keep its descriptor of the file: it is not to grow it once its answer is in.
        if (fixPictureFileSize(m_output)) {
            image = readPicture(m_output, m_maxSize, outcome.reply);
        }
        if (image.isNull()) {
            reason = describeReadFailure(path, m_reader->distrust(QCoreApplication::translate(
                                                   "PreviewRead", "its picture is not the one it announced")));
        }
    } else if (outcome.kind == ReaderOutcome::Kind::Replied &&
               outcome.reply.status == imagereader::Status::WriteFailed) {
        reason = QCoreApplication::translate("PreviewRead", "The preview of \"%1\" has no room: %2.")
                     .arg(path, errnoText(outcome.reply.error));
    } else {
        reason = describeReadFailure(path, outcome);
    }
    closeOutput();
    Q_EMIT finished(path, image, reason);
}

void PreviewRead::closeOutput()
{
    if (m_output >= 0) {
        ::close(m_output);
        m_output = -1;
    }
}
