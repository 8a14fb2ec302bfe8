// pagewell-imagereader: reads the user's images for Pagewell, one request at a time, in a process of its own with
// limits it cannot lift. Started by the program with `--serve` and a local socket as descriptor 3.

#include "imagereader/ImageDecoding.h"
#include "imagereader/ReaderProtocol.h"
#include "imagereader/Sandbox.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

double cpuSeconds()
{
    rusage usage = {};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One request and the two descriptors that come with it; false at the end of the conversation.
bool receive(int socket, imagereader::Request* request, int* input, int* output)
{
    alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))] = {};
    iovec part{request, sizeof *request};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got = 0;
    do {
        got = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        return false;
    }
    *input = -1;
    *output = -1;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS) {
            const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            int fds[2] = {-1, -1};
            std::memcpy(fds, CMSG_DATA(c), std::min<std::size_t>(count, 2) * sizeof(int));
            *input = fds[0];
            *output = count >= 2 ? fds[1] : -1;
        }
    }
    if (std::size_t(got) != sizeof *request || (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0) {
        request->magic = 0; // answered as a bad request
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    applyResourceLimits();
    if (argc != 2 || std::strcmp(argv[1], "--serve") != 0) {
        std::fprintf(stderr, "pagewell-imagereader is started by Pagewell, not by hand.\n");
        return 2;
    }
    initialiseDecoding();
    const unsigned sandbox = enterSandbox(imagereader::socketDescriptor);

    imagereader::Request request;
    int input = -1;
    int output = -1;
    while (receive(imagereader::socketDescriptor, &request, &input, &output)) {
        imagereader::Reply reply;
        if (input < 0 || output < 0) {
            reply.status = imagereader::Status::BadRequest;
        } else {
            reply = decodeImage(input, output, request);
        }
        for (const int fd : {input, output}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
        reply.sandbox = sandbox;
        reply.cpuSeconds = cpuSeconds();
        if (::send(imagereader::socketDescriptor, &reply, sizeof reply, MSG_NOSIGNAL) != ssize_t(sizeof reply)) {
            break;
        }
        request = imagereader::Request();
    }
    // Straight out: nothing is left to clean up, and exit handlers (a leak check among them) may want system calls
    // that the filter refuses.
    ::_exit(0);
}
