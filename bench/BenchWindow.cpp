#include "bench/BenchWindow.h"

#include "app/PdfStagesFactory.h"
#include "doubles/MeasuredPdftk.h"

#include <QCoreApplication>
#include <QDir>

BenchWindow::BenchWindow(const QString& scratchParent)
    : m_scratch(scratchParent + QStringLiteral("/pagewell-bench-XXXXXX"))
{
    const QString root = m_scratch.path();
    QDir(root).mkpath(QStringLiteral("program"));
    QDir(root).mkpath(QStringLiteral("home"));
    QDir(root).mkpath(QStringLiteral("temp"));

    m_desktop.opener.onOpen = [this](const QUrl&) { openedAtNs = clock.nsecsElapsed(); };
    const QString workspaceParent = root + QStringLiteral("/temp");
    AppServices services = m_desktop.services([this, workspaceParent](QWidget* owner) {
        times = StageTimes{};
        auto pdftk = std::make_unique<MeasuredPdftk>(std::make_unique<ProcessPdftk>());
        const MeasuredPdftk& measured = *pdftk;
        const StagesFactory real =
            pdfStagesFactory([&pdftk]() -> std::unique_ptr<Pdftk> { return std::move(pdftk); }, workspaceParent);
        return std::make_unique<TimedStages>(real(owner), times, measured);
    });
    services.programFolder = root + QStringLiteral("/program");
    services.homeFolder = root + QStringLiteral("/home");
    m_window = std::make_unique<frmPrinting>(services);
    m_window->show();
    QCoreApplication::processEvents();
}
