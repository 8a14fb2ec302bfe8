#include "conversion/PageJoin.h"

#include "conversion/Merging.h"
#include "conversion/Workspace.h"
#include "pdftk/WarmProtocol.h"
#include "platform/Pdftk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// At most this many files in one call: the warm host takes an argument list of up to its request size.
int filesPerRequest(const Workspace& workspace, int count)
{
    const qsizetype longest =
        std::max(QFile::encodeName(workspace.partFile(count, count)).size(), qsizetype(sizeof(".pdf"))) + 1;
    const qsizetype room = qsizetype(warmpdftk::kMaxRequestBytes) - 4 * longest - 256;
    return int(std::max<qsizetype>(2, room / longest));
}

// At most this many page files in one call, so that the warm host can read them all whole (judged by the pages'
// average size).
int filesInMemory(const Workspace& workspace, int count)
{
    qint64 bytes = 0;
    for (int page = 0; page < count; ++page) {
        bytes += QFileInfo(workspace.pageFile(page)).size();
    }
    const qint64 average = std::max<qint64>(1, bytes / std::max(1, count));
    return int(std::clamp<qint64>(qint64(warmpdftk::kInputBytesInMemory) / average, 2, std::max(2, count)));
}

} // namespace

PageJoin::PageJoin(Pdftk& pdftk, const Workspace& workspace, QStringList entries, JoinBound bound)
    : m_pdftk(pdftk), m_workspace(workspace), m_entries(std::move(entries)), m_count(int(m_entries.size()))
{
    bound.files = std::min({bound.files, filesPerRequest(workspace, m_count), filesInMemory(workspace, m_count)});
    m_steps = planJoin(m_count, bound);
}

QString PageJoin::fileOf(const JoinStep::Input& input) const
{
    return input.isPageFile() ? m_workspace.pageFile(input.firstPage)
                              : m_workspace.partFile(input.firstPage, input.lastPage);
}

QStringList PageJoin::filesOf(const QList<JoinStep::Input>& inputs) const
{
    QStringList files;
    files.reserve(inputs.size());
    for (const JoinStep::Input& input : inputs) {
        files.append(fileOf(input));
    }
    return files;
}

QString PageJoin::describe(const QList<JoinStep::Input>& inputs) const
{
    const int first = inputs.first().firstPage;
    const int last = inputs.last().lastPage;
    if (first == last) {
        const QString& file = m_entries.at(first);
        return first == 0 ? QCoreApplication::translate("Merging", "Joining page %1 (%2) to the pages after it")
                                .arg(QString::number(first + 1), file)
                          : QCoreApplication::translate("Merging", "Joining page %1 (%2) to the pages before it")
                                .arg(QString::number(first + 1), file);
    }
    return QCoreApplication::translate("Merging", "Joining pages %1 to %2 (%3 to %4)")
        .arg(QString::number(first + 1), QString::number(last + 1), m_entries.at(first), m_entries.at(last));
}

StageResult PageJoin::run(int index)
{
    const JoinStep& step = m_steps.at(index);
    if (step.inputs.size() == 1) {
        return copyFirstPageFile(m_workspace, m_entries.first()); // a single page: its copy is the document
    }
    const QStringList inputs = filesOf(step.inputs);
    const QString output =
        step.isLast ? m_workspace.chainFile(m_count) : m_workspace.partFile(step.firstPage, step.lastPage);
    bool refused = false;
    const StageResult result = runPdftkStep(
        m_pdftk, {joinArguments(inputs, output), inputs, output, step.isLast ? m_count : -1, describe(step.inputs)},
        &refused);
    if (!result.ok) {
        return refused ? narrowDown(step.inputs, result) : result;
    }
    for (const JoinStep::Input& input : step.inputs) {
        if (!input.isPageFile()) {
            QFile::remove(fileOf(input));
        }
    }
    return result;
}

StageResult PageJoin::narrowDown(QList<JoinStep::Input> inputs, StageResult failure)
{
    // Each half on its own, the first first: the half that pdftk refuses holds what it refused.
    const QString probe = m_workspace.probeFile();
    while (inputs.size() > 1) {
        const qsizetype middle = inputs.size() / 2;
        bool narrowed = false;
        for (const QList<JoinStep::Input>& half : {inputs.mid(0, middle), inputs.mid(middle)}) {
            const QStringList files = filesOf(half);
            const qint64 pages = half.last().lastPage - half.first().firstPage + 1;
            bool refused = false;
            StageResult tried =
                runPdftkStep(m_pdftk, {joinArguments(files, probe), files, probe, pages, describe(half)}, &refused);
            QFile::remove(probe);
            if (!tried.ok && !refused) {
                return tried; // stopped, or no room: that is what the user needs to know
            }
            if (!tried.ok) {
                inputs = half;
                failure = tried;
                narrowed = true;
                break;
            }
        }
        if (!narrowed) {
            break; // refused only together: the message names them all
        }
    }
    return failure;
}
