// libFuzzer target for the helper's decoding entry: the bytes as a file named by their first byte's choice of
// extension, read as a page (asked to keep a JPEG's own data or not) and as a preview. Built with -DPAGEWELL_FUZZ=ON
// and clang; see the README.

#include "imagereader/helper/ImageDecoding.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

namespace {

int memoryFile(const char* name)
{
    return ::memfd_create(name, MFD_CLOEXEC);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    initialiseDecoding();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const char* const names[] = {"a.jpg", "a.png", "a.tif",  "a.gif",  "a.bmp",  "a.psd", "a.ico",
                                        "a.pcx", "a.iff", "a.heic", "a.avif", "a.webp", "a.jxl", "a"};
    if (size < 1) {
        return 0;
    }
    const int input = memoryFile("input");
    const int output = memoryFile("output");
    if (input < 0 || output < 0 || ::write(input, data + 1, size - 1) != ssize_t(size - 1)) {
        ::close(input);
        ::close(output);
        return 0;
    }
    imagereader::Request request;
    std::strcpy(request.fileName, names[data[0] % (sizeof names / sizeof names[0])]);
    request.mode = (data[0] & 0x80) != 0 ? imagereader::Mode::Preview : imagereader::Mode::Page;
    request.keepOriginal = (data[0] & 0x40) != 0 ? 1 : 0;
    request.maxWidth = 64;
    request.maxHeight = 48;
    (void)decodeImage(input, output, request);
    ::close(input);
    ::close(output);
    return 0;
}
