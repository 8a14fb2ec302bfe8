#include "imagelist/ImageTest.h"

#include "imagereader/format/FormatTable.h"
#include "platform/PosixFile.h"

#include <QFile>

bool passesImageTest(const QString& name)
{
    const QStringView view(name);
    for (const FormatExtension& row : formatExtensions()) {
        if (row.dialogType == nullptr) {
            continue;
        }
        if (view.endsWith(QLatin1String(row.extension.data(), qsizetype(row.extension.size())), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

bool joinsImageList(const QByteArray& path)
{
    return passesImageTest(QFile::decodeName(path)) && !isSpecialFile(path);
}
