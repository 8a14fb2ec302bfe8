#include "imagelist/LocalFileUrl.h"

std::optional<QString> localFilePath(const QUrl& url)
{
    const QString host = url.host();
    if (!url.isLocalFile() || !(host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)) {
        return std::nullopt;
    }
    QUrl here = url; // Qt keeps even "localhost" in the path it gives, as a network share's "//localhost/..."
    here.setHost(QString());
    return here.toLocalFile();
}
