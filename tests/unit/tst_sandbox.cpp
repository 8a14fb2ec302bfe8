#include "imagereader/helper/Sandbox.h"
#include "support/TestFolder.h"

#include <QCoreApplication>
#include <QHash>
#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <linux/netlink.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

// The helper's limits, put by a probe on itself as the helper puts them (applyResourceLimits, then enterSandbox);
// the probe then tries what a reader taken over by a hostile file would try, and reports each call's errno.

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kCannotDropRoot = 99;

// What the probe tries, with the errno of each attempt (0: it worked).
const QStringList kAttempts{
    QStringLiteral("open"),
    QStringLiteral("stat by name"),
    QStringLiteral("stat by name as an empty-path call"),
    QStringLiteral("fstat"),
    QStringLiteral("connect TCP"),
    QStringLiteral("connect named UNIX"),
    QStringLiteral("connect abstract UNIX"),
    QStringLiteral("fork"),
    QStringLiteral("kill"),
    QStringLiteral("fcntl F_GETFL"),
    QStringLiteral("fcntl F_SETOWN"),
    QStringLiteral("fcntl F_SETSIG"),
    QStringLiteral("fcntl F_SETFL O_ASYNC"),
    QStringLiteral("unshare"),
    QStringLiteral("inotify_init"),
    QStringLiteral("netlink socket"),
    QStringLiteral("chmod by name"),
    QStringLiteral("start a thread"),
    QStringLiteral("own processor mask"),
};
// The ones no Landlock right covers: with Landlock alone, only the filter's absence lets them through.
const QStringList kBeyondLandlock{
    QStringLiteral("stat by name"),   QStringLiteral("connect named UNIX"),    QStringLiteral("fcntl F_SETOWN"),
    QStringLiteral("fcntl F_SETSIG"), QStringLiteral("fcntl F_SETFL O_ASYNC"), QStringLiteral("unshare"),
    QStringLiteral("inotify_init"),   QStringLiteral("netlink socket"),        QStringLiteral("chmod by name"),
};
// How many threads the probe starts when nothing stops it.
constexpr int kThreadsTried = 200;

// What the probe's threads meet: the reader's own bound, or nothing short of the user's process limit.
enum class Threads
{
    NotCounted,
    StoppedAtBound,
    AllStarted,
};

// The descriptor the probe asks fcntl about: one end of a socket pair, as the reader's own socket is.
constexpr int kProbeSocket = 3;

int connectTo(int family, const sockaddr* address, socklen_t size)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return errno;
    }
    const int cause = ::connect(fd, address, size) == 0 ? 0 : errno;
    ::close(fd);
    return cause;
}

sockaddr_un unixAddress(const char* name, bool abstract, socklen_t* size)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t length = std::min(std::strlen(name), sizeof address.sun_path - 2);
    std::memcpy(address.sun_path + (abstract ? 1 : 0), name, length);
    *size = socklen_t(offsetof(sockaddr_un, sun_path) + length + (abstract ? 1 : 0));
    return address;
}

