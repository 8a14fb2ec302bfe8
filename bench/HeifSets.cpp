#include "bench/HeifSets.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <libheif/heif.h>

#include <cstring>
#include <memory>

bool makeHeifPhotos(const QString& jpegDir, const QString& dir, const QString& suffix, QString* error)
{
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("Cannot make the folder \"%1\".").arg(dir);
        return false;
    }
    const QDir source(jpegDir);
    for (const QString& name : source.entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name)) {
        const QString target = dir + QLatin1Char('/') + QFileInfo(name).completeBaseName() + QLatin1Char('.') + suffix;
        QProcess encoder;
        encoder.setProcessChannelMode(QProcess::MergedChannels);
        if (suffix == QLatin1String("avif")) {
            encoder.start(QStringLiteral("avifenc"), {QStringLiteral("-s"), QStringLiteral("10"), QStringLiteral("-j"),
                                                      QStringLiteral("all"), source.filePath(name), target});
        } else {
            encoder.start(QStringLiteral("heif-enc"), {QStringLiteral("-q"), QStringLiteral("80"),
                                                       source.filePath(name), QStringLiteral("-o"), target});
        }
        if (!encoder.waitForFinished(600000) || encoder.exitStatus() != QProcess::NormalExit ||
            encoder.exitCode() != 0) {
            *error = QStringLiteral("Cannot encode \"%1\": %2").arg(target, QString::fromLocal8Bit(encoder.readAll()));
            return false;
        }
    }
    return true;
}

bool isHeifFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("heic") || suffix == QLatin1String("avif");
}

bool decodeHeif(const QByteArray& file, std::vector<unsigned char>* rgb, int* width, int* height)
{
    const std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(), heif_context_free);
    heif_image_handle* handle = nullptr;
    if (heif_context_read_from_memory_without_copy(context.get(), file.constData(), std::size_t(file.size()), nullptr)
                .code != heif_error_Ok ||
        heif_context_get_primary_image_handle(context.get(), &handle).code != heif_error_Ok) {
        return false;
    }
    const std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> owned(handle,
                                                                                       heif_image_handle_release);
    heif_image* image = nullptr;
    if (heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code !=
        heif_error_Ok) {
        return false;
    }
    const std::unique_ptr<heif_image, void (*)(const heif_image*)> decoded(image, heif_image_release);
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    *width = heif_image_get_width(image, heif_channel_interleaved);
    *height = heif_image_get_height(image, heif_channel_interleaved);
    if (plane == nullptr || *width <= 0 || *height <= 0) {
        return false;
    }
    rgb->resize(std::size_t(*width) * 3 * std::size_t(*height));
    for (int y = 0; y < *height; ++y) {
        std::memcpy(rgb->data() + std::size_t(y) * std::size_t(*width) * 3, plane + std::ptrdiff_t(y) * stride,
                    std::size_t(*width) * 3);
    }
    return true;
}
