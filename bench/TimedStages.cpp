#include "bench/TimedStages.h"

#include "doubles/MeasuredPdftk.h"
#include "pdftk/WarmPdftk.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TimedStages::TimedStages(std::unique_ptr<ConversionStages> inner, StageTimes& times, const MeasuredPdftk& pdftk,
                         KeptPages pages, const WarmPdftk* warm)
    : m_inner(std::move(inner)), m_times(times), m_pdftk(pdftk), m_warm(warm), m_pages(std::move(pages))
{
}

TimedStages::~TimedStages()
{
    m_times.pdftkSeconds = m_pdftk.childSeconds();
    m_times.pdftkRuns = m_pdftk.runCount();
    m_times.pdftkWarmRuns = m_pdftk.warmRunCount();
    if (m_warm) {
        m_times.pdftkHostPeakMiB = double(m_warm->hostPeakResidentKiB()) / 1024.0;
    }
}

template <typename Call> auto TimedStages::timed(const char* stage, Call call, double* also)
{
    QElapsedTimer clock;
    clock.start();
    auto result = call();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    m_times.stagesSeconds += seconds;
    double& longest = m_times.longestCall[stage];
    longest = std::max(longest, seconds);
    if (also != nullptr) {
        *also += seconds;
    }
    return result;
}

StageResult TimedStages::checkTools()
{
    return timed("checkTools", [&] { return m_inner->checkTools(); });
}

StageResult TimedStages::prepareWorkspace()
{
    StageResult result = timed("prepareWorkspace", [&] { return m_inner->prepareWorkspace(); });
    if (result.ok && !m_pages.keepIn.isEmpty()) {
        // The run's workspace is the only folder there while it runs.
        const QDir parent(m_pages.workspaceParent);
        const QStringList folders = parent.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        m_workspace = folders.size() == 1 ? parent.filePath(folders.first()) : QString();
    }
    return result;
}

StageResult TimedStages::writeInfo(const DocumentInfo& info)
{
    return timed("writeInfo", [&] { return m_inner->writeInfo(info); });
}

void TimedStages::readAhead(const ImageFile& next)
{
    m_inner->readAhead(next);
}

StageResult TimedStages::makePage(int index, const ImageFile& image, const PageDescriptionSource& describe)
{
    const double cpuBefore = processCpuSeconds();
    StageResult result = timed(
        "makePage", [&] { return m_inner->makePage(index, image, describe); }, &m_times.pagesSeconds);
    m_times.pagesCpuSeconds += processCpuSeconds() - cpuBefore;
    if (result.ok && !m_pages.keepIn.isEmpty()) {
        const QString kept = m_pages.keepIn + QStringLiteral("/%1.pdf").arg(index);
        QFile::remove(kept);
        ::link(QFile::encodeName(m_workspace + QStringLiteral("/jpgtmp/%1.pdf").arg(index)).constData(),
               QFile::encodeName(kept).constData());
    }
    return result;
}

QList<int> TimedStages::planJoin(int count)
{
    return m_inner->planJoin(count);
}

StageResult TimedStages::join(int step)
{
    return timed(
        "join", [&] { return m_inner->join(step); }, &m_times.joinSeconds);
}

StageResult TimedStages::applyInfo(int count)
{
    return timed("applyInfo", [&] { return m_inner->applyInfo(count); });
}

StageResult TimedStages::saveTo(const QString& destination)
{
    return timed("saveTo", [&] { return m_inner->saveTo(destination); });
}

void TimedStages::removeWorkspace()
{
    timed("removeWorkspace", [&] {
        m_inner->removeWorkspace();
        return 0;
    });
}

void TimedStages::abort()
{
    m_inner->abort();
}