// The probe: --probe <layers> <file> <named socket> <abstract name> <TCP port> <process to signal>; layers 0 puts no
// limit at all.
int probe(char** argv)
{
    const unsigned wanted = unsigned(std::atoi(argv[2]));
    const char* file = argv[3];
    const pid_t target = pid_t(std::atoi(argv[7]));
    const long landlockAbi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, 1U);
    int pair[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, pair) != 0 || ::dup2(pair[0], kProbeSocket) != kProbeSocket) {
        return 2;
    }
    std::signal(SIGIO, SIG_IGN); // should the owner and O_ASYNC be let through
    unsigned features = 0;
    if (wanted != 0) {
        applyResourceLimits();
        features = enterSandbox(kProbeSocket, wanted);
    }
    std::printf("features %u\nlandlock %ld\n", features, landlockAbi);

    struct stat info = {};
    const auto result = [](bool ok) { return ok ? 0 : errno; };
    int fd = ::open(file, O_RDONLY | O_CLOEXEC);
    std::printf("open %d\n", result(fd >= 0));
    std::printf("stat by name %d\n", result(::stat(file, &info) == 0));
    std::printf("stat by name as an empty-path call %d\n",
                result(::fstatat(STDOUT_FILENO, file, &info, AT_EMPTY_PATH) == 0));
    std::printf("fstat %d\n", result(::fstat(STDOUT_FILENO, &info) == 0));

    sockaddr_in tcp{};
    tcp.sin_family = AF_INET;
    tcp.sin_port = htons(std::uint16_t(std::atoi(argv[6])));
    tcp.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::printf("connect TCP %d\n", connectTo(AF_INET, reinterpret_cast<const sockaddr*>(&tcp), sizeof tcp));
    socklen_t size = 0;
    sockaddr_un named = unixAddress(argv[4], false, &size);
    std::printf("connect named UNIX %d\n", connectTo(AF_UNIX, reinterpret_cast<const sockaddr*>(&named), size));
    sockaddr_un abstract = unixAddress(argv[5], true, &size);
    std::printf("connect abstract UNIX %d\n", connectTo(AF_UNIX, reinterpret_cast<const sockaddr*>(&abstract), size));

    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    std::printf("fork %d\n", result(child > 0));
    std::printf("kill %d\n", result(::kill(target, 0) == 0));

    const int flags = ::fcntl(kProbeSocket, F_GETFL);
    std::printf("fcntl F_GETFL %d\n", result(flags >= 0));
    std::printf("fcntl F_SETOWN %d\n", result(::fcntl(kProbeSocket, F_SETOWN, ::getpid()) == 0));
    std::printf("fcntl F_SETSIG %d\n", result(::fcntl(kProbeSocket, F_SETSIG, SIGIO) == 0));
    std::printf("fcntl F_SETFL O_ASYNC %d\n", result(::fcntl(kProbeSocket, F_SETFL, O_ASYNC) == 0));
    // No flag: the call itself is what is refused, whatever this system allows of namespaces.
    std::printf("unshare %d\n", result(::unshare(0) == 0));
    std::printf("inotify_init %d\n", result(::inotify_init1(IN_CLOEXEC) >= 0));
    std::printf("netlink socket %d\n", result(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE) >= 0));
    std::printf("chmod by name %d\n", result(::chmod(file, 0644) == 0));
    // A decoder's worker thread (libde265 starts one for every HEIC picture).
    pthread_t thread{};
    const int started = ::pthread_create(
        &thread, nullptr, [](void*) -> void* { return nullptr; }, nullptr);
    if (started == 0) {
        ::pthread_join(thread, nullptr);
    }
    std::printf("start a thread %d\n", started);
    // How many threads the AV1 decoder starts.
    cpu_set_t processors;
    std::printf("own processor mask %d\n", result(::sched_getaffinity(0, sizeof processors, &processors) == 0));
    std::printf("processors %d\n", CPU_COUNT(&processors));
    // A reader that starts threads until it is stopped; each waits on the held lock until the probe ends.
    static pthread_mutex_t held = PTHREAD_MUTEX_INITIALIZER;
    ::pthread_mutex_lock(&held);
    int threads = 0;
    for (; threads < kThreadsTried; ++threads) {
        pthread_t waiting{};
        const auto wait = [](void*) -> void* {
            ::pthread_mutex_lock(&held);
            return nullptr;
        };
        if (::pthread_create(&waiting, nullptr, wait, nullptr) != 0) {
            break;
        }
    }
    std::printf("threads started %d\n", threads);
    std::fflush(stdout);
    ::_exit(0);
}

// A listening socket of the given address; -1 on failure.
int listenOn(int family, const sockaddr* address, socklen_t size)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::bind(fd, address, size) != 0 || ::listen(fd, 8) != 0) {
        return -1;
    }
    return fd;
}

} // namespace

Q_DECLARE_METATYPE(Threads)

class TestSandbox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void enterSandbox_hostileCalls_refused_data();
    void enterSandbox_hostileCalls_refused();
};

