#include "pdftk/PdftkHost.h"

#include "helperprocess/HelperProgram.h"
#include "pdftk/WarmProtocol.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kHostName = QStringLiteral("pagewell-pdftk");

bool sendRequest(int socket, const QStringList& arguments)
{
    warmpdftk::RequestHeader header;
    header.argumentCount = std::uint32_t(arguments.size());
    QByteArray message(reinterpret_cast<const char*>(&header), sizeof header);
    for (const QString& argument : arguments) {
        const QByteArray bytes = argument.toUtf8();
        if (bytes.contains('\0')) {
            return false;
        }
        message += bytes;
        message += '\0';
    }
    if (message.size() > qsizetype(warmpdftk::kMaxRequestBytes)) {
        return false;
    }
    ssize_t sent = 0;
    do {
        sent = ::send(socket, message.constData(), std::size_t(message.size()), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == ssize_t(message.size());
}

// The reply's header, and its two texts, when it is exactly what the host writes.
bool parseReply(const QByteArray& reply, warmpdftk::ReplyHeader* header, QString* output, QString* errors)
{
    if (reply.size() < qsizetype(sizeof *header)) {
        return false;
    }
    std::memcpy(header, reply.constData(), sizeof *header);
    if (header->magic != warmpdftk::kProtocolMagic || header->outputBytes > warmpdftk::kMaxTextBytes ||
        header->errorBytes > warmpdftk::kMaxTextBytes ||
        reply.size() != qsizetype(sizeof *header + header->outputBytes + header->errorBytes)) {
        return false;
    }
    *output = QString::fromUtf8(reply.constData() + sizeof *header, header->outputBytes);
    *errors = QString::fromUtf8(reply.constData() + sizeof *header + header->outputBytes, header->errorBytes);
    return true;
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
    return m_process ? m_process->processId() : 0;
}

bool PdftkHost::start(QString* error)
{
    int pair[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_process = std::make_unique<QProcess>();
    m_process->setProgram(m_program);
    m_process->setArguments(
        {QStringLiteral("--serve"), m_launcher.jvmLibrary, m_launcher.classPath, m_launcher.mainClass});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // update_info_utf8 and non-ASCII file names need a UTF-8 locale in the Java runtime.
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    m_process->setProcessEnvironment(environment);
    // pdftk reads its standard input when it asks a question: it finds it empty, never the requests.
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    const int childEnd = pair[1];
    m_process->setChildProcessModifier([childEnd] { enterHelperSession(childEnd, warmpdftk::kSocketDescriptor); });
    m_process->start();
    ::close(childEnd);
    if (!m_process->waitForStarted(-1)) {
        *error = m_process->errorString();
        ::close(pair[0]);
        m_process.reset();
        return false;
    }
    m_socket = pair[0];
    return true;
}

HostCall PdftkHost::call(const QStringList& arguments, std::chrono::milliseconds limit)
{
    HostCall outcome;
    m_cancelled = false;
    QByteArray reply;
    warmpdftk::ReplyHeader header;
    QString output;
    QString errors;
    const auto failed = [this, &outcome](HostCall::Kind kind, const QString& why) {
        kill();
        outcome.kind = kind;
        outcome.result.started = kind != HostCall::Kind::Unusable;
        outcome.result.crashed = kind == HostCall::Kind::Failed;
        outcome.result.aborted = kind == HostCall::Kind::Cancelled;
        outcome.result.errorText = why;
        return outcome;
    };
    if (!m_process) {
        QString error;
        if (!start(&error)) {
            return failed(HostCall::Kind::Unusable, error);
        }
        HostCall::Kind kind = HostCall::Kind::Failed;
        if (!awaitReply(&reply, limit, &kind)) {
            return failed(
                kind, QCoreApplication::translate("PdftkHost", "pdftk's host stopped while starting its Java runtime"));
        }
        if (!parseReply(reply, &header, &output, &errors) || header.kind != warmpdftk::ReplyKind::Ready) {
            return failed(header.kind == warmpdftk::ReplyKind::Unusable ? HostCall::Kind::Unusable
                                                                        : HostCall::Kind::Failed,
                          errors);
        }
    }
    if (!sendRequest(m_socket, arguments)) {
        return failed(HostCall::Kind::Failed,
                      QCoreApplication::translate("PdftkHost", "pdftk's host did not take the request"));
    }
    HostCall::Kind kind = HostCall::Kind::Failed;
    if (!awaitReply(&reply, limit, &kind)) {
        return failed(kind, QCoreApplication::translate("PdftkHost", "pdftk stopped unexpectedly in its host"));
    }
    if (!parseReply(reply, &header, &output, &errors) || header.kind != warmpdftk::ReplyKind::Done) {
        return failed(HostCall::Kind::Failed,
                      QCoreApplication::translate("PdftkHost", "pdftk's host gave a reply it should not"));
    }
    m_peakResidentKiB = std::max<quint64>(m_peakResidentKiB, header.peakResidentKiB);
    outcome.kind = HostCall::Kind::Answered;
    outcome.result.started = true;
    outcome.result.exitCode = header.exitCode;
    outcome.result.errorText = errors.trimmed();
    outcome.descriptorsLeftOpen = int(header.descriptorsLeftOpen);
    return outcome;
}

bool PdftkHost::awaitReply(QByteArray* reply, std::chrono::milliseconds limit, HostCall::Kind* kind)
{
    // What ended the wait; nothing of these when kill() did or the application quits (which ends every nested loop).
    bool heard = false;
    QEventLoop loop;
    QSocketNotifier readable(m_socket, QSocketNotifier::Read);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&readable, &QSocketNotifier::activated, &loop, [&loop, &heard] {
        heard = true;
        loop.quit();
    });
    QObject::connect(m_process.get(), &QProcess::finished, &loop, [&loop, &heard] {
        heard = true;
        loop.quit();
    });
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&loop, &heard] {
        heard = true;
        loop.quit();
    });
    deadline.start(limit);
    m_notifier = &readable;
    m_waiting = &loop;
    loop.exec();
    m_waiting = nullptr;
    m_notifier = nullptr;

    if (m_cancelled || !heard) {
        *kind = HostCall::Kind::Cancelled;
        return false;
    }
    std::vector<char> buffer(warmpdftk::kMaxReplyBytes);
    const ssize_t got = ::recv(m_socket, buffer.data(), buffer.size(), MSG_DONTWAIT | MSG_TRUNC);
    if (got > 0 && std::size_t(got) <= buffer.size()) {
        *reply = QByteArray(buffer.data(), qsizetype(got));
        return true;
    }
    // It ended, closed its end, sent too much or took too long.
    *kind = HostCall::Kind::Failed;
    return false;
}

void PdftkHost::kill()
{
    if (m_waiting) {
        m_cancelled = true;
        m_waiting->quit();
    }
    if (m_notifier) {
        m_notifier->setEnabled(false);
    }
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
    if (m_process) {
        m_process->disconnect();
        killProcessGroup(m_process->processId());
        m_process->kill();
        m_process->waitForFinished(-1);
        m_process.reset();
    }
}
