#include "imagelist/DropIntake.h"

#include "imagelist/ImageTest.h"
#include "imagelist/LocalFileUrl.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

QList<QByteArray> droppedImagePaths(const QMimeData* data)
{
    QList<QByteArray> paths;
    if (data == nullptr || !data->hasUrls()) {
        return paths;
    }
    const QList<QUrl> urls = data->urls();
    for (const QUrl& url : urls) {
        const std::optional<QByteArray> path = localFilePath(url);
        if (path && !path->isEmpty() && passesImageTest(QFile::decodeName(*path))) {
            paths.append(*path);
        }
    }
    return paths;
}
