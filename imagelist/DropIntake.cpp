#include "imagelist/DropIntake.h"

#include "imagelist/ImageTest.h"
#include "imagelist/LocalFileUrl.h"

#include <QMimeData>
#include <QUrl>

QStringList droppedImagePaths(const QMimeData* data)
{
    QStringList paths;
    if (data == nullptr || !data->hasUrls()) {
        return paths;
    }
    const QList<QUrl> urls = data->urls();
    for (const QUrl& url : urls) {
        const std::optional<QString> path = localFilePath(url);
        if (path && !path->isEmpty() && passesImageTest(*path)) {
            paths.append(*path);
        }
    }
    return paths;
}
