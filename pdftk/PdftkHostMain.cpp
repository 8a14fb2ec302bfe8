// pagewell-pdftk: hosts pdftk for Pagewell in one JVM for a whole run, so that each step costs pdftk's work and no
// JVM start. Started by the program as
//   pagewell-pdftk --serve LIBJVM CLASSPATH MAINCLASS
// with a local socket as descriptor 3 and an empty standard input (pdftk reads it when it asks a question). The JVM
// never runs in the window's process: its signal handlers, a crash or running out of memory stay in here.

#include "pdftk/WarmProtocol.h"

#include <jni.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using warmpdftk::ReplyHeader;
using warmpdftk::ReplyKind;

// A small heap and the quickest collector and compiler to start: a join needs a few MiB of live objects, and each
// is over before the optimising compiler would pay off. A JVM that crashes leaves no core and no error report.
const char* const kJvmOptions[] = {
    "-Xms8m",
    "-Xmx128m",
    "-XX:+UseSerialGC",
    "-XX:TieredStopAtLevel=1",
    "-XX:-UsePerfData",
    "-Xshare:auto",
    "-XX:-CreateCoredumpOnCrash",
    "-XX:ErrorFile=/dev/null",
    "-Xrs",
    "-Djava.locale.providers=COMPAT",
};
// pdftk's entry point that does what its main does without ending the JVM.
const char* const kEntryPoint = "main_noexit";
const char* const kEntrySignature = "([Ljava/lang/String;)I";
// The JVM runs on a thread of ours; a deeply nested PDF then ends in pdftk's StackOverflowError, not a crash.
constexpr std::size_t kJvmThreadStack = 8u << 20;

struct Arguments
{
    std::string libjvm;
    std::string classPath;
    std::string mainClass;
};

bool sendReply(const ReplyHeader& header, const std::string& output, const std::string& error)
{
    std::vector<char> message(sizeof header + output.size() + error.size());
    ReplyHeader sent = header;
    sent.outputBytes = std::uint32_t(output.size());
    sent.errorBytes = std::uint32_t(error.size());
    std::memcpy(message.data(), &sent, sizeof sent);
    std::memcpy(message.data() + sizeof sent, output.data(), output.size());
    std::memcpy(message.data() + sizeof sent + output.size(), error.data(), error.size());
    ssize_t done = 0;
    do {
        done = ::send(warmpdftk::kSocketDescriptor, message.data(), message.size(), MSG_NOSIGNAL);
    } while (done < 0 && errno == EINTR);
    return done == ssize_t(message.size());
}

[[noreturn]] void unusable(const std::string& why)
{
    ReplyHeader header;
    header.kind = ReplyKind::Unusable;
    sendReply(header, {}, why.substr(0, warmpdftk::kMaxTextBytes));
    ::_exit(3);
}

// One request's arguments; false at the end of the conversation or on a message that is no request.
bool receiveRequest(std::vector<std::string>* arguments)
{
    std::vector<char> buffer(warmpdftk::kMaxRequestBytes);
    ssize_t got = 0;
    do {
        got = ::recv(warmpdftk::kSocketDescriptor, buffer.data(), buffer.size(), MSG_TRUNC);
    } while (got < 0 && errno == EINTR);
    warmpdftk::RequestHeader header;
    if (got < ssize_t(sizeof header) || std::size_t(got) > buffer.size()) {
        return false;
    }
    std::memcpy(&header, buffer.data(), sizeof header);
    if (header.magic != warmpdftk::kProtocolMagic) {
        return false;
    }
    arguments->clear();
    const char* at = buffer.data() + sizeof header;
    const char* const end = buffer.data() + got;
    for (std::uint32_t i = 0; i < header.argumentCount; ++i) {
        const char* zero = static_cast<const char*>(std::memchr(at, '\0', std::size_t(end - at)));
        if (zero == nullptr) {
            return false;
        }
        arguments->emplace_back(at, zero);
        at = zero + 1;
    }
    return at == end;
}

// UTF-8 as the JVM's own UTF-16, for NewString (NewStringUTF wants the JVM's modified UTF-8, which differs above
// U+FFFF). A byte that is no UTF-8 becomes U+FFFD.
std::u16string utf16Of(const std::string& text)
{
    std::u16string out;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char lead = s[i];
        int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
        char32_t code = extra == 0 ? lead : extra == 1 ? lead & 0x1f : extra == 2 ? lead & 0x0f : lead & 0x07;
        bool good = extra >= 0 && i + std::size_t(extra) < n;
        for (int k = 1; good && k <= extra; ++k) {
            const unsigned char next = s[i + std::size_t(k)];
            good = (next & 0xc0) == 0x80;
            code = (code << 6) | (next & 0x3f);
        }
        if (!good || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) {
            out.push_back(u'\ufffd');
            ++i;
            continue;
        }
        i += std::size_t(extra) + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(char16_t(0xd800 + (code >> 10)));
            out.push_back(char16_t(0xdc00 + (code & 0x3ff)));
        } else {
            out.push_back(char16_t(code));
        }
    }
    return out;
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

void flushJavaStreams(JNIEnv* env)
{
    jclass system = env->FindClass("java/lang/System");
    if (system == nullptr) {
        env->ExceptionClear();
        return;
    }
    for (const char* name : {"out", "err"}) {
        jfieldID field = env->GetStaticFieldID(system, name, "Ljava/io/PrintStream;");
        jobject stream = field != nullptr ? env->GetStaticObjectField(system, field) : nullptr;
        if (stream != nullptr) {
            jclass type = env->GetObjectClass(stream);
            jmethodID flush = env->GetMethodID(type, "flush", "()V");
            if (flush != nullptr) {
                env->CallVoidMethod(stream, flush);
            }
        }
        env->ExceptionClear();
    }
}

