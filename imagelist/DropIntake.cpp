#include "imagelist/DropIntake.h"

#include "imagelist/ImageTest.h"

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
        if (!url.isLocalFile()) {
            continue;
        }
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && passesImageTest(path)) {
            paths.append(path);
        }
    }
    return paths;
}
