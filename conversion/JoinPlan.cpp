#include "conversion/JoinPlan.h"

#include <algorithm>

QList<JoinStep> planJoin(int count, const JoinBound& bound)
{
    QList<JoinStep> steps;
    if (count < 1) {
        return steps;
    }
    const qsizetype files = std::max(2, bound.files);
    QList<JoinStep::Input> items;
    for (int page = 0; page < count; ++page) {
        items.append({page, page});
    }
    for (int level = 1;; ++level) {
        if (items.size() <= files) {
            // The last step writes the document, even from a single page.
            JoinStep last{level, items, 0, count - 1, true};
            steps.append(last);
            return steps;
        }
        // Batches of even size, so that no batch is left with a page or two.
        const qsizetype batches = (items.size() + files - 1) / files;
        QList<JoinStep::Input> next;
        qsizetype begin = 0;
        for (qsizetype b = 0; b < batches; ++b) {
            const qsizetype end = items.size() * (b + 1) / batches;
            const QList<JoinStep::Input> batch = items.mid(begin, end - begin);
            begin = end;
            if (batch.size() == 1) {
                next.append(batch.first()); // nothing to join: it goes on as it is
                continue;
            }
            const JoinStep step{level, batch, batch.first().firstPage, batch.last().lastPage, false};
            steps.append(step);
            next.append({step.firstPage, step.lastPage});
        }
        items = next;
    }
}
