// pagewell-imagereader: reads the user's images for Pagewell, one request at a time, in a process of its own with
// limits it cannot lift. Started by the program with `--serve` and a local socket as descriptor 3.

#include "imagereader/format/ReaderProtocol.h"
#include "imagereader/helper/ImageDecoding.h"
#include "imagereader/helper/Sandbox.h"

#include <cstdio>
#include <cstring>

#include <malloc.h>

#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kOwnMappingFromBytes = 32 << 20;
constexpr int kKeptFreeBytes = 64 << 20;

double cpuSeconds()
{
    rusage usage = {};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    applyResourceLimits();
    if (argc != 2 || std::strcmp(argv[1], "--serve") != 0) {
        std::fprintf(stderr, "pagewell-imagereader is started by Pagewell, not by hand.\n");
        return 2;
    }
    // A picture's memory is used again by the next one, where the C library would otherwise map fresh pages for
    // each (and have the kernel clear them) and give them back when the picture goes. Large pictures still get
    // mappings of their own, and what a picture leaves beyond the trim threshold goes back.
    ::mallopt(M_MMAP_THRESHOLD, kOwnMappingFromBytes);
    ::mallopt(M_TRIM_THRESHOLD, kKeptFreeBytes);
    initialiseDecoding();
    const unsigned sandbox = enterSandbox(imagereader::kSocketDescriptor);

    imagereader::Request request;
    int input = -1;
    int output = -1;
    for (;;) {
        const imagereader::Received received =
            imagereader::receiveRequest(imagereader::kSocketDescriptor, &request, &input, &output);
        if (received == imagereader::Received::Closed) {
            break;
        }
        imagereader::Reply reply;
        if (received != imagereader::Received::Message) {
            reply.status = imagereader::Status::BadRequest;
        } else {
            reply = decodeImage(input, output, request);
            ::close(input);
            ::close(output);
        }
        reply.number = request.number;
        reply.sandbox = sandbox;
        reply.cpuSeconds = cpuSeconds();
        if (!imagereader::sendReply(imagereader::kSocketDescriptor, reply)) {
            break;
        }
    }
    // Straight out: nothing is left to clean up, and exit handlers (a leak check among them) may want system calls
    // that the filter refuses.
    ::_exit(0);
}

#if defined(__SANITIZE_ADDRESS__)
// In the sanitizer build an allocation beyond the memory limit is an answer ("needs more memory"), not an abort.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}
#endif
