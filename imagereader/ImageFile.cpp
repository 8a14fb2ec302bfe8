#include "imagereader/ImageFile.h"

#include "imagereader/format/FormatTable.h"

#include <QFileInfo>

int formatForExtension(const QString& imagePath)
{
    return formatForFileName(QFile::encodeName(QFileInfo(imagePath).fileName()).toStdString());
}
