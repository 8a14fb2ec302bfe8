#pragma once

#include "conversion/ConversionStages.h"
#include "conversion/JoinPlan.h"

#include <QStringList>

class Pdftk;
class Workspace;

// The join of a run: the workspace's page files jpgtmp/0.pdf to jpgtmp/<count-1>.pdf, in page order, into
// tmp/tmp<count>.pdf, in the steps of planJoin() (one pdftk call each; a single page is copied), each of no more
// page files than the warm host reads whole. Each step runs warm where it can and is repeated as a pdftk process
// when it fails warm. A step that fails both ways is narrowed down, half by half, to the page pdftk refuses, and the
// message names that page's file. Only the joined document's page count is checked: pdftk reads every batch again
// in the step after it. Messages name the pages by the entries they were made from (entries, in page order), never
// by the workspace's files.
class PageJoin
{
public:
    PageJoin(Pdftk& pdftk, const Workspace& workspace, QStringList entries, JoinBound bound = {});

    [[nodiscard]] const QList<JoinStep>& steps() const { return m_steps; }
    // Runs steps()[index]; the steps run in order. The batches a step has joined are removed once it succeeds.
    [[nodiscard]] StageResult run(int index);

private:
    [[nodiscard]] QString fileOf(const JoinStep::Input& input) const;
    [[nodiscard]] QStringList filesOf(const QList<JoinStep::Input>& inputs) const;
    // The step in a message: the page, or the range of pages, with their files.
    [[nodiscard]] QString describe(const QList<JoinStep::Input>& inputs) const;
    // inputs, which pdftk refused together (failure says how), narrowed down to the smallest part that it refuses.
    [[nodiscard]] StageResult narrowDown(QList<JoinStep::Input> inputs, StageResult failure);

    Pdftk& m_pdftk;
    const Workspace& m_workspace;
    QStringList m_entries;
    int m_count;
    QList<JoinStep> m_steps;
};
