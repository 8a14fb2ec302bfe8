// pagewell-pdftk: hosts pdftk for Pagewell in one JVM for a whole run, so that each step costs pdftk's work and no
// JVM start. Started by the program as
//   pagewell-pdftk --serve LIBJVM CLASSPATH MAINCLASS [--warm-up]
// with a local socket as descriptor 3 and an empty standard input (pdftk reads it when it asks a question). The JVM
// never runs in the window's process: its signal handlers, a crash or running out of memory stay in here.

#include "pdftk/HostedJvm.h"
#include "pdftk/InputsInMemory.h"
#include "pdftk/WarmProtocol.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <dirent.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

using warmpdftk::ReplyHeader;
using warmpdftk::ReplyKind;

struct Arguments
{
    std::string libjvm;
    std::string classPath;
    std::string mainClass;
    bool warmUp = false;
};

[[noreturn]] void unusable(const std::string& why)
{
    (void)warmpdftk::sendReply(warmpdftk::kSocketDescriptor, ReplyKind::Unusable, ReplyHeader(), {}, why);
    ::_exit(3);
}

// The open descriptors and the files they are open on.
std::vector<std::pair<int, std::string>> openDescriptors()
{
    std::vector<std::pair<int, std::string>> open;
    DIR* folder = ::opendir("/proc/self/fd");
    if (folder == nullptr) {
        return open;
    }
    const int own = ::dirfd(folder);
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        const int fd = std::atoi(entry->d_name);
        if (fd == own) {
            continue;
        }
        char target[4096];
        const ssize_t length = ::readlinkat(own, entry->d_name, target, sizeof target - 1);
        open.emplace_back(fd, length > 0 ? std::string(target, std::size_t(length)) : std::string());
    }
    ::closedir(folder);
    return open;
}

std::string realPathOf(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) {
        return {};
    }
    std::string result(real);
    std::free(real);
    return result;
}

// Descriptors opened since before and still open on a file that the request named: pdftk leaves its info file open
// after update_info_utf8, and an output it failed to write.
std::uint32_t leftOpen(const std::vector<std::pair<int, std::string>>& before,
                       const std::vector<std::pair<int, std::string>>& after, const std::vector<std::string>& arguments)
{
    std::set<std::string> named;
    for (const std::string& argument : arguments) {
        const std::string real = realPathOf(argument);
        if (!real.empty()) {
            named.insert(real);
        }
    }
    std::uint32_t count = 0;
    for (const auto& descriptor : after) {
        const bool isNew = std::find(before.begin(), before.end(), descriptor) == before.end();
        if (isNew && named.count(descriptor.second) != 0) {
            ++count;
        }
    }
    return count;
}

std::uint64_t peakResidentKiB()
{
    FILE* status = std::fopen("/proc/self/status", "re");
    if (status == nullptr) {
        return 0;
    }
    char line[256];
    std::uint64_t kib = 0;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmHWM: %lu kB", &kib) == 1) {
            break;
        }
    }
    std::fclose(status);
    return kib;
}

// Standard output and error output are files in memory, emptied before each call and read after it.
void captureOutputs()
{
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        const int memory = ::memfd_create(fd == STDOUT_FILENO ? "pdftk-output" : "pdftk-errors", MFD_CLOEXEC);
        if (memory >= 0) {
            ::dup2(memory, fd);
            ::close(memory);
        }
    }
}

void emptyOutputs()
{
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        [[maybe_unused]] const int emptied = ::ftruncate(fd, 0);
        ::lseek(fd, 0, SEEK_SET);
    }
}

std::string capturedOutput(int fd)
{
    std::string text(warmpdftk::kMaxTextBytes, '\0');
    ::lseek(fd, 0, SEEK_SET);
    ssize_t got = 0;
    std::size_t have = 0;
    while (have < text.size() && (got = ::read(fd, text.data() + have, text.size() - have)) > 0) {
        have += std::size_t(got);
    }
    text.resize(have);
    return text;
}

// One call of pdftk's entry point, with what it printed and the host's state after it.
ReplyHeader call(HostedJvm& jvm, const std::vector<std::string>& arguments)
{
    ReplyHeader reply;
    const auto before = openDescriptors();
    emptyOutputs();
    reply.exitCode =
        jvm.call(withInputsInMemory(arguments, warmpdftk::kInputBytesInMemory, warmpdftk::kLargestInputInMemory));
    const auto after = openDescriptors();
    reply.descriptorsBefore = std::uint32_t(before.size());
    reply.descriptorsAfter = std::uint32_t(after.size());
    reply.descriptorsLeftOpen = leftOpen(before, after, arguments);
    reply.peakResidentKiB = peakResidentKiB();
    return reply;
}