void TestSandbox::enterSandbox_hostileCalls_refused_data()
{
    QTest::addColumn<unsigned>("layers");
    QTest::addColumn<QStringList>("refused");
    QTest::addColumn<QStringList>("allowed");
    QTest::addColumn<Threads>("threads");
    // Without limits every attempt works: the refusals below come from the limits, not from a wrong address.
    QTest::newRow("no limits") << 0U << QStringList() << kAttempts << Threads::AllStarted;
    QStringList everything = kAttempts;
    everything.removeAll(QStringLiteral("fstat"));
    everything.removeAll(QStringLiteral("fcntl F_GETFL"));
    everything.removeAll(QStringLiteral("start a thread"));
    everything.removeAll(QStringLiteral("own processor mask"));
    const QStringList asked{QStringLiteral("fstat"), QStringLiteral("fcntl F_GETFL"),
                            QStringLiteral("own processor mask")};
    // The filter lets a thread through, never a process.
    const QStringList askedAndThread = asked + QStringList{QStringLiteral("start a thread")};
    QTest::newRow("every layer") << unsigned(EverySandboxFeature) << everything << askedAndThread
                                 << Threads::StoppedAtBound;
    // The filter alone, as on Debian 12's kernel (6.1, Landlock ABI 2), where Landlock holds paths only: it refuses
    // all of it by itself.
    // Without a namespace of its own the reader's threads count among all of its user's processes: no bound.
    QTest::newRow("seccomp alone") << unsigned(NoNewPrivileges | SyscallFilter) << everything << askedAndThread
                                   << Threads::AllStarted;
    // Landlock alone (ABI 6 and later) holds paths, TCP, abstract sockets and signals; the process limit holds fork
    // for an ordinary user. kBeyondLandlock stays open.
    QTest::newRow("Landlock alone") << unsigned(NoNewPrivileges | LandlockRules)
                                    << QStringList{QStringLiteral("open"), QStringLiteral("connect TCP"),
                                                   QStringLiteral("connect abstract UNIX"), QStringLiteral("fork"),
                                                   QStringLiteral("kill")}
                                    << asked + kBeyondLandlock << Threads::NotCounted;
    // The limits alone hold new processes, for an ordinary user.
    QTest::newRow("limits alone") << unsigned(NoNewPrivileges) << QStringList{QStringLiteral("fork")} << asked
                                  << Threads::NotCounted;
}

