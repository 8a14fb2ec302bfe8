#pragma once

#include <QByteArray>
#include <QList>

#include <functional>
#include <optional>

// What the command line asks for before any window exists.
enum class StartRequest
{
    OpenWindow,
    Help,
    Version,
    UnknownOption,
    RunWithoutWindow,    // -o: a conversion from the terminal
    OptionWithoutOutput, // an option of such a conversion, without -o
};

struct CommandLineOptions
{
    StartRequest request = StartRequest::OpenWindow;
    QByteArray unknownOption; // as typed, for the message; also the option that wants -o
    QByteArray platform;      // the value of Qt's own -platform option, if given
};

// Reads the options in order up to the first "--"; the first of --help, --version or an option nobody knows
// decides, else -o (a conversion from the terminal). Qt's own options (-platform, -style, ...) are left for the
// application object, and the options of a conversion from the terminal for it, each with its value.
[[nodiscard]] CommandLineOptions readCommandLineOptions(int argc, char** argv);

// Whether Qt can open a window here: an X or Wayland display is named, or the platform plugin asked for (the
// -platform option, else QT_QPA_PLATFORM) is one that needs neither, such as offscreen.
[[nodiscard]] bool hasGraphicalSession(const QByteArray& platformOption,
                                       const std::function<QByteArray(const char*)>& environment);

// The text of --help.
[[nodiscard]] QByteArray usageText();

// Answers the command line where no window is needed (help, version, a wrong option, no graphical session, a
// conversion from the terminal) on standard output or standard error and gives the exit status; nothing when the
// window is to open. It reads the process environment and touches nothing of Qt's window system.
[[nodiscard]] std::optional<int> answerWithoutWindow(int argc, char** argv);

// The program's arguments after its name, as the file system's bytes (Qt's own copies replace bytes that are not
// UTF-8), without the first "--" (the end of the options; any other option was refused before). Call it after
// the application object has taken out the arguments that are its own.
[[nodiscard]] QList<QByteArray> fileArguments(int argc, char** argv);

// The files named on the command line (a desktop entry's %F), each as a full path in the file system's bytes: a
// relative path is taken from workingFolder, a file: URL becomes its local path. Whether they are images is the
// list's business.
[[nodiscard]] QList<QByteArray> commandLineFiles(const QList<QByteArray>& arguments, const QByteArray& workingFolder);
