#include "imagereader/Sandbox.h"

#include "imagereader/ReaderProtocol.h"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

void limit(int resource, rlim_t value)
{
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

// Landlock, spoken to directly: the C library has no wrapper and older headers lack the newer fields.
struct LandlockRulesetAttr
{
    std::uint64_t handledAccessFs;
    std::uint64_t handledAccessNet; // ABI 4
    std::uint64_t scoped;           // ABI 6
};

bool restrictWithLandlock()
{
#if defined(SYS_landlock_create_ruleset) && defined(SYS_landlock_restrict_self)
    constexpr unsigned createRulesetVersion = 1;
    const long abi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, createRulesetVersion);
    if (abi < 1) {
        return false;
    }
    LandlockRulesetAttr attr{};
    attr.handledAccessFs = (1ULL << 13) - 1; // execute, read, write and make or remove anything
    if (abi >= 2) {
        attr.handledAccessFs |= 1ULL << 13; // refer
    }
    if (abi >= 3) {
        attr.handledAccessFs |= 1ULL << 14; // truncate
    }
    if (abi >= 5) {
        attr.handledAccessFs |= 1ULL << 15; // ioctl on devices
    }
    std::size_t size = offsetof(LandlockRulesetAttr, handledAccessNet);
    if (abi >= 4) {
        attr.handledAccessNet = 3; // bind and connect TCP
        size = offsetof(LandlockRulesetAttr, scoped);
    }
    if (abi >= 6) {
        attr.scoped = 3; // abstract Unix sockets and signals outside this process
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

#if defined(__x86_64__)
constexpr std::uint32_t auditArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr std::uint32_t auditArch = AUDIT_ARCH_AARCH64;
#else
constexpr std::uint32_t auditArch = 0;
#endif

constexpr std::uint32_t argLow(int i)
{
    return std::uint32_t(offsetof(seccomp_data, args) + 8 * i);
}

class FilterBuilder
{
public:
    void statement(std::uint16_t code, std::uint32_t k) { m_program.push_back(BPF_STMT(code, k)); }
    void jump(std::uint16_t code, std::uint32_t k, std::uint8_t yes, std::uint8_t no)
    {
        m_program.push_back(BPF_JUMP(code, k, yes, no));
    }
    void loadNumber() { statement(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)); }
    void allow(long nr)
    {
        jump(BPF_JMP | BPF_JEQ | BPF_K, std::uint32_t(nr), 0, 1);
        statement(BPF_RET | BPF_K, SECCOMP_RET_ALLOW);
    }
    // nr is allowed when argument `arg` has none of the bits in `mask`.
    void allowWithoutBits(long nr, int arg, std::uint32_t mask)
    {
        jump(BPF_JMP | BPF_JEQ | BPF_K, std::uint32_t(nr), 0, 4);
        statement(BPF_LD | BPF_W | BPF_ABS, argLow(arg));
        jump(BPF_JMP | BPF_JSET | BPF_K, mask, 1, 0);
        statement(BPF_RET | BPF_K, SECCOMP_RET_ALLOW);
        statement(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM);
    }
    // nr is allowed when the low and high halves of argument `arg` equal `low` and `high`.
    void allowWithArgument(long nr, int arg, std::uint32_t low, std::uint32_t high)
    {
        jump(BPF_JMP | BPF_JEQ | BPF_K, std::uint32_t(nr), 0, 6);
        statement(BPF_LD | BPF_W | BPF_ABS, argLow(arg));
        jump(BPF_JMP | BPF_JEQ | BPF_K, low, 0, 3);
        statement(BPF_LD | BPF_W | BPF_ABS, argLow(arg) + 4);
        jump(BPF_JMP | BPF_JEQ | BPF_K, high, 0, 1);
        statement(BPF_RET | BPF_K, SECCOMP_RET_ALLOW);
        statement(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM);
    }
    [[nodiscard]] std::vector<sock_filter>& program() { return m_program; }

private:
    std::vector<sock_filter> m_program;
};

bool restrictSystemCalls()
{
    if (auditArch == 0) {
        return false;
    }
    FilterBuilder f;
    f.statement(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch));
    f.jump(BPF_JMP | BPF_JEQ | BPF_K, auditArch, 1, 0);
    f.statement(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS);
    f.loadNumber();
#if defined(__x86_64__)
    f.jump(BPF_JMP | BPF_JGE | BPF_K, 0x40000000, 0, 1); // the x32 calls
    f.statement(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM);
#endif
    // Reading and writing descriptors already open, memory, time, signals to itself, ending.
    for (const long nr : {
             long(SYS_read),           long(SYS_write),        long(SYS_readv),
             long(SYS_writev),         long(SYS_pread64),      long(SYS_pwrite64),
             long(SYS_lseek),          long(SYS_close),        long(SYS_fstat),
             long(SYS_newfstatat),     long(SYS_fcntl),        long(SYS_brk),
             long(SYS_munmap),         long(SYS_mremap),       long(SYS_madvise),
             long(SYS_exit),           long(SYS_exit_group),   long(SYS_rt_sigreturn),
             long(SYS_rt_sigprocmask), long(SYS_sigaltstack),  long(SYS_getrusage),
             long(SYS_clock_gettime),  long(SYS_gettimeofday), long(SYS_futex),
             long(SYS_recvmsg),        long(SYS_sendmsg),      long(SYS_recvfrom),
             long(SYS_sendto),         long(SYS_getpid),       long(SYS_gettid),
             long(SYS_sched_yield),    long(SYS_getrandom),    long(SYS_restart_syscall),
         }) {
        f.allow(nr);
    }
    f.allowWithoutBits(SYS_mmap, 2, PROT_EXEC);
    f.allowWithoutBits(SYS_mprotect, 2, PROT_EXEC);
    // abort() signals this process; no other.
    f.allowWithArgument(SYS_tgkill, 0, std::uint32_t(::getpid()), 0);
    // Reading a limit is fine; setting one is not (prlimit64's new limit must be null).
    f.allowWithArgument(SYS_prlimit64, 2, 0, 0);
    f.statement(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM);

    sock_fprog program{};
    program.len = static_cast<unsigned short>(f.program().size());
    program.filter = f.program().data();
    return ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

} // namespace

void applyResourceLimits()
{
    limit(RLIMIT_CORE, 0);
    limit(RLIMIT_CPU, imagereader::cpuLimitSeconds);
    // The address space cannot be limited: the sanitizers reserve terabytes of it. Private data can, counted from
    // what is already there.
    limit(RLIMIT_DATA, currentDataBytes() + rlim_t(imagereader::memoryBudgetBytes));
    limit(RLIMIT_FSIZE, rlim_t(imagereader::maxDecodedBytes + (256LL << 20)));
    limit(RLIMIT_NOFILE, 16);
    limit(RLIMIT_NPROC, 0);
    limit(RLIMIT_MEMLOCK, 0);
    // A write beyond the file size limit fails with EFBIG instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    // Freed memory becomes 0xff and new memory 0x00, and large pictures always get fresh pages.
    ::mallopt(M_PERTURB, 0xff);
    ::mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    ::prctl(PR_SET_DUMPABLE, 0);
}

unsigned enterSandbox(int keepUpTo)
{
#if defined(SYS_close_range)
    ::syscall(SYS_close_range, unsigned(keepUpTo + 1), ~0U, 0);
#endif
    unsigned features = 0;
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        return features;
    }
    features |= NoNewPrivileges;
    if (restrictWithLandlock()) {
        features |= LandlockRules;
    }
    if (restrictSystemCalls()) {
        features |= SyscallFilter;
    }
    return features;
}
