#include "bench/BenchImages.h"

#include <FreeImage.h>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <turbojpeg.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

struct TurboDeleter
{
    void operator()(void* handle) const { tjDestroy(handle); }
};

bool fail(QString* error, const QString& message)
{
    *error = message;
    return false;
}

// xorshift: fast and the same pictures on every machine.
class Grain
{
public:
    explicit Grain(std::uint32_t seed) : m_state(seed | 1u) {}
    int next(int amplitude)
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        // Sum of two uniforms: a rough bell, like sensor noise.
        const int a = int(m_state & 0xff) + int((m_state >> 8) & 0xff) - 255;
        return a * amplitude / 255;
    }

private:
    std::uint32_t m_state;
};

unsigned char clampByte(int v)
{
    return static_cast<unsigned char>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

bool writeFile(const QString& path, const unsigned char* data, unsigned long size, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size)) {
        return fail(error, QStringLiteral("Cannot write \"%1\": %2.").arg(path, file.errorString()));
    }
    return true;
}

} // namespace

namespace {

// Photo number n as 8-bit RGB rows, top first.
std::vector<unsigned char> photoPixels(int n, int width, int height)
{
    std::vector<unsigned char> rgb(std::size_t(width) * std::size_t(height) * 3);
    Grain grain(0x9e3779b9u * std::uint32_t(n + 1));
    const double phase = n * 0.7;
    for (int y = 0; y < height; ++y) {
        unsigned char* row = rgb.data() + std::size_t(y) * std::size_t(width) * 3;
        const double fy = double(y) / height;
        for (int x = 0; x < width; ++x) {
            const double fx = double(x) / width;
            // A sky-to-ground gradient with soft shapes, so that the picture is not pure noise.
            const double shape = 40.0 * std::sin(fx * 9.0 + phase) * std::cos(fy * 7.0 - phase);
            row[3 * x + 0] = clampByte(int(90 + 120 * fy + shape) + grain.next(28));
            row[3 * x + 1] = clampByte(int(140 - 40 * fy + 0.5 * shape) + grain.next(28));
            row[3 * x + 2] = clampByte(int(200 - 150 * fy - shape) + grain.next(28));
        }
    }
    return rgb;
}

} // namespace

bool makePhotos(const QString& dir, int count, int width, int height, QString* error)
{
    if (!QDir().mkpath(dir)) {
        return fail(error, QStringLiteral("Cannot make the folder \"%1\".").arg(dir));
    }
    const std::unique_ptr<void, TurboDeleter> encoder(tjInitCompress());
    for (int n = 0; n < count; ++n) {
        const std::vector<unsigned char> rgb = photoPixels(n, width, height);
        unsigned char* jpeg = nullptr;
        unsigned long size = 0;
        if (tjCompress2(encoder.get(), rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_420, 92, 0) != 0) {
            tjFree(jpeg);
            return fail(error, QStringLiteral("Cannot encode a photo: %1.")
                                   .arg(QString::fromLocal8Bit(tjGetErrorStr2(encoder.get()))));
        }
        const bool written =
            writeFile(dir + QStringLiteral("/photo-%1.jpg").arg(n, 3, 10, QLatin1Char('0')), jpeg, size, error);
        tjFree(jpeg);
        if (!written) {
            return false;
        }
    }
    return true;
}

bool makeTiff(const QString& path, int width, int height, QString* error)
{
    const std::vector<unsigned char> rgb = photoPixels(0, width, height);
    const std::unique_ptr<FIBITMAP, decltype(&FreeImage_Unload)> bitmap(FreeImage_Allocate(width, height, 24),
                                                                        &FreeImage_Unload);
    if (!bitmap) {
        return fail(error, QStringLiteral("Cannot hold a %1 x %2 picture.").arg(width).arg(height));
    }
    for (int y = 0; y < height; ++y) {
        const unsigned char* from = rgb.data() + std::size_t(y) * std::size_t(width) * 3;
        BYTE* to = FreeImage_GetScanLine(bitmap.get(), height - 1 - y);
        for (int x = 0; x < width; ++x, from += 3, to += 3) {
            to[FI_RGBA_RED] = from[0];
            to[FI_RGBA_GREEN] = from[1];
            to[FI_RGBA_BLUE] = from[2];
        }
    }
    if (!FreeImage_Save(FIF_TIFF, bitmap.get(), QFile::encodeName(path).constData(), TIFF_NONE)) {
        return fail(error, QStringLiteral("Cannot write \"%1\".").arg(path));
    }
    return true;
}

bool makeScreenshots(const QString& dir, int count, int width, int height, QString* error)
{
    if (!QDir().mkpath(dir)) {
        return fail(error, QStringLiteral("Cannot make the folder \"%1\".").arg(dir));
    }
    for (int n = 0; n < count; ++n) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(236, 238, 242));
        QPainter painter(&image);
        QLinearGradient title(0, 0, width, 0);
        title.setColorAt(0, QColor(40, 70, 140));
        title.setColorAt(1, QColor(90, 140, 210));
        painter.fillRect(0, 0, width, 40, title);
        painter.fillRect(0, 40, 260, height - 40, QColor(250, 250, 252));
        painter.setPen(QColor(30, 30, 30));
        for (int line = 0; line * 18 + 60 < height; ++line) {
            painter.drawText(280, 60 + line * 18,
                             QStringLiteral("Line %1 of screenshot %2: the quick brown fox jumps over the lazy dog, "
                                            "0123456789 (%3)")
                                 .arg(line)
                                 .arg(n)
                                 .arg((line * 7919 + n) % 1000));
            if (line % 3 == 0) {
                painter.drawText(20, 60 + line * 18, QStringLiteral("Item %1").arg(line));
            }
        }
        painter.fillRect(width - 420, 120, 360, 240, QColor(200 - n * 3, 120, 60 + n * 4));
        painter.end();
        const QString path = dir + QStringLiteral("/screen-%1.png").arg(n, 3, 10, QLatin1Char('0'));
        if (!image.save(path, "PNG")) {
            return fail(error, QStringLiteral("Cannot write \"%1\".").arg(path));
        }
    }
    return true;
}

bool makeScanTree(const QString& dir, int fileCount, QString* error)
{
    static const char* const extensions[] = {".jpg", ".png", ".gif", ".txt"};
    const int perFolder = fileCount / 100;
    int made = 0;
    for (int a = 0; a < 10; ++a) {
        for (int b = 0; b < 10; ++b) {
            const QString folder = dir + QStringLiteral("/Album %1/Roll %2").arg(a).arg(b);
            if (!QDir().mkpath(folder)) {
                return fail(error, QStringLiteral("Cannot make the folder \"%1\".").arg(folder));
            }
            const int files = (a == 9 && b == 9) ? fileCount - made : perFolder;
            for (int f = 0; f < files; ++f, ++made) {
                QFile file(folder + QStringLiteral("/IMG_%1%2")
                                        .arg(made, 5, 10, QLatin1Char('0'))
                                        .arg(QLatin1String(extensions[f % 4])));
                if (!file.open(QIODevice::WriteOnly)) {
                    return fail(error, QStringLiteral("Cannot write \"%1\".").arg(file.fileName()));
                }
            }
        }
    }
    return true;
}
