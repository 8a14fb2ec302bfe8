#include "app/CommandLine.h"

#include "imagelist/LocalFileUrl.h"

#include <QDir>
#include <QFile>
#include <QUrl>

QList<QByteArray> fileArguments(int argc, char** argv)
{
    QList<QByteArray> arguments;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--" && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        arguments.append(argument);
    }
    return arguments;
}

QList<QByteArray> commandLineFiles(const QList<QByteArray>& arguments, const QByteArray& workingFolder)
{
    QList<QByteArray> files;
    for (const QByteArray& argument : arguments) {
        if (argument.isEmpty()) {
            continue;
        }
        QByteArray path = argument;
        if (argument.left(5).toLower() == "file:") {
            const std::optional<QByteArray> local = localFilePath(QUrl(QFile::decodeName(argument)));
            if (!local) {
                continue;
            }
            path = *local;
        }
        if (!path.startsWith('/')) {
            path = workingFolder + '/' + path;
        }
        // Latin-1 maps each byte to one character and back, so the cleaning keeps every other byte as it was.
        files.append(QDir::cleanPath(QString::fromLatin1(path)).toLatin1());
    }
    return files;
}