JNIEnv* startJvm(const Arguments& arguments)
{
    void* library = ::dlopen(arguments.libjvm.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = ::dlerror();
        unusable("the JVM library could not be loaded: " + std::string(why != nullptr ? why : arguments.libjvm));
    }
    using CreateJvm = jint (*)(JavaVM**, void**, void*);
    auto create = reinterpret_cast<CreateJvm>(::dlsym(library, "JNI_CreateJavaVM"));
    if (create == nullptr) {
        unusable("the JVM library has no JNI_CreateJavaVM: " + arguments.libjvm);
    }
    std::vector<std::string> texts{"-Djava.class.path=" + arguments.classPath};
    texts.insert(texts.end(), std::begin(kJvmOptions), std::end(kJvmOptions));
    std::vector<JavaVMOption> options(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        options[i].optionString = texts[i].data();
        options[i].extraInfo = nullptr;
    }
    JavaVMInitArgs init{};
    init.version = JNI_VERSION_1_8;
    init.nOptions = jint(options.size());
    init.options = options.data();
    init.ignoreUnrecognized = JNI_TRUE;
    JavaVM* jvm = nullptr;
    JNIEnv* env = nullptr;
    if (create(&jvm, reinterpret_cast<void**>(&env), &init) != JNI_OK || env == nullptr) {
        unusable("the JVM could not be started");
    }
    return env;
}

// pdftk's entry point, public static int main_noexit(String[]); the host ends as unusable without it.
jmethodID findEntryPoint(JNIEnv* env, const std::string& mainClass, jclass* owner)
{
    std::string name = mainClass;
    std::replace(name.begin(), name.end(), '.', '/');
    jclass type = env->FindClass(name.c_str());
    if (type == nullptr) {
        env->ExceptionClear();
        unusable("pdftk's class " + mainClass + " was not found");
    }
    jmethodID entry = env->GetStaticMethodID(type, kEntryPoint, kEntrySignature);
    if (entry == nullptr) {
        env->ExceptionClear();
        unusable("pdftk's class " + mainClass + " has no static int main_noexit(String[])");
    }
    jobject method = env->ToReflectedMethod(type, entry, JNI_TRUE);
    jclass methodType = env->FindClass("java/lang/reflect/Method");
    jmethodID modifiers = methodType != nullptr ? env->GetMethodID(methodType, "getModifiers", "()I") : nullptr;
    constexpr jint kPublic = 0x0001;
    if (method == nullptr || modifiers == nullptr || (env->CallIntMethod(method, modifiers) & kPublic) == 0) {
        env->ExceptionClear();
        unusable("pdftk's main_noexit is not public");
    }
    *owner = static_cast<jclass>(env->NewGlobalRef(type));
    return entry;
}

// One call of pdftk's entry point with these arguments.
ReplyHeader call(JNIEnv* env, jclass owner, jmethodID entry, const std::vector<std::string>& arguments)
{
    ReplyHeader reply;
    const auto before = openDescriptors();
    emptyOutputs();
    if (env->PushLocalFrame(jint(arguments.size()) + 16) == JNI_OK) {
        jclass stringType = env->FindClass("java/lang/String");
        jobjectArray array =
            stringType != nullptr ? env->NewObjectArray(jsize(arguments.size()), stringType, nullptr) : nullptr;
        for (std::size_t i = 0; array != nullptr && i < arguments.size(); ++i) {
            const std::u16string text = utf16Of(arguments[i]);
            jstring argument = env->NewString(reinterpret_cast<const jchar*>(text.data()), jsize(text.size()));
            if (argument == nullptr) {
                array = nullptr;
                break;
            }
            env->SetObjectArrayElement(array, jsize(i), argument);
            env->DeleteLocalRef(argument);
        }
        if (array != nullptr) {
            reply.exitCode = env->CallStaticIntMethod(owner, entry, array);
        }
        if (array == nullptr || env->ExceptionCheck()) {
            // An error that escaped pdftk (out of memory, say) is an internal error, as pdftk's own are.
            env->ExceptionDescribe();
            env->ExceptionClear();
            reply.exitCode = 2;
        }
        flushJavaStreams(env);
        env->PopLocalFrame(nullptr);
    } else {
        env->ExceptionClear();
        reply.exitCode = 2;
    }
    const auto after = openDescriptors();
    reply.descriptorsBefore = std::uint32_t(before.size());
    reply.descriptorsAfter = std::uint32_t(after.size());
    reply.descriptorsLeftOpen = leftOpen(before, after, arguments);
    reply.peakResidentKiB = peakResidentKiB();
    return reply;
}

void* serve(void* data)
{
    const Arguments& arguments = *static_cast<const Arguments*>(data);
    JNIEnv* env = startJvm(arguments);
    jclass owner = nullptr;
    const jmethodID entry = findEntryPoint(env, arguments.mainClass, &owner);
    ReplyHeader ready;
    ready.kind = ReplyKind::Ready;
    ready.peakResidentKiB = peakResidentKiB();
    if (!sendReply(ready, {}, {})) {
        return nullptr;
    }
    std::vector<std::string> request;
    while (receiveRequest(&request)) {
        const ReplyHeader reply = call(env, owner, entry, request);
        if (!sendReply(reply, capturedOutput(STDOUT_FILENO), capturedOutput(STDERR_FILENO))) {
            break;
        }
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5 || std::strcmp(argv[1], "--serve") != 0) {
        std::fprintf(stderr, "pagewell-pdftk is started by Pagewell, not by hand.\n");
        return 2;
    }
    Arguments arguments{argv[2], argv[3], argv[4]};
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
