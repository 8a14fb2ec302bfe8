#include "pdftk/HostedJvm.h"

#include <algorithm>
#include <iterator>

#include <dlfcn.h>

namespace {

// A small heap and the quickest collector and compiler to start: a join holds its inputs and a few MiB of objects
// read from them, and the optimising compiler's threads cost more than they win back on a run's calls. A small
// young generation: most of what a call keeps lives to its end, and the heap grows only by what it keeps (a fifth
// less resident memory at the same speed). A JVM that crashes leaves no core and no error report.
const char* const kJvmOptions[] = {
    "-Xms8m",
    "-Xmx128m",
    "-Xmn4m",
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

// pdftk's entry point, public static int main_noexit(String[]).
bool findEntryPoint(JNIEnv* env, const std::string& mainClass, jclass* owner, jmethodID* entryPoint, std::string* why)
{
    std::string name = mainClass;
    std::replace(name.begin(), name.end(), '.', '/');
    jclass type = env->FindClass(name.c_str());
    if (type == nullptr) {
        env->ExceptionClear();
        *why = "pdftk's class " + mainClass + " was not found";
        return false;
    }
    jmethodID entry = env->GetStaticMethodID(type, kEntryPoint, kEntrySignature);
    if (entry == nullptr) {
        env->ExceptionClear();
        *why = "pdftk's class " + mainClass + " has no static int main_noexit(String[])";
        return false;
    }
    jobject method = env->ToReflectedMethod(type, entry, JNI_TRUE);
    jclass methodType = env->FindClass("java/lang/reflect/Method");
    jmethodID modifiers = methodType != nullptr ? env->GetMethodID(methodType, "getModifiers", "()I") : nullptr;
    constexpr jint kPublic = 0x0001;
    if (method == nullptr || modifiers == nullptr || (env->CallIntMethod(method, modifiers) & kPublic) == 0) {
        env->ExceptionClear();
        *why = "pdftk's main_noexit is not public";
        return false;
    }
    *owner = static_cast<jclass>(env->NewGlobalRef(type));
    *entryPoint = entry;
    return true;
}

} // namespace

bool HostedJvm::start(const std::string& libjvm, const std::string& classPath, const std::string& mainClass,
                      std::string* why)
{
    void* library = ::dlopen(libjvm.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* error = ::dlerror();
        *why = "the JVM library could not be loaded: " + std::string(error != nullptr ? error : libjvm);
        return false;
    }
    using CreateJvm = jint (*)(JavaVM**, void**, void*);
    auto create = reinterpret_cast<CreateJvm>(::dlsym(library, "JNI_CreateJavaVM"));
    if (create == nullptr) {
        *why = "the JVM library has no JNI_CreateJavaVM: " + libjvm;
        return false;
    }
    std::vector<std::string> texts{"-Djava.class.path=" + classPath};
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
    if (create(&jvm, reinterpret_cast<void**>(&m_env), &init) != JNI_OK || m_env == nullptr) {
        *why = "the JVM could not be started";
        return false;
    }
    return findEntryPoint(m_env, mainClass, &m_owner, &m_entry, why);
}

int HostedJvm::call(const std::vector<std::string>& arguments)
{
    JNIEnv* const env = m_env;
    if (env->PushLocalFrame(jint(arguments.size()) + 16) != JNI_OK) {
        env->ExceptionClear();
        return 2;
    }
    int exitCode = 2;
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
        exitCode = env->CallStaticIntMethod(m_owner, m_entry, array);
    }
    if (array == nullptr || env->ExceptionCheck()) {
        // An error that escaped pdftk (out of memory, say) is an internal error, as pdftk's own are.
        env->ExceptionDescribe();
        env->ExceptionClear();
        exitCode = 2;
    }
    flushJavaStreams(env);
    env->PopLocalFrame(nullptr);
    return exitCode;
}
