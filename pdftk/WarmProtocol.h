#pragma once

// What the program and its pdftk host (pagewell-pdftk) say to each other, and the code both ends send and receive it
// with, in the frames of helperprocess/Framing.h. Plain C++: the host links nothing else of the program.
//
// The host starts one JVM with pdftk's classes and, once it is ready, calls pdftk's own entry point once per
// request. One request at a time over a local socket (descriptor 3, one frame each way): the argument list in;
// pdftk's exit code, what it printed and how the host is doing out. The host ends when the socket closes.

#include <cstdint>
#include <string>
#include <vector>

namespace warmpdftk {

// Changes whenever the layout of a request or a reply changes.
inline constexpr std::uint32_t kProtocolMagic = 0x50575032; // "PWP2"
inline constexpr int kSocketDescriptor = 3;

// A request's payload is its arguments, each zero-terminated UTF-8: room for a thousand input files with long
// names, within what a local socket takes in one message by default (208 KiB).
inline constexpr std::uint32_t kMaxRequestBytes = 128 * 1024;
// pdftk reads a file named by path with one system call per byte, but a file: URL whole, at once. The host hands
// pdftk a call's inputs as URLs while together they take at most kInputBytesInMemory of its JVM's heap (128 MiB),
// where pdftk keeps them to the call's end; each at most kLargestInputInMemory, as reading one whole takes up to three
// times its size for a moment. The join's batches are planned to fit.
inline constexpr std::uint64_t kInputBytesInMemory = 64u << 20;
inline constexpr std::uint64_t kLargestInputInMemory = 4u << 20;
// Of each of pdftk's two outputs, only the start is sent: a message shows no more.
inline constexpr std::uint32_t kMaxTextBytes = 8 * 1024;
inline constexpr std::uint32_t kMaxReplyBytes = 2 * kMaxTextBytes + 1024;

enum class ReplyKind : std::uint32_t
{
    Ready = 2,    // the first message: pdftk's entry point is there, requests are welcome
    Unusable = 3, // the first message instead: no JVM, no pdftk or no entry point (the text says which); it ends
    Done = 4,     // a request was carried out
};

// A reply's payload is a ReplyHeader followed by outputBytes of pdftk's standard output and errorBytes of its error
// output.
struct ReplyHeader
{
    std::int32_t exitCode = -1;
    // Open descriptors of the host before and after the call, and those the call opened on files and left open.
    std::uint32_t descriptorsBefore = 0;
    std::uint32_t descriptorsAfter = 0;
    std::uint32_t descriptorsLeftOpen = 0;
    std::uint64_t peakResidentKiB = 0; // the host's peak resident memory so far
    std::uint32_t outputBytes = 0;
    std::uint32_t errorBytes = 0;
};

struct Reply
{
    ReplyKind kind = ReplyKind::Done;
    ReplyHeader header;
    std::string output; // of each, at most kMaxTextBytes
    std::string errors;
};

enum class Received
{
    Message,    // one whole message of the right kind
    NothingYet, // a receive that does not wait found nothing
    Closed,     // the other end is gone
    Malformed,  // something arrived that is not such a message
};

// False when an argument holds a zero byte, the request is larger than kMaxRequestBytes or it could not be sent.
[[nodiscard]] bool sendRequest(int socket, const std::vector<std::string>& arguments);
// Waits for one request.
[[nodiscard]] Received receiveRequest(int socket, std::vector<std::string>* arguments);
// The texts are cut to kMaxTextBytes; the header's byte counts are those sent.
[[nodiscard]] bool sendReply(int socket, ReplyKind kind, const ReplyHeader& header, const std::string& output,
                             const std::string& errors);
// Takes one reply if one is there, without waiting.
[[nodiscard]] Received receiveReply(int socket, Reply* reply);

} // namespace warmpdftk
