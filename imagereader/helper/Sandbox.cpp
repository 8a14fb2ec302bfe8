#include "imagereader/helper/Sandbox.h"

#include "imagereader/format/ReaderProtocol.h"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include <fcntl.h>
#include <grp.h>
#include <linux/landlock.h>
#include <malloc.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace {

// Sets the limit, soft and hard, to value or to the soft limit already in force if that is lower: a limit the
// user set is never loosened.
void limit(int resource, rlim_t value)
{
    rlimit current{};
    if (::getrlimit(resource, &current) == 0 && current.rlim_cur != RLIM_INFINITY && current.rlim_cur < value) {
        value = current.rlim_cur;
    }
    const rlimit both{value, value};
    ::setrlimit(resource, &both);
}

// The private data this process already has (the sanitizers' shadow memory among it), from /proc/self/status.
rlim_t currentDataBytes()
{
    FILE* status = std::fopen("/proc/self/status", "re");
    if (status == nullptr) {
        return 0;
    }
    char line[256];
    unsigned long long kib = 0;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmData: %llu kB", &kib) == 1) {
            break;
        }
    }
    std::fclose(status);
    return rlim_t(kib) * 1024;
}

// The Landlock constants newer than the oldest kernel headers this builds with (Debian 12 has those of Linux 6.1).
#ifndef LANDLOCK_ACCESS_FS_TRUNCATE
#define LANDLOCK_ACCESS_FS_TRUNCATE (1ULL << 14)
#endif
#ifndef LANDLOCK_ACCESS_FS_IOCTL_DEV
#define LANDLOCK_ACCESS_FS_IOCTL_DEV (1ULL << 15)
#endif
#ifndef LANDLOCK_ACCESS_NET_BIND_TCP
#define LANDLOCK_ACCESS_NET_BIND_TCP (1ULL << 0)
#define LANDLOCK_ACCESS_NET_CONNECT_TCP (1ULL << 1)
#endif
#ifndef LANDLOCK_SCOPE_ABSTRACT_UNIX_SOCKET
#define LANDLOCK_SCOPE_ABSTRACT_UNIX_SOCKET (1ULL << 0)
#define LANDLOCK_SCOPE_SIGNAL (1ULL << 1)
#endif

// The ruleset's attributes as the newest kernel takes them; older headers lack the later fields, and the size given
// to the kernel says which of them it reads.
struct LandlockRulesetAttr
{
    std::uint64_t handledAccessFs;
    std::uint64_t handledAccessNet; // ABI 4
    std::uint64_t scoped;           // ABI 6
};

bool restrictWithLandlock()
{
#if defined(SYS_landlock_create_ruleset) && defined(SYS_landlock_restrict_self)
    const long abi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1) {
        return false;
    }
    LandlockRulesetAttr attr{};
    attr.handledAccessFs = LANDLOCK_ACCESS_FS_EXECUTE | LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_READ_FILE |
                           LANDLOCK_ACCESS_FS_READ_DIR | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                           LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_CHAR | LANDLOCK_ACCESS_FS_MAKE_DIR |
                           LANDLOCK_ACCESS_FS_MAKE_REG | LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO |
                           LANDLOCK_ACCESS_FS_MAKE_BLOCK | LANDLOCK_ACCESS_FS_MAKE_SYM;
    if (abi >= 2) {
        attr.handledAccessFs |= LANDLOCK_ACCESS_FS_REFER;
    }
    if (abi >= 3) {
        attr.handledAccessFs |= LANDLOCK_ACCESS_FS_TRUNCATE;
    }
    if (abi >= 5) {
        attr.handledAccessFs |= LANDLOCK_ACCESS_FS_IOCTL_DEV;
    }
    std::size_t size = offsetof(LandlockRulesetAttr, handledAccessNet);
    if (abi >= 4) {
        attr.handledAccessNet = LANDLOCK_ACCESS_NET_BIND_TCP | LANDLOCK_ACCESS_NET_CONNECT_TCP;
        size = offsetof(LandlockRulesetAttr, scoped);
    }
    if (abi >= 6) {
        attr.scoped = LANDLOCK_SCOPE_ABSTRACT_UNIX_SOCKET | LANDLOCK_SCOPE_SIGNAL;
        size = sizeof attr;
    }
    // No rule is added: every handled access is denied, on every path.
    const int ruleset = int(::syscall(SYS_landlock_create_ruleset, &attr, size, 0));
    if (ruleset < 0) {
        return false;
    }
    const bool restricted = ::syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
    ::close(ruleset);
    return restricted;
#else
    return false;
#endif
}

#if defined(__x86_64__) || defined(__aarch64__)

