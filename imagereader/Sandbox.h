#pragma once

// The limits the image-reading helper puts on itself before it touches a user's file. It cannot lift them again:
// the system-call filter refuses setrlimit and every way to open a file, start a program or reach the network.

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
};

// Closes every descriptor above `keepUpTo`, then no new privileges, Landlock and seccomp where the kernel offers
// them; what it does not offer is left out. Returns the SandboxFeature bits in force.
[[nodiscard]] unsigned enterSandbox(int keepUpTo);
