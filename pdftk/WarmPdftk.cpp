#include "pdftk/WarmPdftk.h"

#include "pdftk/PdftkHost.h"
#include "pdftk/PdftkLauncher.h"
#include "pdftk/PdftkLog.h"

#include <QCoreApplication>
#include <QSet>

namespace {

// The pdftk programs whose host found no JVM, class or entry point in this program's life: not asked again.
QSet<QString>& unusablePrograms()
{
    static QSet<QString> programs;
    return programs;
}

} // namespace

WarmPdftk::WarmPdftk(std::unique_ptr<Pdftk> processes) : WarmPdftk(std::move(processes), locatePdftkHost()) {}

WarmPdftk::WarmPdftk(std::unique_ptr<Pdftk> processes, QString hostProgram)
    : m_processes(std::move(processes)), m_hostProgram(std::move(hostProgram))
{
}

WarmPdftk::~WarmPdftk() = default;

qint64 WarmPdftk::hostProcessId() const
{
    return m_host ? m_host->processId() : 0;
}

PdftkHost* WarmPdftk::host()
{
    // The host is waited for in an event loop, which needs an application.
    if (m_aborted || !m_warm || !QCoreApplication::instance()) {
        return nullptr;
    }
    if (!m_host) {
        const QString program = m_processes->program();
        const PdftkLauncher launcher =
            unusablePrograms().contains(program) ? PdftkLauncher{} : readPdftkLauncher(program);
        if (m_hostProgram.isEmpty() || !launcher.isValid()) {
            m_warm = false;
            return nullptr;
        }
        m_host = std::make_unique<PdftkHost>(m_hostProgram, launcher);
    }
    return m_host.get();
}

void WarmPdftk::prepare(bool warmUp)
{
    if (PdftkHost* started = host()) {
        started->start(warmUp);
    }
}

PdftkResult WarmPdftk::RunPdftkAndWait(const QStringList& arguments)
{
    if (!host()) {
        return m_processes->RunPdftkAndWait(arguments);
    }
    const HostCall call = m_host->call(arguments, m_callLimit);
    qCDebug(lcPdftk).noquote() << "pdftk warm:" << arguments.size() << "arguments,"
                               << (call.kind == HostCall::Kind::Answered
                                       ? QStringLiteral("exit code %1").arg(call.result.exitCode)
                                   : call.kind == HostCall::Kind::Unusable  ? QStringLiteral("host unusable")
                                   : call.kind == HostCall::Kind::Cancelled ? QStringLiteral("stopped")
                                                                            : QStringLiteral("host failed"));
    m_peakResidentKiB = std::max(m_peakResidentKiB, m_host->peakResidentKiB());
    switch (call.kind) {
    case HostCall::Kind::Unusable:
        unusablePrograms().insert(m_processes->program());
        fallBackToProcesses();
        return m_processes->RunPdftkAndWait(arguments);
    case HostCall::Kind::Cancelled:
    case HostCall::Kind::Failed:
        endHost();
        break;
    case HostCall::Kind::Answered:
        // update_info_utf8 leaves its info file open, and the information step is the chain's last anyway.
        if (call.result.exitCode == 2 || call.descriptorsLeftOpen > 0 ||
            arguments.contains(QStringLiteral("update_info_utf8"))) {
            endHost();
        }
        break;
    }
    PdftkResult result = call.result;
    result.warm = true;
    return result;
}

void WarmPdftk::fallBackToProcesses()
{
    m_warm = false;
    endHost();
}

void WarmPdftk::abort()
{
    m_aborted = true;
    if (m_host) {
        // At once, with its process group; a waiting call returns as cancelled and lets the host go.
        m_host->kill();
    }
    m_processes->abort();
}

void WarmPdftk::endHost()
{
    if (m_host) {
        m_host->kill();
        m_host.reset();
    }
}
