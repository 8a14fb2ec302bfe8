#pragma once

// What the program and its pdftk host (pagewell-pdftk) say to each other. Plain C++: the host links nothing of the
// program.
//
// The host starts one JVM with pdftk's classes and, once it is ready, calls pdftk's own entry point once per
// request. One request at a time over a local socket (descriptor 3, one message each way): the argument list in;
// pdftk's exit code, what it printed and how the host is doing out. The host ends when the socket closes.

#include <cstdint>

namespace warmpdftk {

inline constexpr std::uint32_t kProtocolMagic = 0x50575031; // "PWP1"
inline constexpr int kSocketDescriptor = 3;

// A request is a RequestHeader followed by argumentCount zero-terminated UTF-8 arguments.
inline constexpr std::uint32_t kMaxRequestBytes = 64 * 1024;
// Of each of pdftk's two outputs, only the start is sent: a message shows no more.
inline constexpr std::uint32_t kMaxTextBytes = 8 * 1024;
inline constexpr std::uint32_t kMaxReplyBytes = 2 * kMaxTextBytes + 1024;

struct RequestHeader
{
    std::uint32_t magic = kProtocolMagic;
    std::uint32_t argumentCount = 0;
};

enum class ReplyKind : std::uint32_t
{
    Ready = 1,    // the first message: pdftk's entry point is there, requests are welcome
    Unusable = 2, // the first message instead: no JVM, no pdftk or no entry point (the text says which); it ends
    Done = 3,     // a request was carried out
};

// A reply is a ReplyHeader followed by outputBytes of pdftk's standard output and errorBytes of its error output.
struct ReplyHeader
{
    std::uint32_t magic = kProtocolMagic;
    ReplyKind kind = ReplyKind::Done;
    std::int32_t exitCode = -1;
    // Open descriptors of the host before and after the call, and those the call opened on files and left open.
    std::uint32_t descriptorsBefore = 0;
    std::uint32_t descriptorsAfter = 0;
    std::uint32_t descriptorsLeftOpen = 0;
    std::uint64_t peakResidentKiB = 0; // the host's peak resident memory so far
    std::uint32_t outputBytes = 0;
    std::uint32_t errorBytes = 0;
};

} // namespace warmpdftk
