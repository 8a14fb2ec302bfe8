#include "helperprocess/Framing.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <unistd.h>

namespace framing {

namespace {

// Room for more descriptors than a frame may carry, so that extra ones are seen (and closed), not lost.
constexpr std::size_t kDescriptorRoom = 8;

void closeAll(std::vector<int>* descriptors)
{
    for (const int fd : *descriptors) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    descriptors->clear();
}

} // namespace

bool sendFrame(int socket, std::uint32_t magic, std::uint32_t type, const void* payload, std::size_t length,
               const int* descriptors, std::size_t descriptorCount)
{
    if (descriptorCount > kDescriptorRoom || length > UINT32_MAX) {
        return false;
    }
    FrameHeader header;
    header.magic = magic;
    header.type = type;
    header.length = std::uint32_t(length);
    iovec parts[2] = {{&header, sizeof header}, {const_cast<void*>(payload), length}};
    alignas(cmsghdr) char control[CMSG_SPACE(kDescriptorRoom * sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = length > 0 ? 2 : 1;
    if (descriptorCount > 0) {
        message.msg_control = control;
        message.msg_controllen = CMSG_SPACE(descriptorCount * sizeof(int));
        cmsghdr* c = CMSG_FIRSTHDR(&message);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(descriptorCount * sizeof(int));
        std::memcpy(CMSG_DATA(c), descriptors, descriptorCount * sizeof(int));
    }
    ssize_t sent = 0;
    do {
        sent = ::sendmsg(socket, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == ssize_t(sizeof header + length);
}

Received receiveFrame(int socket, const FrameRules& rules, Waiting waiting, Frame* frame, FrameHeader* read)
{
    frame->type = 0;
    frame->payload.assign(rules.maxLength, '\0');
    closeAll(&frame->descriptors);
    FrameHeader header;
    // One byte more than the largest frame: a longer one shows as truncated.
    char beyond = 0;
    iovec parts[3] = {{&header, sizeof header}, {frame->payload.data(), frame->payload.size()}, {&beyond, 1}};
    alignas(cmsghdr) char control[CMSG_SPACE(kDescriptorRoom * sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = 3;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const int flags = MSG_CMSG_CLOEXEC | (waiting == Waiting::DontWait ? MSG_DONTWAIT : 0);
    ssize_t got = 0;
    do {
        got = ::recvmsg(socket, &message, flags);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        frame->payload.clear();
        return errno == EAGAIN || errno == EWOULDBLOCK ? Received::NothingYet : Received::Closed;
    }
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) {
            continue;
        }
        const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < count; ++i) {
            int fd = -1;
            std::memcpy(&fd, CMSG_DATA(c) + i * sizeof(int), sizeof fd);
            frame->descriptors.push_back(fd);
        }
    }
    if (read != nullptr) {
        *read = std::size_t(got) >= sizeof header ? header : FrameHeader();
    }
    if (got == 0 && frame->descriptors.empty()) {
        frame->payload.clear();
        return Received::Closed;
    }
    const bool whole = std::size_t(got) >= sizeof header && (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) == 0;
    if (!whole || header.magic != rules.magic || header.type >= 32 || (rules.types & (1u << header.type)) == 0 ||
        header.length > rules.maxLength || std::size_t(got) != sizeof header + header.length ||
        frame->descriptors.size() != rules.descriptors) {
        closeAll(&frame->descriptors);
        // What came of the payload stays, for an answer that names what it was.
        frame->payload.resize(
            std::size_t(got) > sizeof header ? std::min(std::size_t(got) - sizeof header, frame->payload.size()) : 0);
        return Received::Malformed;
    }
    frame->type = header.type;
    frame->payload.resize(header.length);
    return Received::Frame;
}

} // namespace framing
