// pagewell-scripted-imagereader: stands in for the image reader and misbehaves as the environment variable
// PAGEWELL_SCRIPTED_READER says, for every request it gets, so that tests see how the program copes with a reader
// that has gone wrong or been taken over. It speaks the real protocol on descriptor 3, as the real reader does.
//
//   output:<file>  writes the bytes of <file> as its picture and announces 64 x 48 pixels
//   number         answers with the number of another request
//   twice          answers every request twice
//   twice:<n>      answers request <n> twice, the others once
//   early          answers each request, then the next one before it comes
//   exits          answers each request, then ends (with 0, as the reader does when its connection closes)
//   huge           announces 2147483647 x 2147483647 pixels
//   mismatch       writes a picture of 8 x 6 pixels and announces 9 x 6 (turned: 6 x 8 and 7 x 8)
//   garbage        answers with a few bytes that are no reply
//   status         answers with a status that the protocol does not have
//   killed         dies of SIGKILL, as if killed from outside
//   hangup         closes its end of the socket and lives on
//   refuses:<text> says the file is not an image, in the words <text>

#include "imagereader/format/PageBitmap.h"
#include "imagereader/format/ReaderProtocol.h"

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const std::vector<unsigned char>& bytes)
{
    return ::pwrite(fd, bytes.data(), bytes.size(), 0) == ssize_t(bytes.size());
}

std::vector<unsigned char> fileBytes(const char* path)
{
    std::vector<unsigned char> bytes;
    if (FILE* file = std::fopen(path, "rb")) {
        unsigned char block[4096];
        std::size_t got = 0;
        while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
            bytes.insert(bytes.end(), block, block + got);
        }
        std::fclose(file);
    }
    return bytes;
}

// A well-formed grey picture of the given size.
std::vector<unsigned char> picture(int width, int height)
{
    const pagebitmap::Layout layout{width, height, true};
    std::vector<unsigned char> bytes = pagebitmap::header(layout);
    bytes.resize(std::size_t(layout.fileSize()), 0x80);
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    const char* act = std::getenv("PAGEWELL_SCRIPTED_READER");
    if (argc != 2 || std::strcmp(argv[1], "--serve") != 0 || act == nullptr) {
        std::fprintf(stderr, "pagewell-scripted-imagereader: started without --serve or PAGEWELL_SCRIPTED_READER\n");
        return 2;
    }
    const std::string script(act);
    const int socket = imagereader::kSocketDescriptor;
    imagereader::Request request;
    int input = -1;
    int output = -1;
    while (imagereader::receiveRequest(socket, &request, &input, &output) == imagereader::Received::Message) {
        imagereader::Reply reply;
        reply.number = request.number;
        // Its picture is 8 x 6 pixels, on its side when the request turns it a quarter.
        const bool sideways = request.quarterTurns % 2 == 1;
        reply.width = sideways ? 6 : 8;
        reply.height = sideways ? 8 : 6;
        std::snprintf(reply.format, sizeof reply.format, "PNG");
        bool written = true;
        if (script.rfind("output:", 0) == 0) {
            written = writeAll(output, fileBytes(script.c_str() + 7));
            reply.width = 64;
            reply.height = 48;
        } else if (script == "huge") {
            reply.width = INT_MAX;
            reply.height = INT_MAX;
        } else if (script == "killed") {
            ::kill(::getpid(), SIGKILL);
        } else if (script.rfind("refuses:", 0) == 0) {
            reply.status = imagereader::Status::NotAnImage;
            std::snprintf(reply.detail, sizeof reply.detail, "%s", script.c_str() + 8);
        } else if (script == "hangup") {
            ::close(socket);
            ::pause();
        } else {
            written = writeAll(output, picture(reply.width, reply.height));
        }
        ::close(input);
        ::close(output);
        if (!written) {
            return 3;
        }
        if (script == "status") {
            reply.status = imagereader::Status(99);
        }
        if (script == "number") {
            reply.number = request.number + 1;
        } else if (script == "mismatch") {
            ++reply.width;
        }
        if (script == "garbage") {
            const char junk[] = "not a reply at all";
            if (::send(socket, junk, sizeof junk, MSG_NOSIGNAL) < 0) {
                return 3;
            }
            continue;
        }
        const bool twice = script == "twice" || script == "twice:" + std::to_string(request.number);
        for (int i = 0; i < (twice ? 2 : 1); ++i) {
            if (!imagereader::sendReply(socket, reply)) {
                return 3;
            }
        }
        if (script == "early") {
            ++reply.number;
            if (!imagereader::sendReply(socket, reply)) {
                return 3;
            }
        } else if (script == "exits") {
            return 0;
        }
    }
    return 0;
}
