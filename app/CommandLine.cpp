#include "app/CommandLine.h"

#include "imagelist/LocalFileUrl.h"

#include <QDir>
#include <QUrl>

QStringList commandLineFiles(const QStringList& arguments, const QString& workingFolder)
{
    QStringList files;
    const QDir base(workingFolder);
    for (const QString& argument : arguments) {
        if (argument.isEmpty()) {
            continue;
        }
        QString path = argument;
        if (argument.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
            const std::optional<QString> local = localFilePath(QUrl(argument));
            if (!local) {
                continue;
            }
            path = *local;
        }
        files.append(QDir::cleanPath(base.absoluteFilePath(path)));
    }
    return files;
}
