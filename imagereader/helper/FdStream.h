#pragma once

#include <FreeImage.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// A file descriptor as FreeImage's I/O handle, buffered both ways: the plugins read and write in small pieces,
// and a system call for each would cost more than the decoding. A failed write keeps its errno.
class FdStream
{
public:
    explicit FdStream(int fd);
    ~FdStream();
    FdStream(const FdStream&) = delete;
    FdStream& operator=(const FdStream&) = delete;

    [[nodiscard]] FreeImageIO* io() { return &m_io; }
    [[nodiscard]] fi_handle handle() { return this; }

    // Goes back to the start of the file, as a fresh reader expects.
    void rewind();
    // Bytes read from position `offset` into `buffer`, without moving the stream: up to `size`.
    [[nodiscard]] std::size_t readAt(std::int64_t offset, void* buffer, std::size_t size) const;
    // Writes what is buffered; false (and error() says why) when the file would not take it all.
    [[nodiscard]] bool flush();
    [[nodiscard]] int error() const { return m_error; }
    [[nodiscard]] std::int64_t size() const;

    // Reads that got fewer bytes than they asked for because the file ended, and those that got none at all: a
    // reader that meets either has run out of file, unless it merely reads ahead. Counted from the last
    // resetCounts().
    [[nodiscard]] int shortReads() const { return m_shortReads; }
    [[nodiscard]] int readsPastEnd() const { return m_readsPastEnd; }
    void resetCounts()
    {
        m_shortReads = 0;
        m_readsPastEnd = 0;
    }

private:
    static unsigned DLL_CALLCONV readProc(void* buffer, unsigned size, unsigned count, fi_handle handle);
    static unsigned DLL_CALLCONV writeProc(void* buffer, unsigned size, unsigned count, fi_handle handle);
    static int DLL_CALLCONV seekProc(fi_handle handle, long offset, int origin);
    static long DLL_CALLCONV tellProc(fi_handle handle);

    std::size_t read(unsigned char* out, std::size_t wanted);
    bool write(const unsigned char* data, std::size_t length);
    bool writeAt(std::int64_t offset, const unsigned char* data, std::size_t length);

    int m_fd;
    FreeImageIO m_io{};
    std::int64_t m_position = 0;     // the logical position that FreeImage sees
    std::vector<unsigned char> m_in; // bytes of the file from m_inStart on
    std::int64_t m_inStart = 0;
    std::vector<unsigned char> m_out; // bytes to be written at m_outStart
    std::int64_t m_outStart = 0;
    int m_error = 0;
    int m_shortReads = 0;
    int m_readsPastEnd = 0;
};
