#pragma once

// The limits the image-reading helper puts on itself before it touches a user's file. It cannot lift them again:
// the system-call filter refuses setrlimit and every way to open a file, stat one by its name, start a program or
// reach the network.

// Memory, processor time, file size, open files and processes; no core dumps; freed memory overwritten, so that a
// reader that hands over pixels it never wrote shows a constant instead of an earlier picture. First thing in
// main().
void applyResourceLimits();

// What enterSandbox() could put in place on this kernel.
enum SandboxFeature : unsigned
{
    NoNewPrivileges = 1,
    LandlockRules = 2, // no file may be opened, no network reached
    SyscallFilter = 4, // seccomp: reading, writing and memory only, on descriptors already open
    TaskLimit = 8,     // a user namespace of its own, where the process limit counts the reader's threads alone
    EverySandboxFeature = NoNewPrivileges | LandlockRules | SyscallFilter | TaskLimit,
};

// How many tasks (its first thread among them) the reader may have at once: the AV1 decoder starts one thread for
// each processor, libde265 one for each HEIC picture, a large picture one to fault in its memory.
[[nodiscard]] unsigned readerTaskLimit(unsigned processors);

// Closes every descriptor above `keepUpTo`, then no new privileges, Landlock and seccomp where the kernel offers
// them; what it does not offer is left out. Returns the SandboxFeature bits in force. The helper takes every layer;
// `wanted` leaves out Landlock or seccomp, so that a test can see what each holds alone.
//
// The seccomp filter is the wall: with it alone the reader can read and write the descriptors it was given, use
// memory and time, and end; nothing else (see restrictSystemCalls). Landlock is a second wall where the filter is
// missing or has a hole: on Linux 6.1 (ABI 2) it denies every path for opening, making, removing, renaming and
// linking files; from ABI 4 also TCP; from ABI 6 abstract UNIX sockets and signals to processes outside the reader.
// No Landlock right covers, on the kernels of today: naming a file to stat it or to change its mode, owner or times,
// connecting to a named UNIX socket, UDP and netlink sockets, namespaces, inotify, fcntl (an owner and a signal for
// asynchronous input among them: before ABI 6 that reaches any process of the user) and executable memory. The
// limits hold new processes (a process limit of zero; it does not bind root), memory, processor time and file size.
//
// Threads are bounded by the process limit, which the kernel counts per user and user namespace (Linux 5.14 on):
// in a namespace of its own the reader's count is its own threads, not every process of the user, so a small limit
// holds without touching the user's other programs. The kernel never applies it to root, so a reader started by
// root first becomes the unprivileged user nobody. Where user namespaces are not allowed there is no sound bound:
// the filter lets threads through, up to the user's own process limit.
[[nodiscard]] unsigned enterSandbox(int keepUpTo, unsigned wanted = EverySandboxFeature);
