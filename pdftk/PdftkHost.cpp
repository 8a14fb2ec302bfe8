#include "pdftk/PdftkHost.h"

#include "helperprocess/HelperProcess.h"
#include "helperprocess/HelperProgram.h"

#include "pdftk/PdftkJvm.h"
#include "pdftk/PdftkLog.h"
#include "platform/EventWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSocketNotifier>

#include <string>
#include <vector>

namespace {

const QString kHostName = QStringLiteral("pagewell-pdftk");

bool sendRequest(int socket, const QStringList& arguments)
{
    std::vector<std::string> list;
    list.reserve(std::size_t(arguments.size()));
    for (const QString& argument : arguments) {
        list.push_back(argument.toStdString());
    }
    return warmpdftk::sendRequest(socket, list);
}

} // namespace

QString locatePdftkHost()
{
    return locateHelperProgram(kHostName);
}

PdftkHost::PdftkHost(QString hostProgram, PdftkLauncher launcher)
    : m_program(std::move(hostProgram)), m_launcher(std::move(launcher))
{
}

PdftkHost::~PdftkHost()
{
    kill();
}

qint64 PdftkHost::processId() const
{
    return m_helper ? m_helper->processId() : 0;
}

void PdftkHost::start(bool warmUp)
{
    QString ignored;
    if (!m_helper && startProcess(&ignored, warmUp)) {
        qCDebug(lcPdftk) << "host started ahead of its first call:" << m_program << "process" << m_helper->processId();
    }
}

bool PdftkHost::startProcess(QString* error, bool warmUp)
{
    HelperSetup setup;
    setup.program = m_program;
    setup.arguments = {QStringLiteral("--serve"), m_launcher.jvmLibrary, m_launcher.classPath, m_launcher.mainClass};
    if (warmUp) {
        setup.arguments.append(QStringLiteral("--warm-up"));
    }
    setup.environment = pdftkEnvironment().toStringList();
    setup.socketDescriptor = warmpdftk::kSocketDescriptor;
    // pdftk reads its standard input when it asks a question: it finds it empty, never the requests.
    setup.discardOutput = true;
    setup.discardErrors = true;
    m_helper = std::make_unique<HelperProcess>();
    // Not waited for: one that fails on the way is told by the wait for its first reply.
    if (!m_helper->start(setup, error)) {
        m_helper.reset();
        return false;
    }
    return true;
}

HostCall PdftkHost::call(const QStringList& arguments, std::chrono::milliseconds limit)
{
    HostCall outcome;
    m_cancelled = false;
    warmpdftk::Reply reply;
    const auto failed = [this, &outcome](HostCall::Kind kind, const QString& why) {
        kill();
        outcome.kind = kind;
        outcome.result.started = kind != HostCall::Kind::Unusable;
        outcome.result.crashed = kind == HostCall::Kind::Failed;
        outcome.result.aborted = kind == HostCall::Kind::Cancelled;
        outcome.result.errorText = why;
        return outcome;
    };
    if (!m_helper) {
        QString error;
        if (!startProcess(&error)) {
            return failed(HostCall::Kind::Unusable, error);
        }
        qCDebug(lcPdftk) << "host started:" << m_program << "process" << m_helper->processId();
    }
    if (!m_ready) {
        HostCall::Kind kind = HostCall::Kind::Failed;
        if (!awaitReply(&reply, limit, &kind)) {
            if (kind == HostCall::Kind::Unusable) {
                const QString why = m_helper->ending().whyNotStarted; // failed() lets the helper go
                return failed(kind, why);
            }
            return failed(
                kind, QCoreApplication::translate("PdftkHost", "pdftk's host stopped while starting its Java runtime"));
        }
        if (reply.kind != warmpdftk::ReplyKind::Ready) {
            return failed(reply.kind == warmpdftk::ReplyKind::Unusable ? HostCall::Kind::Unusable
                                                                       : HostCall::Kind::Failed,
                          QString::fromStdString(reply.errors));
        }
        m_ready = true;
    }
    if (!sendRequest(m_helper->socket(), arguments)) {
        return failed(HostCall::Kind::Failed,
                      QCoreApplication::translate("PdftkHost", "pdftk's host did not take the request"));
    }
    HostCall::Kind kind = HostCall::Kind::Failed;
    if (!awaitReply(&reply, limit, &kind)) {
        return failed(kind, QCoreApplication::translate("PdftkHost", "pdftk stopped unexpectedly in its host"));
    }
    if (reply.kind != warmpdftk::ReplyKind::Done) {
        return failed(HostCall::Kind::Failed,
                      QCoreApplication::translate("PdftkHost", "pdftk's host gave a reply it should not"));
    }
    m_peakResidentKiB = std::max<quint64>(m_peakResidentKiB, reply.header.peakResidentKiB);
    outcome.kind = HostCall::Kind::Answered;
    outcome.result.started = true;
    outcome.result.exitCode = reply.header.exitCode;
    outcome.result.errorText = QString::fromStdString(reply.errors).trimmed();
    outcome.descriptorsLeftOpen = int(reply.header.descriptorsLeftOpen);
    return outcome;
}

bool PdftkHost::awaitReply(warmpdftk::Reply* reply, std::chrono::milliseconds limit, HostCall::Kind* kind)
{
    const QDeadlineTimer deadline(limit);
    const auto await = [this, &deadline](EventWait& wait) {
        m_waiting = &wait;
        const EventWait::End end =
            wait.run(std::chrono::ceil<std::chrono::milliseconds>(deadline.remainingTimeAsDuration()));
        m_waiting = nullptr;
        // Nothing heard when kill() ended the wait, or the application quits (which ends every wait).
        return !m_cancelled && end != EventWait::End::Interrupted && m_helper;
    };
    QSocketNotifier readable(m_helper->socket(), QSocketNotifier::Read);
    EventWait wait;
    wait.endOn(&readable, &QSocketNotifier::activated);
    wait.endOn(m_helper.get(), &HelperProcess::ended);
    m_notifier = &readable;
    const bool heard = await(wait);
    m_notifier = nullptr;
    if (!heard) {
        *kind = HostCall::Kind::Cancelled;
        return false;
    }
    readable.setEnabled(false);
    // It ended, closed its end, sent what is no reply or took too long.
    *kind = HostCall::Kind::Failed;
    const warmpdftk::Received received = warmpdftk::receiveReply(m_helper->socket(), reply);
    if (received == warmpdftk::Received::Message) {
        return true;
    }
    if (received == warmpdftk::Received::Closed && m_helper->isRunning()) {
        // A host that could not be started closes the socket as it fails, which may be seen before the failed start
        // is: how it ended tells.
        EventWait ending;
        ending.endOn(m_helper.get(), &HelperProcess::ended);
        if (!await(ending)) {
            *kind = HostCall::Kind::Cancelled;
            return false;
        }
    }
    if (m_helper->ending().failedToStart) {
        *kind = HostCall::Kind::Unusable;
    }
    return false;
}

void PdftkHost::kill()
{
    if (m_waiting) {
        m_cancelled = true;
        m_waiting->interrupt();
    }
    if (m_notifier) {
        m_notifier->setEnabled(false);
    }
    if (m_helper) {
        m_helper->disconnect();
        m_helper->end();
        m_helper.reset();
    }
    m_ready = false;
}