// A file in memory holding `content`, named as /proc/self/fd/N; -1 when none can be made.
int fileInMemory(const std::string& content)
{
    const int fd = ::memfd_create("pdftk-warm-up", MFD_CLOEXEC);
    if (fd >= 0 && ::write(fd, content.data(), content.size()) != ssize_t(content.size())) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A one-page document with a picture, in the shape the program's pages have.
std::string smallestPage()
{
    const std::string picture("\xff\x80\x00", 3);
    const std::string drawing = "q 10 0 0 10 0 0 cm /I Do Q";
    const std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] /Resources << /XObject << /I 5 0 R >> >> "
        "/Contents 4 0 R >>",
        "<< /Length " + std::to_string(drawing.size()) + " >>\nstream\n" + drawing + "\nendstream",
        "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceRGB /BitsPerComponent 8 /Length " +
            std::to_string(picture.size()) + " >>\nstream\n" + picture + "\nendstream",
    };
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t table = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(table) + "\n%%EOF\n";
    return pdf;
}

// Has pdftk do the run's two kinds of call once on a page in memory, its output going nowhere: the classes they need
// are then loaded, and compiled in part, before the first call of the run comes, while the run's pages are made.
// Nothing else keeps what is learnt; a failure here changes nothing.
void warmUp(HostedJvm& jvm)
{
    const int page = fileInMemory(smallestPage());
    const int info = fileInMemory("InfoBegin\nInfoKey: Title\nInfoValue: Pagewell\n");
    if (page >= 0 && info >= 0) {
        const std::string pagePath = "/proc/self/fd/" + std::to_string(page);
        const std::string infoPath = "/proc/self/fd/" + std::to_string(info);
        (void)call(jvm, {pagePath, pagePath, "cat", "output", "/dev/null"});
        (void)call(jvm, {pagePath, "update_info_utf8", infoPath, "output", "/dev/null"});
    }
    for (const int fd : {page, info}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

// The JVM runs on a thread of ours with room for deep recursion: a deeply nested PDF then ends in pdftk's
// StackOverflowError, not in a crash.
constexpr std::size_t kJvmThreadStack = 8u << 20;

void* serve(void* data)
{
    const Arguments& arguments = *static_cast<const Arguments*>(data);
    HostedJvm jvm;
    std::string why;
    if (!jvm.start(arguments.libjvm, arguments.classPath, arguments.mainClass, &why)) {
        unusable(why);
    }
    if (arguments.warmUp) {
        warmUp(jvm);
    }
    const int socket = warmpdftk::kSocketDescriptor;
    ReplyHeader ready;
    ready.peakResidentKiB = peakResidentKiB();
    if (!warmpdftk::sendReply(socket, ReplyKind::Ready, ready, {}, {})) {
        return nullptr;
    }
    std::vector<std::string> request;
    while (warmpdftk::receiveRequest(socket, &request) == warmpdftk::Received::Message) {
        const ReplyHeader reply = call(jvm, request);
        if (!warmpdftk::sendReply(socket, ReplyKind::Done, reply, capturedOutput(STDOUT_FILENO),
                                  capturedOutput(STDERR_FILENO))) {
            break;
        }
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    const bool warm = argc == 6 && std::strcmp(argv[5], "--warm-up") == 0;
    if ((argc != 5 && !warm) || std::strcmp(argv[1], "--serve") != 0) {
        std::fprintf(stderr, "pagewell-pdftk is started by Pagewell, not by hand.\n");
        return 2;
    }
    Arguments arguments{argv[2], argv[3], argv[4], warm};
    // pdftk takes a name for a file before it takes it for a URL: where the program was started, anyone who may write
    // there could put a folder "file:" holding their own PDF under the name of an input handed over as a URL. In the
    // root folder only root can. Every path the program sends is absolute.
    if (::chdir("/") != 0) {
        unusable("the host cannot work in the root folder");
    }
    captureOutputs();
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kJvmThreadStack);
    pthread_t thread;
    if (pthread_create(&thread, &attributes, serve, &arguments) != 0) {
        unusable("no thread for the JVM");
    }
    pthread_join(thread, nullptr);
    // Straight out: the JVM needs no orderly end, and waiting for one would only keep the program waiting.
    ::_exit(0);
}
