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
    EverySandboxFeature = NoNewPrivileges | LandlockRules | SyscallFilter,
};

// Closes every descriptor above `keepUpTo`, then no new privileges, Landlock and seccomp where the kernel offers
// them; what it does not offer is left out. Returns the SandboxFeature bits in force. The helper takes every layer;
// `wanted` leaves out Landlock or seccomp, so that a test can see what each holds alone.
//
// Where only Landlock is there, some things stay open that no Landlock right covers on the kernels of today: naming
// a file to stat it, connecting to a named UNIX socket, the network other than TCP (UDP), executable memory. New
// processes are held by the process limit of zero, except for root, whom that limit does not bind.
[[nodiscard]] unsigned enterSandbox(int keepUpTo, unsigned wanted = EverySandboxFeature);
