#include "doubles/MeasuredPdftk.h"

#include <QElapsedTimer>

PdftkResult MeasuredPdftk::RunPdftkAndWait(const QStringList& arguments)
{
    QElapsedTimer timer;
    timer.start();
    PdftkResult result = m_inner->RunPdftkAndWait(arguments);
    // A call refused before a child was started (pdftk missing, the run stopped) is no run.
    if (result.started) {
        ++m_runCount;
        m_warmRunCount += result.warm ? 1 : 0;
        m_childNanoseconds += timer.nsecsElapsed();
    }
    return result;
}
