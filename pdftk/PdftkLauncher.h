#pragma once

#include <QString>

// What it takes to run a pdftk in a JVM of our own: its class path and main class as its launcher script names
// them, and the JVM library of the java that the launcher starts.
struct PdftkLauncher
{
    QString classPath; // jars joined by ':'
    QString mainClass;
    QString jvmLibrary; // .../lib/server/libjvm.so

    [[nodiscard]] bool isValid() const { return !classPath.isEmpty() && !mainClass.isEmpty() && !jvmLibrary.isEmpty(); }
};

// Reads the launcher script program (a shell script that sets variables and then runs `java -cp CLASSPATH CLASS
// "$@"`) as the shell would expand it, and finds the JVM library beside the real path of the java it runs (on PATH
// unless the script names one). Invalid when program is no such script (another pdftk, a wrapper it cannot read), a
// jar it names is missing, or no JVM library is there.
[[nodiscard]] PdftkLauncher readPdftkLauncher(const QString& program);

// The JVM library of the Java runtime whose java program is java (after symbolic links), or empty.
[[nodiscard]] QString jvmLibraryOf(const QString& java);