// The C library's fstat is newfstatat(fd, "", buf, AT_EMPTY_PATH), and the filter cannot read the path it is given:
// letting newfstatat through would let the reader learn of any file by its name. So the filter traps it, and this
// handler, which can read the path, answers the empty one with an fstat of the descriptor and every other with
// EPERM. It makes no call but fstat, which the filter allows anyway: whatever calls it gets nothing more.
extern "C" void answerDescriptorStat(int, siginfo_t* info, void* context)
{
    auto* registers = static_cast<ucontext_t*>(context);
#if defined(__x86_64__)
    greg_t* argument = registers->uc_mcontext.gregs;
    const long fd = long(argument[REG_RDI]);
    const auto* path = reinterpret_cast<const char*>(argument[REG_RSI]);
    void* buffer = reinterpret_cast<void*>(argument[REG_RDX]);
    const long flags = long(argument[REG_R10]);
#else
    auto* argument = registers->uc_mcontext.regs;
    const long fd = long(argument[0]);
    const auto* path = reinterpret_cast<const char*>(argument[1]);
    void* buffer = reinterpret_cast<void*>(argument[2]);
    const long flags = long(argument[3]);
#endif
    long answer = -EPERM;
    if (info->si_syscall == SYS_newfstatat && (flags & AT_EMPTY_PATH) != 0 && (path == nullptr || path[0] == '\0')) {
        const int saved = errno;
        const long done = ::syscall(SYS_fstat, fd, buffer);
        answer = done < 0 ? -errno : done;
        errno = saved;
    }
#if defined(__x86_64__)
    argument[REG_RAX] = greg_t(answer);
#else
    argument[0] = std::uint64_t(answer);
#endif
}

bool restrictSystemCalls()
{
    struct sigaction trap = {};
    trap.sa_sigaction = answerDescriptorStat;
    trap.sa_flags = SA_SIGINFO;
    sigemptyset(&trap.sa_mask);
    if (::sigaction(SIGSYS, &trap, nullptr) != 0) {
        return false;
    }
    // Anything not named here fails with EPERM. A call of another architecture ends the process, and so does an x32
    // call: libseccomp counts those as another architecture's, whatever they name. So the filter alone holds, whatever
    // the kernel's Landlock: no file opened, named, changed (chmod, chown, utimes) or linked; no socket made (no
    // network, no netlink, no UNIX socket), no namespace (unshare, setns, clone, clone3), no process or thread, no
    // inotify, fanotify, io_uring, ptrace, ioctl or prctl, no signal to another process.
    scmp_filter_ctx filter = ::seccomp_init(SCMP_ACT_ERRNO(EPERM));
    if (filter == nullptr) {
        return false;
    }
    bool built = ::seccomp_attr_set(filter, SCMP_FLTATR_ACT_BADARCH, SCMP_ACT_KILL_PROCESS) == 0;
    // Reading and writing descriptors already open, memory, time, signals to itself, ending.
    for (const int nr : {
             SCMP_SYS(read),           SCMP_SYS(write),       SCMP_SYS(readv),           SCMP_SYS(writev),
             SCMP_SYS(pread64),        SCMP_SYS(pwrite64),    SCMP_SYS(lseek),           SCMP_SYS(close),
             SCMP_SYS(fstat),          SCMP_SYS(brk),         SCMP_SYS(munmap),          SCMP_SYS(mremap),
             SCMP_SYS(madvise),        SCMP_SYS(exit),        SCMP_SYS(exit_group),      SCMP_SYS(rt_sigreturn),
             SCMP_SYS(rt_sigprocmask), SCMP_SYS(sigaltstack), SCMP_SYS(getrusage),       SCMP_SYS(clock_gettime),
             SCMP_SYS(gettimeofday),   SCMP_SYS(futex),       SCMP_SYS(recvmsg),         SCMP_SYS(sendmsg),
             SCMP_SYS(recvfrom),       SCMP_SYS(sendto),      SCMP_SYS(getpid),          SCMP_SYS(gettid),
             SCMP_SYS(sched_yield),    SCMP_SYS(getrandom),   SCMP_SYS(restart_syscall),
         }) {
        built = built && ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, nr, 0) == 0;
    }
    // A descriptor's flags and seals may be read and its close-on-exec flag set, nothing more: an owner and a signal
    // for asynchronous input (F_SETOWN, F_SETSIG, O_ASYNC) would let the reader signal any process of the user, the
    // window among them, on kernels whose Landlock does not scope signals (before 6.12); leases, notifications, locks
    // and pipe sizes reach beyond the reader too.
    for (const int command : {F_GETFD, F_SETFD, F_GETFL, F_GET_SEALS}) {
        built = built && ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(fcntl), 1,
                                            SCMP_A1(SCMP_CMP_EQ, std::uint64_t(command))) == 0;
    }
    // Memory is never made executable.
    for (const int nr : {SCMP_SYS(mmap), SCMP_SYS(mprotect)}) {
        built =
            built && ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, nr, 1, SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0)) == 0;
    }
    // abort() signals this process; no other.
    built = built && ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(tgkill), 1,
                                        SCMP_A0(SCMP_CMP_EQ, std::uint64_t(::getpid()))) == 0;
    // Reading one's own limit is fine; setting one is not (prlimit64's new limit must be null).
    for (const std::uint64_t self : {std::uint64_t(0), std::uint64_t(::getpid())}) {
        built = built && ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prlimit64), 2, SCMP_A0(SCMP_CMP_EQ, self),
                                            SCMP_A2(SCMP_CMP_EQ, 0)) == 0;
    }
    // fstat as the C library makes it; the handler above tells it from a stat by name.
    built = built && ::seccomp_rule_add(filter, SCMP_ACT_TRAP, SCMP_SYS(newfstatat), 1,
                                        SCMP_A3(SCMP_CMP_MASKED_EQ, AT_EMPTY_PATH, AT_EMPTY_PATH)) == 0;
    // Threads, and no other new task: libde265 (HEIC) starts a worker thread for every picture, whatever it is told.
    // clone is allowed with exactly the flags the C library's pthread_create passes (a fork passes others), and
    // clone3, whose flags the filter cannot see, says it does not exist, so that the library falls back to clone.
    constexpr std::uint64_t kThreadFlags = CLONE_VM | CLONE_FS | CLONE_FILES | CLONE_SIGHAND | CLONE_THREAD |
                                           CLONE_SYSVSEM | CLONE_SETTLS | CLONE_PARENT_SETTID | CLONE_CHILD_CLEARTID;
    built = built &&
            ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(clone), 1, SCMP_A0(SCMP_CMP_EQ, kThreadFlags)) == 0;
    built = built && ::seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) == 0;
    // What the C library has every new thread do for itself before it runs (it ends the process if rseq fails).
    for (const int nr : {SCMP_SYS(rseq), SCMP_SYS(set_robust_list)}) {
        built = built && ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, nr, 0) == 0;
    }
