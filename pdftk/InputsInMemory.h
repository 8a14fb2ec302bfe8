#pragma once

#include <cstdint>
#include <string>
#include <vector>

// arguments with the inputs of the call (its leading arguments that are absolute paths of regular files) as file:
// URLs, which pdftk reads whole (see warmpdftk::kInputBytesInMemory), in order, while each takes at most largest
// bytes and together at most budget; the other inputs, and every later argument, stay as they are. pdftk tries a
// URL as a relative file name first: the host works in the root folder, where no one else can make "file:".
[[nodiscard]] std::vector<std::string> withInputsInMemory(const std::vector<std::string>& arguments,
                                                          std::uint64_t budget, std::uint64_t largest);
