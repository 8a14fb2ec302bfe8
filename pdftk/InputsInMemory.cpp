#include "pdftk/InputsInMemory.h"

#include <sys/stat.h>

namespace {

// Every byte but the unreserved ones and the slash percent-encoded: the JVM decodes the path as UTF-8, and a '%',
// '#' or '?' of a name stays part of it.
std::string fileUrlOf(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = "file:";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '/' || byte == '-' || byte == '.' || byte == '_' ||
                           byte == '~';
        if (plain) {
            url += c;
        } else {
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 0xf];
        }
    }
    return url;
}

} // namespace

std::vector<std::string> withInputsInMemory(const std::vector<std::string>& arguments, std::uint64_t budget,
                                            std::uint64_t largest)
{
    std::vector<std::string> out = arguments;
    std::uint64_t taken = 0;
    for (std::string& argument : out) {
        struct stat facts = {};
        if (argument.empty() || argument.front() != '/' || ::stat(argument.c_str(), &facts) != 0 ||
            !S_ISREG(facts.st_mode)) {
            break;
        }
        const auto size = static_cast<std::uint64_t>(facts.st_size);
        if (size > largest || size > budget - taken) {
            continue;
        }
        taken += size;
        argument = fileUrlOf(argument);
    }
    return out;
}
