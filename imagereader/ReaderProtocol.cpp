#include "imagereader/ReaderProtocol.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <unistd.h>

namespace imagereader {

namespace {

// Room for more descriptors than a message may carry, so that extra ones are seen (and closed), not lost.
constexpr std::size_t kDescriptorRoom = 8;

bool sendMessage(int socket, const void* data, std::size_t size, const int* fds, std::size_t fdCount)
{
    alignas(cmsghdr) char control[CMSG_SPACE(kDescriptorRoom * sizeof(int))] = {};
    iovec part{const_cast<void*>(data), size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    if (fdCount > 0) {
        message.msg_control = control;
        message.msg_controllen = CMSG_SPACE(fdCount * sizeof(int));
        cmsghdr* c = CMSG_FIRSTHDR(&message);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(fdCount * sizeof(int));
        std::memcpy(CMSG_DATA(c), fds, fdCount * sizeof(int));
    }
    ssize_t sent = 0;
    do {
        sent = ::sendmsg(socket, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == ssize_t(size);
}

// One message into `data` (exactly `size` bytes, or it is malformed) and the descriptors that came with it.
Received receiveMessage(int socket, void* data, std::size_t size, int flags, int* fds, std::size_t* fdCount)
{
    alignas(cmsghdr) char control[CMSG_SPACE(kDescriptorRoom * sizeof(int))] = {};
    iovec part{data, size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got = 0;
    do {
        got = ::recvmsg(socket, &message, flags | MSG_CMSG_CLOEXEC);
    } while (got < 0 && errno == EINTR);
    *fdCount = 0;
    if (got < 0) {
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
            if (*fdCount < kDescriptorRoom) {
                fds[(*fdCount)++] = fd;
            } else if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    if (got == 0 && *fdCount == 0) {
        return Received::Closed;
    }
    if (std::size_t(got) != size || (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0) {
        return Received::Malformed;
    }
    return Received::Message;
}

void closeAll(const int* fds, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (fds[i] >= 0) {
            ::close(fds[i]);
        }
    }
}

template <std::size_t N> void terminate(char (&text)[N])
{
    text[N - 1] = '\0';
}

} // namespace

bool sendRequest(int socket, const Request& request, int inputFd, int outputFd)
{
    const int fds[2] = {inputFd, outputFd};
    return sendMessage(socket, &request, sizeof request, fds, 2);
}

Received receiveRequest(int socket, Request* request, int* inputFd, int* outputFd)
{
    *request = Request();
    int fds[kDescriptorRoom] = {};
    std::size_t count = 0;
    Received received = receiveMessage(socket, request, sizeof *request, 0, fds, &count);
    *inputFd = -1;
    *outputFd = -1;
    if (received == Received::Message && (count != 2 || request->magic != kProtocolMagic)) {
        received = Received::Malformed;
    }
    if (received != Received::Message) {
        closeAll(fds, count);
        return received;
    }
    *inputFd = fds[0];
    *outputFd = fds[1];
    terminate(request->fileName);
    return received;
}

bool sendReply(int socket, const Reply& reply)
{
    return sendMessage(socket, &reply, sizeof reply, nullptr, 0);
}

Received receiveReply(int socket, Reply* reply)
{
    *reply = Reply();
    int fds[kDescriptorRoom] = {};
    std::size_t count = 0;
    Received received = receiveMessage(socket, reply, sizeof *reply, MSG_DONTWAIT, fds, &count);
    closeAll(fds, count);
    if (received == Received::Message && (count != 0 || reply->magic != kProtocolMagic ||
                                          std::uint32_t(reply->status) > std::uint32_t(Status::BadRequest))) {
        received = Received::Malformed;
    }
    terminate(reply->format);
    terminate(reply->detail);
    return received;
}

} // namespace imagereader
