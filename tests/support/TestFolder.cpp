#include "support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

TestFolder::TestFolder() : m_dir(QDir::tempPath() + "/pagewell-test-XXXXXX") {}

QString TestFolder::write(const QString& relative, const QByteArray& bytes) const
{
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile out(full);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(bytes);
    }
    return full;
}

QString TestFolder::mkdir(const QString& relative) const
{
    const QString full = file(relative);
    QDir().mkpath(full);
    return full;
}

QImage makeTestPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            line[x] = qRgb(255 * x / qMax(1, width - 1), 255 * y / qMax(1, height - 1), 128);
        }
    }
    QPainter painter(&image);
    const int cw = qMax(1, width / 4);
    const int ch = qMax(1, height / 4);
    painter.fillRect(0, 0, cw, ch, Qt::red);
    painter.fillRect(width - cw, 0, cw, ch, Qt::green);
    painter.fillRect(0, height - ch, cw, ch, Qt::blue);
    painter.fillRect(width - cw, height - ch, cw, ch, Qt::black);
    return image;
}
