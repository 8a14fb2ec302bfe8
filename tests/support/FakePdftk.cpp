#include "support/FakePdftk.h"

#include "support/TestFolder.h"

#include <QFile>
#include <QStandardPaths>

QString writeFakePdftk(const TestFolder& folder, const QByteArray& body, bool executable)
{
    const QString path = folder.write(QStringLiteral("bin/pdftk"), "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(path, executable ? QFile::Permissions(0x7755) : QFile::Permissions(0x6644));
    return path;
}

QString writeJoiningFakePdftk(const TestFolder& folder, const QByteArray& joinBody)
{
    const QByteArray real = QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("pdftk")));
    return writeFakePdftk(folder, "[ \"$1\" = --version ] && exit 0\n"
                                  "if [ \"$3\" = cat ]; then\n" +
                                      joinBody + "\nfi\nexec '" + real + "' \"$@\"");
}