void TestSandbox::enterSandbox_hostileCalls_refused()
{
    QFETCH(unsigned, layers);
    QFETCH(QStringList, refused);
    QFETCH(QStringList, allowed);
    QFETCH(Threads, threads);
    // As an ordinary user, whom the process limit binds; the folder and file are open to everyone, so that only the
    // limits can refuse them.
    TestFolder scratch;
    QVERIFY(::chmod(QFile::encodeName(scratch.path()).constData(), 0755) == 0);
    const QString file = scratch.write(QStringLiteral("photo.jpg"), "someone's photo");
    QVERIFY(::chmod(QFile::encodeName(file).constData(), 0644) == 0);
    // The probe's own file, so that only its limits can refuse a chmod.
    if (::geteuid() == 0) {
        QVERIFY(::chown(QFile::encodeName(file).constData(), kNobody, kNobody) == 0);
    }

    sockaddr_in tcp{};
    tcp.sin_family = AF_INET;
    tcp.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int tcpServer = listenOn(AF_INET, reinterpret_cast<const sockaddr*>(&tcp), sizeof tcp);
    socklen_t size = sizeof tcp;
    QVERIFY(tcpServer >= 0 && ::getsockname(tcpServer, reinterpret_cast<sockaddr*>(&tcp), &size) == 0);
    const QByteArray namedPath = QFile::encodeName(scratch.file(QStringLiteral("socket")));
    sockaddr_un named = unixAddress(namedPath.constData(), false, &size);
    const int namedServer = listenOn(AF_UNIX, reinterpret_cast<const sockaddr*>(&named), size);
    QVERIFY(namedServer >= 0 && ::chmod(namedPath.constData(), 0777) == 0);
    const QByteArray abstractName = "pagewell-sandbox-test-" + QByteArray::number(QCoreApplication::applicationPid());
    sockaddr_un abstract = unixAddress(abstractName.constData(), true, &size);
    const int abstractServer = listenOn(AF_UNIX, reinterpret_cast<const sockaddr*>(&abstract), size);
    QVERIFY(abstractServer >= 0);

    const auto asOrdinaryUser = [] {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(kCannotDropRoot);
        }
    };
    // A process of the probe's user, outside its sandbox, for kill to aim at.
    QProcess target;
    target.setProgram(QCoreApplication::applicationFilePath());
    target.setArguments({QStringLiteral("--wait")});
    target.setChildProcessModifier(asOrdinaryUser);
    target.start();
    QVERIFY(target.waitForStarted(-1));
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QStringLiteral("--probe"), QString::number(layers), file, QFile::decodeName(namedPath),
                        QString::fromLatin1(abstractName), QString::number(ntohs(tcp.sin_port)),
                        QString::number(target.processId())});
    child.setChildProcessModifier(asOrdinaryUser);
    child.start();
    child.waitForFinished(-1);
    target.kill();
    target.waitForFinished(-1);
    for (const int fd : {tcpServer, namedServer, abstractServer}) {
        ::close(fd);
    }
    if (child.exitCode() == kCannotDropRoot) {
        QSKIP("This system does not let root become an ordinary user.");
    }
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);

    QHash<QString, int> outcome;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const qsizetype blank = line.lastIndexOf(' ');
        if (blank > 0) {
            outcome.insert(QString::fromUtf8(line.left(blank)), line.mid(blank + 1).toInt());
        }
    }
    const unsigned features = unsigned(outcome.value(QStringLiteral("features")));
    if ((layers & SyscallFilter) != 0 && (features & SyscallFilter) == 0) {
        QSKIP("This kernel offers no seccomp filter: the helper runs with Landlock and its limits only.");
    }
    if ((layers & LandlockRules) != 0 && (features & LandlockRules) == 0) {
        QSKIP("This kernel offers no Landlock: the helper runs with seccomp and its limits only.");
    }
    if (layers == unsigned(NoNewPrivileges | LandlockRules) && outcome.value(QStringLiteral("landlock")) < 6) {
        QSKIP("This kernel's Landlock is older than ABI 6: it does not hold TCP, abstract sockets or signals.");
    }
    if ((layers & TaskLimit) != 0 && (features & TaskLimit) == 0) {
        QSKIP("This system allows no user namespace: the helper's threads are bounded by its user's process limit.");
    }
    const int started = outcome.value(QStringLiteral("threads started"), -1);
    if (threads == Threads::StoppedAtBound) {
        // The probe's first thread counts, and the one it started before has ended.
        QCOMPARE(started + 1, int(readerTaskLimit(unsigned(outcome.value(QStringLiteral("processors"))))));
    } else if (threads == Threads::AllStarted) {
        QCOMPARE(started, kThreadsTried);
    }
    for (const QString& call : refused) {
        QVERIFY2(outcome.contains(call), qPrintable(call + QStringLiteral(": not tried")));
        QVERIFY2(outcome.value(call) != 0, qPrintable(call + QStringLiteral(" was let through")));
    }
    for (const QString& call : allowed) {
        QVERIFY2(outcome.contains(call), qPrintable(call + QStringLiteral(": not tried")));
        QVERIFY2(outcome.value(call) == 0, qPrintable(call + QStringLiteral(" failed: ") +
                                                      QString::fromLocal8Bit(std::strerror(outcome.value(call)))));
    }
}

int main(int argc, char** argv)
{
    if (argc == 8 && std::strcmp(argv[1], "--probe") == 0) {
        return probe(argv);
    }
    if (argc == 2 && std::strcmp(argv[1], "--wait") == 0) {
        ::pause();
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestSandbox test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sandbox.moc"
