#include "support/ProcessProbe.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cerrno>
#include <csignal>

bool processGone(qint64 pid)
{
    if (pid <= 0) {
        return false;
    }
    if (::kill(pid_t(pid), 0) == -1 && errno == ESRCH) {
        return true;
    }
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return true;
    }
    const QByteArray line = stat.readAll();
    const qsizetype afterName = line.lastIndexOf(')');
    return afterName > 0 && line.mid(afterName + 2, 1) == "Z";
}
