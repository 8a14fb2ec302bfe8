#include "pdftk/WarmProtocol.h"

#include "helperprocess/Framing.h"

#include <cstring>

namespace warmpdftk {

namespace {

constexpr std::uint32_t kRequestFrame = 1;

Received fromFraming(framing::Received received)
{
    switch (received) {
    case framing::Received::Frame:
        return Received::Message;
    case framing::Received::NothingYet:
        return Received::NothingYet;
    case framing::Received::Closed:
        return Received::Closed;
    case framing::Received::Malformed:
        break;
    }
    return Received::Malformed;
}

} // namespace

bool sendRequest(int socket, const std::vector<std::string>& arguments)
{
    std::string payload;
    for (const std::string& argument : arguments) {
        if (argument.find('\0') != std::string::npos) {
            return false;
        }
        payload += argument;
        payload += '\0';
    }
    if (payload.size() > kMaxRequestBytes) {
        return false;
    }
    return framing::sendFrame(socket, kProtocolMagic, kRequestFrame, payload.data(), payload.size());
}

Received receiveRequest(int socket, std::vector<std::string>* arguments)
{
    arguments->clear();
    framing::Frame frame;
    const framing::FrameRules rules{kProtocolMagic, 1u << kRequestFrame, kMaxRequestBytes, 0};
    const Received received = fromFraming(framing::receiveFrame(socket, rules, framing::Waiting::Wait, &frame));
    if (received != Received::Message) {
        return received;
    }
    // Every argument ends in its zero byte.
    if (!frame.payload.empty() && frame.payload.back() != '\0') {
        return Received::Malformed;
    }
    const char* at = frame.payload.data();
    const char* const end = at + frame.payload.size();
    while (at < end) {
        const std::size_t length = std::strlen(at);
        arguments->emplace_back(at, length);
        at += length + 1;
    }
    return Received::Message;
}

bool sendReply(int socket, ReplyKind kind, const ReplyHeader& header, const std::string& output,
               const std::string& errors)
{
    const std::string shownOutput = output.substr(0, kMaxTextBytes);
    const std::string shownErrors = errors.substr(0, kMaxTextBytes);
    ReplyHeader sent = header;
    sent.outputBytes = std::uint32_t(shownOutput.size());
    sent.errorBytes = std::uint32_t(shownErrors.size());
    std::string payload(reinterpret_cast<const char*>(&sent), sizeof sent);
    payload += shownOutput;
    payload += shownErrors;
    return framing::sendFrame(socket, kProtocolMagic, std::uint32_t(kind), payload.data(), payload.size());
}

Received receiveReply(int socket, Reply* reply)
{
    *reply = Reply();
    framing::Frame frame;
    const framing::FrameRules rules{kProtocolMagic,
                                    1u << std::uint32_t(ReplyKind::Ready) | 1u << std::uint32_t(ReplyKind::Unusable) |
                                        1u << std::uint32_t(ReplyKind::Done),
                                    kMaxReplyBytes, 0};
    const Received received = fromFraming(framing::receiveFrame(socket, rules, framing::Waiting::DontWait, &frame));
    if (received != Received::Message) {
        return received;
    }
    ReplyHeader& header = reply->header;
    if (frame.payload.size() < sizeof header) {
        return Received::Malformed;
    }
    std::memcpy(&header, frame.payload.data(), sizeof header);
    if (header.outputBytes > kMaxTextBytes || header.errorBytes > kMaxTextBytes ||
        frame.payload.size() != sizeof header + header.outputBytes + header.errorBytes) {
        return Received::Malformed;
    }
    reply->kind = ReplyKind(frame.type);
    reply->output.assign(frame.payload.data() + sizeof header, header.outputBytes);
    reply->errors.assign(frame.payload.data() + sizeof header + header.outputBytes, header.errorBytes);
    return Received::Message;
}

} // namespace warmpdftk
