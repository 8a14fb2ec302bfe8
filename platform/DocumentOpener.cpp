#include "platform/DocumentOpener.h"

#include <QDesktopServices>

bool QtDocumentOpener::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
