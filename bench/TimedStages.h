#pragma once

#include "conversion/ConversionStages.h"

#include <map>
#include <memory>
#include <string>

class MeasuredPdftk;
class WarmPdftk;

// What the timed stages saw in one run.
struct StageTimes
{
    double pagesSeconds = 0;    // inside makePage (normalisation + page creation)
    double pagesCpuSeconds = 0; // processor time of this process (all its threads) inside makePage
    double stagesSeconds = 0;   // inside any stage call, makePage included
    double joinSeconds = 0;     // inside join (pdftk and the check of the joined document)
    double pdftkSeconds = 0;    // wall time of the pdftk children
    int pdftkRuns = 0;
    int pdftkWarmRuns = 0;                     // of those, the runs in the warm host
    double pdftkHostPeakMiB = 0;               // the warm host's peak resident memory
    std::map<std::string, double> longestCall; // the longest single call of each stage, in seconds
};

// Processor time used so far by all threads of this process, children excluded: steadier than wall time on a busy
// machine.
[[nodiscard]] double processCpuSeconds();

// Passes every call to the real stages and adds up how long they took. The pdftk figures are taken from the
// measured pdftk of those stages when the run lets go of them.
class TimedStages final : public ConversionStages
{
public:
    // pages: when keepIn is not empty, every page file (found in the one workspace under workspaceParent) is also
    // linked there as <index>.pdf, outside the timing, for measuring the chain again over the very same pages.
    struct KeptPages
    {
        QString workspaceParent;
        QString keepIn;
    };
    // warm: the warm pdftk inside pdftk, if it is one.
    TimedStages(std::unique_ptr<ConversionStages> inner, StageTimes& times, const MeasuredPdftk& pdftk,
                KeptPages pages = {}, const WarmPdftk* warm = nullptr);
    ~TimedStages() override;

    StageResult checkTools() override;
    StageResult prepareWorkspace() override;
    StageResult writeInfo(const DocumentInfo& info) override;
    StageResult makePage(int index, const ImageFile& image, const PageDescriptionSource& describe) override;
    void readAhead(const ImageFile& next) override;
    QList<int> planJoin(int count) override;
    StageResult join(int step) override;
    StageResult applyInfo(int count) override;
    StageResult saveTo(const QString& destination) override;
    void removeWorkspace() override;
    void abort() override;

private:
    template <typename Call> auto timed(const char* stage, Call call, double* also = nullptr);

    std::unique_ptr<ConversionStages> m_inner;
    StageTimes& m_times;
    const MeasuredPdftk& m_pdftk;
    const WarmPdftk* m_warm;
    KeptPages m_pages;
    QString m_workspace;
};
