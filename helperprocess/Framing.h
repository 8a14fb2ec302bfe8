#pragma once

// How the program and its helper programs frame what they say to each other over their local socket: the one code
// both ends of every helper's protocol send and receive with. Plain C++: the helpers link neither Qt nor anything
// else of the program.
//
// The socket keeps message boundaries (SOCK_SEQPACKET), and one message is one frame: a FrameHeader, then exactly
// `length` bytes of payload; open descriptors may travel with it. What a protocol's frames hold is the protocol's.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace framing {

struct FrameHeader
{
    std::uint32_t magic = 0;  // the protocol's: it changes whenever the protocol's layout does
    std::uint32_t type = 0;   // what the frame is, in the protocol's words (never 0)
    std::uint32_t length = 0; // of the payload that follows
};

// What a receiver takes: anything else is malformed.
struct FrameRules
{
    std::uint32_t magic = 0;
    std::uint32_t types = 0;     // the types it takes, one bit each: 1u << type
    std::uint32_t maxLength = 0; // of a payload
    std::size_t descriptors = 0; // exactly this many come with each frame
};

struct Frame
{
    std::uint32_t type = 0;
    std::vector<char> payload;
    std::vector<int> descriptors; // close-on-exec; the receiver's to close
};

enum class Received
{
    Frame,      // one whole frame the rules take
    NothingYet, // a receive that does not wait found nothing
    Closed,     // the other end is gone
    Malformed,  // something arrived that is no such frame (any descriptors it carried are closed)
};

enum class Waiting
{
    Wait,
    DontWait,
};

// Sends one frame with these descriptors (the other end gets its own copies); false when it could not be sent whole.
[[nodiscard]] bool sendFrame(int socket, std::uint32_t magic, std::uint32_t type, const void* payload,
                             std::size_t length, const int* descriptors = nullptr, std::size_t descriptorCount = 0);

// Takes one frame. Too short for its header, another magic, a type the rules do not take, a length beyond their
// bound or other than what came, or another number of descriptors: Malformed. What could be read of a malformed
// frame stays (its header in *header, the start of its payload in frame->payload), for an answer that names it.
[[nodiscard]] Received receiveFrame(int socket, const FrameRules& rules, Waiting waiting, Frame* frame,
                                    FrameHeader* header = nullptr);

} // namespace framing
