#include "bench/BenchWindow.h"

#include "conversion/PdfConversionStages.h"
#include "platform/Pdftk.h"
#include "platform/QpdfPageLibrary.h"

#include <QCoreApplication>
#include <QDir>

bool BenchWindow::Opener::openUrl(const QUrl&)
{
    m_owner.openedAtNs = m_owner.clock.nsecsElapsed();
    return true;
}

BenchWindow::BenchWindow(const QString& scratchParent, QString keepPagesIn)
    : m_scratch(scratchParent + QStringLiteral("/pagewell-bench-XXXXXX"))
{
    const QString root = m_scratch.path();
    QDir(root).mkpath(QStringLiteral("program"));
    QDir(root).mkpath(QStringLiteral("home"));
    QDir(root).mkpath(QStringLiteral("temp"));

    AppServices services;
    services.dialogs = &dialogs;
    services.messages = &messages;
    services.opener = &m_opener;
    services.clock = &m_systemClock;
    services.skin = &m_skin;
    services.previewStore = &m_previewStore;
    services.programFolder = root + QStringLiteral("/program");
    services.homeFolder = root + QStringLiteral("/home");
    services.makeStages = [this, workspaceParent = root + QStringLiteral("/temp"),
                           keepPagesIn]() -> std::unique_ptr<ConversionStages> {
        times = StageTimes{};
        auto real = std::make_unique<PdfConversionStages>(m_window.get(), std::make_unique<ProcessPdftk>(),
                                                          std::make_unique<QpdfPageLibrary>(), workspaceParent);
        return std::make_unique<TimedStages>(std::move(real), times, keepPagesIn);
    };
    m_window = std::make_unique<frmPrinting>(services);
    m_window->show();
    QCoreApplication::processEvents();
}
