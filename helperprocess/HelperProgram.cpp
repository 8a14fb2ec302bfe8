#include "helperprocess/HelperProgram.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

QString locateHelperProgram(const QString& name)
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList candidates;
#ifdef PAGEWELL_BUILD_DIR
    const QString buildFolder = QStringLiteral(PAGEWELL_BUILD_DIR);
    if (programFolder == buildFolder || programFolder.startsWith(buildFolder + QLatin1Char('/'))) {
        candidates << buildFolder + QLatin1Char('/') + name;
    }
#endif
    candidates << programFolder + QLatin1Char('/') + name;
    // An installed program: bin/ and libexec/ side by side, wherever the prefix is.
    candidates << programFolder + QStringLiteral("/../libexec/pagewell/") + name;
#ifdef PAGEWELL_INSTALL_LIBEXECDIR
    candidates << QStringLiteral(PAGEWELL_INSTALL_LIBEXECDIR "/pagewell/") + name;
#endif
    for (const QString& candidate : std::as_const(candidates)) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isExecutable()) {
            return candidate;
        }
    }
    return {};
}
