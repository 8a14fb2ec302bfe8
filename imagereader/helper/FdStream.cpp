#include "imagereader/helper/FdStream.h"
#include "imagereader/format/PositionalRead.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kReadBlock = 64 * 1024;
constexpr std::size_t kWriteBlock = 1024 * 1024;

} // namespace

FdStream::FdStream(int fd) : m_fd(fd)
{
    m_io.read_proc = &FdStream::readProc;
    m_io.write_proc = &FdStream::writeProc;
    m_io.seek_proc = &FdStream::seekProc;
    m_io.tell_proc = &FdStream::tellProc;
}

FdStream::~FdStream() = default;

void FdStream::rewind()
{
    m_position = 0;
}

std::int64_t FdStream::size() const
{
    struct stat info = {};
    return ::fstat(m_fd, &info) == 0 ? std::int64_t(info.st_size) : -1;
}

std::size_t FdStream::readAt(std::int64_t offset, void* buffer, std::size_t size) const
{
    return readFullyAt(m_fd, offset, buffer, size);
}

std::size_t FdStream::read(unsigned char* out, std::size_t wanted)
{
    std::size_t done = 0;
    while (done < wanted) {
        const std::int64_t inEnd = m_inStart + std::int64_t(m_in.size());
        if (m_position >= m_inStart && m_position < inEnd) {
            const auto from = std::size_t(m_position - m_inStart);
            const std::size_t n = std::min(wanted - done, m_in.size() - from);
            std::memcpy(out + done, m_in.data() + from, n);
            done += n;
            m_position += std::int64_t(n);
            continue;
        }
        if (wanted - done >= kReadBlock) { // large reads go straight into the caller's buffer
            const std::size_t n = readAt(m_position, out + done, wanted - done);
            done += n;
            m_position += std::int64_t(n);
            break;
        }
        m_in.resize(kReadBlock);
        m_in.resize(readAt(m_position, m_in.data(), kReadBlock));
        m_inStart = m_position;
        if (m_in.empty()) {
            break;
        }
    }
    return done;
}

bool FdStream::writeAt(std::int64_t offset, const unsigned char* data, std::size_t length)
{
    std::size_t done = 0;
    while (done < length && m_error == 0) {
        const ssize_t put = ::pwrite(m_fd, data + done, length - done, off_t(offset + std::int64_t(done)));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            m_error = put < 0 ? errno : ENOSPC;
            break;
        }
        done += std::size_t(put);
    }
    return m_error == 0;
}

bool FdStream::write(const unsigned char* data, std::size_t length)
{
    if (m_error != 0) {
        return false;
    }
    if (!m_out.empty() && m_outStart + std::int64_t(m_out.size()) != m_position && !flush()) {
        return false;
    }
    if (length >= kWriteBlock) {
        // A whole picture in one piece goes straight to the file, not through a copy.
        if (!flush() || !writeAt(m_position, data, length)) {
            return false;
        }
        m_position += std::int64_t(length);
        return true;
    }
    if (m_out.empty()) {
        m_outStart = m_position;
        m_out.reserve(kWriteBlock);
    }
    m_out.insert(m_out.end(), data, data + length);
    m_position += std::int64_t(length);
    return m_out.size() < kWriteBlock || flush();
}

bool FdStream::flush()
{
    const bool written = writeAt(m_outStart, m_out.data(), m_out.size());
    m_outStart += std::int64_t(m_out.size());
    m_out.clear();
    return written;
}

unsigned DLL_CALLCONV FdStream::readProc(void* buffer, unsigned size, unsigned count, fi_handle handle)
{
    auto* self = static_cast<FdStream*>(handle);
    if (size == 0 || count == 0) {
        return 0;
    }
    const std::size_t wanted = std::size_t(size) * count;
    const std::size_t got = self->read(static_cast<unsigned char*>(buffer), wanted);
    if (got < wanted) {
        ++self->m_shortReads;
        if (got == 0) {
            ++self->m_readsPastEnd;
        }
    }
    return unsigned(got / size);
}

unsigned DLL_CALLCONV FdStream::writeProc(void* buffer, unsigned size, unsigned count, fi_handle handle)
{
    auto* self = static_cast<FdStream*>(handle);
    return self->write(static_cast<const unsigned char*>(buffer), std::size_t(size) * count) ? count : 0;
}

int DLL_CALLCONV FdStream::seekProc(fi_handle handle, long offset, int origin)
{
    auto* self = static_cast<FdStream*>(handle);
    std::int64_t base = 0;
    if (origin == SEEK_CUR) {
        base = self->m_position;
    } else if (origin == SEEK_END) {
        base = self->size();
        if (!self->m_out.empty()) {
            base = std::max(base, self->m_outStart + std::int64_t(self->m_out.size()));
        }
    } else if (origin != SEEK_SET) {
        return -1;
    }
    const std::int64_t target = base + offset;
    if (target < 0) {
        return -1;
    }
    self->m_position = target;
    return 0;
}

long DLL_CALLCONV FdStream::tellProc(fi_handle handle)
{
    return long(static_cast<FdStream*>(handle)->m_position);
}
