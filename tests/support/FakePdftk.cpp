#include "support/FakePdftk.h"

#include "support/TestFolder.h"

#include <QFile>
#include <QStandardPaths>

QString writeFakePdftk(const TestFolder& folder, const QByteArray& body, bool executable)
{
    // $out: the argument after "output", wherever it stands.
    const QByteArray findOutput =
        "out=; before=; for a in \"$@\"; do [ \"$before\" = output ] && out=$a; before=$a; done\n";
    const QString path = folder.write(QStringLiteral("bin/pdftk"), "#!/bin/sh\n" + findOutput + body + "\n");
    QFile::setPermissions(path, executable ? QFile::Permissions(0x7755) : QFile::Permissions(0x6644));
    return path;
}

QString writeJoiningFakePdftk(const TestFolder& folder, const QByteArray& joinBody)
{
    const QByteArray real = QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("pdftk")));
    return writeFakePdftk(folder, "[ \"$1\" = --version ] && exit 0\n"
                                  "case \" $* \" in *\" cat output \"*)\n" +
                                      joinBody + "\n;; esac\nexec '" + real + "' \"$@\"");
}