#if defined(__SANITIZE_ADDRESS__)
    // The address sanitizer's start of a thread reads that thread's processor mask.
    built = built && ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(sched_getaffinity), 0) == 0;
#else
    // Its own processor mask: the AV1 decoder starts a thread for each processor it may run on, and only one when
    // it cannot tell.
    for (const std::uint64_t self : {std::uint64_t(0), std::uint64_t(::getpid())}) {
        built = built && ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(sched_getaffinity), 1,
                                            SCMP_A0(SCMP_CMP_EQ, self)) == 0;
    }
#endif

    const bool loaded = built && ::seccomp_load(filter) == 0;
    ::seccomp_release(filter);
    return loaded;
}

#else

bool restrictSystemCalls()
{
    return false; // the stat handler knows the registers of these two architectures only
}

#endif

// The unprivileged user a reader started by root becomes, so that the process limit binds it.
constexpr uid_t kNobody = 65534;

unsigned allowedProcessors()
{
    cpu_set_t processors;
    CPU_ZERO(&processors);
    return ::sched_getaffinity(0, sizeof processors, &processors) == 0 ? unsigned(CPU_COUNT(&processors)) : 1U;
}

// Puts the reader in a user namespace of its own and bounds its tasks there; see readerTaskLimit(). The namespace
// can only be made while the process has one thread, before the decoders start any.
bool limitTasks()
{
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                             ::setresuid(kNobody, kNobody, kNobody) != 0)) {
        return false;
    }
    if (::unshare(CLONE_NEWUSER) != 0) {
        return false;
    }
    limit(RLIMIT_NPROC, readerTaskLimit(allowedProcessors()));
    return true;
}

} // namespace

unsigned readerTaskLimit(unsigned processors)
{
    return 16 + 2 * processors;
}

void applyResourceLimits()
{
    limit(RLIMIT_CORE, 0);
    limit(RLIMIT_CPU, imagereader::kCpuLimitSeconds);
    // The address space cannot be limited: the sanitizers reserve terabytes of it. Private data can, counted from
    // what is already there.
    limit(RLIMIT_DATA, currentDataBytes() + rlim_t(imagereader::kMemoryBudgetBytes));
    limit(RLIMIT_FSIZE, rlim_t(imagereader::kMaxDecodedBytes + (256LL << 20)));
    limit(RLIMIT_NOFILE, 16);
    limit(RLIMIT_MEMLOCK, 0);
    // A write beyond the file size limit fails with EFBIG instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    // Freed memory becomes 0xff and new memory 0x00: what a reader leaves unwritten is the same every time, never
    // a piece of an earlier picture.
    ::mallopt(M_PERTURB, 0xff);
    ::prctl(PR_SET_DUMPABLE, 0);
}

unsigned enterSandbox(int keepUpTo, unsigned wanted)
{
#if defined(SYS_close_range)
    ::syscall(SYS_close_range, unsigned(keepUpTo + 1), ~0U, 0);
#endif
    unsigned features = 0;
    if ((wanted & TaskLimit) != 0 && limitTasks()) {
        features |= TaskLimit;
    }
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        return features;
    }
    features |= NoNewPrivileges;
    if ((wanted & LandlockRules) != 0 && restrictWithLandlock()) {
        features |= LandlockRules;
    }
    if ((wanted & SyscallFilter) != 0 && restrictSystemCalls()) {
        features |= SyscallFilter;
    } else {
        // Without the filter, which lets threads through but no new process, the process limit stops both.
        limit(RLIMIT_NPROC, 0);
    }
    return features;
}
