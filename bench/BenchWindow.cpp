#include "bench/BenchWindow.h"
#include "bench/EventTurns.h"

#include "app/PdfStagesFactory.h"
#include "conversion/PdfConversionStages.h"
#include "conversion/PdftkCheck.h"
#include "doubles/MeasuredPdftk.h"
#include "pdftk/ProcessPdftk.h"
#include "pdftk/WarmPdftk.h"

#include <QCoreApplication>
#include <QDir>

BenchWindow::BenchWindow(const QString& scratchParent, QString keepPagesIn, int joinFiles)
    : m_scratch(scratchParent + QStringLiteral("/pagewell-bench-XXXXXX"))
{
    const QString root = m_scratch.path();
    QDir(root).mkpath(QStringLiteral("program"));
    QDir(root).mkpath(QStringLiteral("home"));
    QDir(root).mkpath(QStringLiteral("temp"));

    m_desktop.opener.onOpen = [this](const QUrl&) { openedAtNs = clock.nsecsElapsed(); };
    const QString workspaceParent = root + QStringLiteral("/temp");
    const auto makePdftk = [this]() -> std::unique_ptr<Pdftk> {
        auto warm = std::make_unique<WarmPdftk>(std::make_unique<ProcessPdftk>());
        m_lastWarm = warm.get();
        auto pdftk = std::make_unique<MeasuredPdftk>(std::move(warm));
        m_lastPdftk = pdftk.get();
        return pdftk;
    };
    auto check = std::make_shared<PdftkCheck>(makePdftk());
    const StagesFactory real = pdfStagesFactory(makePdftk, workspaceParent, check);
    AppServices services = m_desktop.services([this, real, workspaceParent, keepPagesIn, joinFiles](QWidget* owner) {
        times = StageTimes{};
        std::unique_ptr<ConversionStages> stages = real(owner);
        if (auto* pdf = dynamic_cast<PdfConversionStages*>(stages.get()); pdf && joinFiles > 0) {
            pdf->setJoinBound(JoinBound{joinFiles});
        }
        return std::make_unique<TimedStages>(std::move(stages), times, *m_lastPdftk,
                                             TimedStages::KeptPages{workspaceParent, keepPagesIn}, m_lastWarm);
    });
    services.programFolder = root + QStringLiteral("/program");
    services.homeFolder = root + QStringLiteral("/home");
    m_window = std::make_unique<frmPrinting>(services);
    m_window->show();
    letEventsRun();
    // The user presses Convert once the window is up and the background answer on pdftk is in.
    (void)check->result();
}
