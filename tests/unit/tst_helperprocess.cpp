#include "helperprocess/Framing.h"
#include "helperprocess/HelperProcess.h"
#include "pdftk/PdftkHost.h"
#include "support/ProcessProbe.h"

#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t kMagic = 0x54455354; // "TEST"
constexpr std::uint32_t kType = 2;
constexpr std::uint32_t kMaxLength = 16;
// There, but no program: its start fails on the way, after the fork.
const QString kNotAProgram = QStringLiteral("/dev/null");

} // namespace

class TestHelperProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void receiveFrame_garbled_refused_data();
    void receiveFrame_garbled_refused();
    void deadline_passed_wholeProcessGroupEnded();
    void ended_howItWent_toldByEnding_data();
    void ended_howItWent_toldByEnding();
    void hostCall_hostCannotStart_unusableWithReason();
};

void TestHelperProcess::receiveFrame_garbled_refused_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("taken");

    const auto frame = [](std::uint32_t magic, std::uint32_t type, std::uint32_t length, qsizetype payload) {
        const framing::FrameHeader header{magic, type, length};
        return QByteArray(reinterpret_cast<const char*>(&header), sizeof header) + QByteArray(payload, 'x');
    };
    QTest::newRow("whole") << frame(kMagic, kType, 5, 5) << true;
    QTest::newRow("too short for its header") << frame(kMagic, kType, 0, 0).left(7) << false;
    QTest::newRow("length over the bound") << frame(kMagic, kType, kMaxLength + 1, kMaxLength + 1) << false;
    QTest::newRow("length other than what came") << frame(kMagic, kType, 8, 5) << false;
    QTest::newRow("wrong type") << frame(kMagic, kType + 1, 5, 5) << false;
    QTest::newRow("type beyond every bit") << frame(kMagic, 32 + kType, 5, 5) << false;
    QTest::newRow("another protocol") << frame(kMagic + 1, kType, 5, 5) << false;
}

void TestHelperProcess::receiveFrame_garbled_refused()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, taken);
    int pair[2] = {-1, -1};
    QVERIFY(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) == 0);
    QCOMPARE(::send(pair[1], message.constData(), std::size_t(message.size()), 0), ssize_t(message.size()));

    framing::Frame frame;
    const framing::FrameRules rules{kMagic, 1u << kType, kMaxLength, 0};
    const framing::Received received = framing::receiveFrame(pair[0], rules, framing::Waiting::DontWait, &frame);
    QCOMPARE(received, taken ? framing::Received::Frame : framing::Received::Malformed);
    if (taken) {
        QCOMPARE(QByteArray(frame.payload.data(), qsizetype(frame.payload.size())), QByteArray(5, 'x'));
    }
    ::close(pair[0]);
    ::close(pair[1]);
}

void TestHelperProcess::deadline_passed_wholeProcessGroupEnded()
{
    HelperProcess helper;
    HelperSetup setup;
    setup.program = QStringLiteral("/bin/sh");
    // A helper that has started a process of its own, as pdftk's script starts its JVM.
    setup.arguments = {QStringLiteral("-c"), QStringLiteral("sleep 1000 & echo $!; sleep 1000")};
    QString error;
    QVERIFY2(helper.start(setup, &error), qPrintable(error));
    const qint64 leader = helper.processId();
    QByteArray output;
    connect(&helper, &HelperProcess::outputReady, &helper, [&] { output += helper.readOutput(); });
    QTRY_VERIFY(output.endsWith('\n'));
    const qint64 started = output.trimmed().toLongLong();
    QVERIFY(started > 0);
    QVERIFY(!processGone(started));

    helper.setDeadline(std::chrono::milliseconds(50));
    QVERIFY(helper.waitForEnd());
    QVERIFY(helper.deadlinePassed());
    QCOMPARE(helper.ending().signal, SIGKILL);
    QTRY_VERIFY(processGone(leader));
    QTRY_VERIFY(processGone(started));
}

void TestHelperProcess::ended_howItWent_toldByEnding_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("signal");
    const QString shell = QStringLiteral("/bin/sh");
    QTest::newRow("exits") << shell << QStringLiteral("exit 3") << 3 << 0;
    QTest::newRow("ended by a signal") << shell << QStringLiteral("kill -TERM $$") << -1 << SIGTERM;
    QTest::newRow("cannot be started") << kNotAProgram << QString() << -1 << 0;
}

void TestHelperProcess::ended_howItWent_toldByEnding()
{
    QFETCH(QString, program);
    QFETCH(QString, script);
    QFETCH(int, exitCode);
    QFETCH(int, signal);
    HelperProcess helper;
    QSignalSpy ended(&helper, &HelperProcess::ended);
    HelperSetup setup;
    setup.program = program;
    setup.arguments = {QStringLiteral("-c"), script};
    QString error;
    if (helper.start(setup, &error)) {
        QTRY_COMPARE(ended.count(), 1);
    }
    const bool runs = program != kNotAProgram;
    QCOMPARE(helper.ending().failedToStart, !runs);
    QCOMPARE(helper.ending().whyNotStarted.isEmpty(), runs);
    QCOMPARE(helper.ending().exitCode, exitCode);
    QCOMPARE(helper.ending().signal, signal);
    QVERIFY(!helper.isRunning());
}

void TestHelperProcess::hostCall_hostCannotStart_unusableWithReason()
{
    // Unusable, not Failed: the run then goes on with pdftk processes instead of trying a host again.
    PdftkHost host(kNotAProgram,
                   PdftkLauncher{QStringLiteral("pdftk.jar"), QStringLiteral("Main"), QStringLiteral("libjvm.so")});
    const HostCall call = host.call({QStringLiteral("--version")}, std::chrono::minutes(1));
    QCOMPARE(call.kind, HostCall::Kind::Unusable);
    QVERIFY(!call.result.started);
    QVERIFY(!call.result.errorText.isEmpty());
    QCOMPARE(host.processId(), 0);
}

QTEST_GUILESS_MAIN(TestHelperProcess)
#include "tst_helperprocess.moc"
