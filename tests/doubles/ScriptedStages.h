#pragma once

#include "conversion/ConversionStages.h"
#include "conversion/JoinPlan.h"

#include <QStringList>
#include <functional>
#include <memory>

// Stages that do no file work: they record each call (as "name:arg") and can be told to fail at one call.
// A hook runs at every call, so a test can read the window's texts at that moment.
class ScriptedStages final : public ConversionStages
{
public:
    struct Log
    {
        QStringList calls;
        QList<PageDescription> descriptions; // what each page read of the page controls
        QList<int> turns;                    // the quarter turns of each page's entry
        QString failAt;                      // a call such as "makePage:1" that fails
        JoinBound joinBound;                 // the join is planned as the real stages plan it, in batches this large
        std::function<void(const QString& call)> onCall;
        int removeCount = 0;
        bool aborted = false;
    };

    explicit ScriptedStages(std::shared_ptr<Log> log) : m_log(std::move(log)) {}

    StageResult checkTools() override { return record(QStringLiteral("checkTools")); }
    StageResult prepareWorkspace() override { return record(QStringLiteral("prepareWorkspace")); }
    StageResult writeInfo(const DocumentInfo& info) override
    {
        return record(QStringLiteral("writeInfo:%1|%2|%3|%4|%5")
                          .arg(info.title, info.author, info.creationDate, info.subject, info.keywords));
    }
    StageResult makePage(int index, const ImageFile& image, const PageDescriptionSource& describe) override
    {
        m_log->descriptions.append(describe());
        m_log->turns.append(image.quarterTurns);
        const StageResult result = record(QStringLiteral("makePage:%1").arg(index));
        m_log->calls.last() += QLatin1Char('=') + image.shown;
        return result;
    }
    QList<int> planJoin(int count) override
    {
        (void)record(QStringLiteral("planJoin:%1").arg(count));
        QList<int> pages;
        for (const JoinStep& step : ::planJoin(count, m_log->joinBound)) {
            pages.append(step.pages());
        }
        return pages;
    }
    StageResult join(int step) override { return record(QStringLiteral("join:%1").arg(step)); }
    StageResult applyInfo(int count) override { return record(QStringLiteral("applyInfo:%1").arg(count)); }
    StageResult saveTo(const QString& destination) override
    {
        return record(QStringLiteral("saveTo:%1").arg(destination));
    }
    void removeWorkspace() override
    {
        ++m_log->removeCount;
        m_log->calls << QStringLiteral("removeWorkspace");
        if (m_log->onCall) {
            m_log->onCall(m_log->calls.last());
        }
    }
    void abort() override { m_log->aborted = true; }

private:
    StageResult record(const QString& call)
    {
        m_log->calls << call;
        if (m_log->onCall) {
            m_log->onCall(call);
        }
        if (!m_log->failAt.isEmpty() && call == m_log->failAt) {
            return StageResult::failure(QStringLiteral("PDF"), QStringLiteral("scripted failure at ") + call);
        }
        return StageResult::success();
    }

    std::shared_ptr<Log> m_log;
};
