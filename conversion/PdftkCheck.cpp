#include "conversion/PdftkCheck.h"

#include "conversion/Merging.h"
#include "platform/Pdftk.h"

#include "platform/EventWait.h"

#include <QCoreApplication>

PdftkCheck::PdftkCheck(std::unique_ptr<Pdftk> pdftk) : m_pdftk(std::move(pdftk))
{
    ask();
}

PdftkCheck::~PdftkCheck() = default;

void PdftkCheck::ask()
{
    const StageResult there = pdftkPresence(*m_pdftk);
    if (!there.ok) {
        m_answer = there;
        return;
    }
    m_asking = true;
    m_pdftk->startPdftk({QStringLiteral("--version")}, [this](const PdftkResult& versionRun) {
        m_asking = false;
        m_answer = pdftkVersionAnswer(*m_pdftk, versionRun);
        if (m_wait) {
            m_wait->done();
        }
    });
}

StageResult PdftkCheck::result()
{
    if (!m_answer && !m_asking) {
        ask();
    }
    if (!m_answer) {
        // Also ends when the application quits.
        EventWait wait;
        m_wait = &wait;
        (void)wait.run();
        m_wait = nullptr;
    }
    if (!m_answer) {
        return StageResult::failure(QStringLiteral("Convert"),
                                    QCoreApplication::translate("PdftkCheck", "The conversion was stopped."));
    }
    const StageResult answer = *m_answer;
    if (!answer.ok) {
        m_answer.reset();
    }
    return answer;
}

void PdftkCheck::stopWaiting()
{
    if (m_wait) {
        m_wait->interrupt();
    }
}
