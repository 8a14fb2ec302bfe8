#include "helperprocess/HelperProgram.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <csignal>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

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

void enterHelperSession(int socket, int descriptor)
{
    ::setsid();
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    if (socket == descriptor) {
        ::fcntl(socket, F_SETFD, 0);
    } else {
        ::dup2(socket, descriptor);
    }
}

void killProcessGroup(qint64 leader)
{
    if (leader > 0) {
        ::kill(-pid_t(leader), SIGKILL);
    }
}
