#pragma once

#include <jni.h>

#include <string>
#include <vector>

// pdftk's own entry point in a JVM of this process (pagewell-pdftk's): the JVM library is loaded at run time, so no
// JDK is linked in.
class HostedJvm
{
public:
    // Loads libjvm, starts its JVM with pdftk's class path and finds mainClass's public static int
    // main_noexit(String[]), which does what pdftk's main does without ending the JVM. False (and why) when any of
    // that fails. Once per process: a JVM cannot be started twice.
    [[nodiscard]] bool start(const std::string& libjvm, const std::string& classPath, const std::string& mainClass,
                             std::string* why);
    // Calls the entry point with these arguments (UTF-8) and flushes Java's standard streams. pdftk's exit code; 2
    // for an error that escaped it.
    [[nodiscard]] int call(const std::vector<std::string>& arguments);

private:
    JNIEnv* m_env = nullptr;
    jclass m_owner = nullptr;
    jmethodID m_entry = nullptr;
};
