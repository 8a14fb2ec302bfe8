#include "imagereader/format/PositionalRead.h"

#include <cerrno>

#include <sys/types.h>
#include <unistd.h>

std::size_t readFullyAt(int fd, std::int64_t offset, void* buffer, std::size_t size)
{
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, out + done, size - done, off_t(offset + std::int64_t(done)));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += std::size_t(got);
    }
    return done;
}
