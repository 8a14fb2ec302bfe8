#pragma once

#include <cstddef>
#include <cstdint>

// Up to `size` bytes of `fd` from `offset`, without moving its file position; fewer only where the file ends (or
// cannot be read). Plain C++, for the reader and for the program that reads what the reader wrote.
[[nodiscard]] std::size_t readFullyAt(int fd, std::int64_t offset, void* buffer, std::size_t size);
