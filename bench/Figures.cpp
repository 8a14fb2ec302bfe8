#include "bench/Figures.h"

#include <QFile>

#include <sys/resource.h>

#include <cstdio>

namespace {

double statusFieldMiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return -1;
}

} // namespace

void figure(const char* name, double value)
{
    std::printf("%s %.4g\n", name, value);
    std::fflush(stdout);
}

void count(const char* name, qint64 value)
{
    std::printf("%s %lld\n", name, static_cast<long long>(value));
    std::fflush(stdout);
}

int failWith(const QString& message)
{
    std::fprintf(stderr, "pagewell-bench: %s\n", qPrintable(message));
    return 1;
}

double peakRssMiB()
{
    return statusFieldMiB("VmHWM:");
}

double currentRssMiB()
{
    return statusFieldMiB("VmRSS:");
}

double childrenCpuSeconds()
{
    rusage usage{};
    if (getrusage(RUSAGE_CHILDREN, &usage) != 0) {
        return -1;
    }
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
