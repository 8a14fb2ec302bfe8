#include "app/CommandLine.h"

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
            const QUrl url(argument);
            const QString host = url.host();
            if (!url.isLocalFile() || !(host.isEmpty() || host == QStringLiteral("localhost"))) {
                continue;
            }
            path = url.toLocalFile();
        }
        files.append(QDir::cleanPath(base.absoluteFilePath(path)));
    }
    return files;
}
