#include "imagereader/format/ReaderProtocol.h"

#include "helperprocess/Framing.h"

#include <algorithm>
#include <cstring>

#include <unistd.h>

namespace imagereader {

namespace {

// The frames of this protocol.
enum FrameType : std::uint32_t
{
    RequestFrame = 1,
    ReplyFrame = 2,
};

template <std::size_t N> void terminate(char (&text)[N])
{
    text[N - 1] = '\0';
}

// The payload into `message` as far as it goes; true when it was exactly one message.
template <typename Message> bool take(const framing::Frame& frame, Message* message)
{
    std::memcpy(static_cast<void*>(message), frame.payload.data(), std::min(frame.payload.size(), sizeof *message));
    return frame.payload.size() == sizeof *message;
}

} // namespace

bool sendRequest(int socket, const Request& request, int inputFd, int outputFd)
{
    const int fds[2] = {inputFd, outputFd};
    return framing::sendFrame(socket, kProtocolMagic, RequestFrame, &request, sizeof request, fds, 2);
}

Received receiveRequest(int socket, Request* request, int* inputFd, int* outputFd)
{
    *request = Request();
    *inputFd = -1;
    *outputFd = -1;
    framing::Frame frame;
    const framing::FrameRules rules{kProtocolMagic, 1u << RequestFrame, sizeof(Request), 2};
    const framing::Received received = framing::receiveFrame(socket, rules, framing::Waiting::Wait, &frame);
    if (received == framing::Received::Closed || received == framing::Received::NothingYet) {
        return received == framing::Received::Closed ? Received::Closed : Received::NothingYet;
    }
    const bool whole = take(frame, request);
    terminate(request->fileName);
    if (received != framing::Received::Frame || !whole || request->magic != kProtocolMagic) {
        for (const int fd : frame.descriptors) {
            ::close(fd);
        }
        return Received::Malformed;
    }
    *inputFd = frame.descriptors[0];
    *outputFd = frame.descriptors[1];
    return Received::Message;
}

bool sendReply(int socket, const Reply& reply)
{
    return framing::sendFrame(socket, kProtocolMagic, ReplyFrame, &reply, sizeof reply);
}

Received receiveReply(int socket, Reply* reply)
{
    *reply = Reply();
    framing::Frame frame;
    // A reply never carries a descriptor: one that does is malformed, and the descriptors are closed.
    const framing::FrameRules rules{kProtocolMagic, 1u << ReplyFrame, sizeof(Reply), 0};
    const framing::Received received = framing::receiveFrame(socket, rules, framing::Waiting::DontWait, &frame);
    if (received == framing::Received::Closed || received == framing::Received::NothingYet) {
        return received == framing::Received::Closed ? Received::Closed : Received::NothingYet;
    }
    const bool whole = take(frame, reply);
    terminate(reply->format);
    terminate(reply->detail);
    if (received != framing::Received::Frame || !whole || reply->magic != kProtocolMagic ||
        std::uint32_t(reply->status) > std::uint32_t(Status::BadRequest)) {
        return Received::Malformed;
    }
    return Received::Message;
}

} // namespace imagereader
