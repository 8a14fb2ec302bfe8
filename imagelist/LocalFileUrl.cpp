#include "imagelist/LocalFileUrl.h"

std::optional<QByteArray> localFilePath(const QUrl& url)
{
    const QString host = url.host();
    if (!url.isLocalFile() || !(host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)) {
        return std::nullopt;
    }
    // Not toLocalFile(): it gives a share's "//host/..." even for localhost, and replaces bytes that are not UTF-8.
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}
