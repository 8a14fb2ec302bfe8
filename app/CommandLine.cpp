#include "app/CommandLine.h"

#include "imagelist/LocalFileUrl.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace {

// Qt's own options, which the application object takes out of the arguments itself (with one dash or two).
const QList<QByteArray> kQtOptionsWithValue{"platform",        "platformpluginpath", "platformtheme", "plugin",
                                            "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
                                            "display",         "geometry",           "name",          "style",
                                            "stylesheet"};
const QList<QByteArray> kQtOptionsWithEquals{"style", "stylesheet", "qmljsdebugger"};
const QList<QByteArray> kQtFlags{"reverse", "widgetcount", "nograb", "dograb", "sync"};

// Platform plugins that draw on an X or Wayland display; any other (offscreen, minimal, eglfs, vnc, ...) needs
// neither.
bool needsDisplay(const QByteArray& plugin)
{
    return plugin.isEmpty() || plugin == "xcb" || plugin.startsWith("wayland");
}

} // namespace

CommandLineOptions readCommandLineOptions(int argc, char** argv)
{
    CommandLineOptions options;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--") {
            break;
        }
        if (!argument.startsWith('-') || argument == "-") {
            continue;
        }
        if (argument == "-h" || argument == "--help" || argument == "-?") {
            options.request = StartRequest::Help;
            return options;
        }
        if (argument == "-v" || argument == "--version") {
            options.request = StartRequest::Version;
            return options;
        }
        const QByteArray name = argument.mid(argument.startsWith("--") ? 2 : 1);
        const qsizetype equals = name.indexOf('=');
        if (equals > 0 && kQtOptionsWithEquals.contains(name.left(equals))) {
            continue;
        }
        if (kQtOptionsWithValue.contains(name)) {
            if (i + 1 < argc) {
                ++i;
                if (name == "platform") {
                    options.platform = argv[i];
                }
            }
            continue;
        }
        if (kQtFlags.contains(name)) {
            continue;
        }
        options.request = StartRequest::UnknownOption;
        options.unknownOption = argument;
        return options;
    }
    return options;
}

bool hasGraphicalSession(const QByteArray& platformOption, const std::function<QByteArray(const char*)>& environment)
{
    if (!environment("DISPLAY").isEmpty() || !environment("WAYLAND_DISPLAY").isEmpty() ||
        !environment("WAYLAND_SOCKET").isEmpty()) {
        return true;
    }
    // Qt tries each plugin of a list such as "wayland;xcb" in turn; ":" starts a plugin's own settings.
    const QByteArray platforms = platformOption.isEmpty() ? environment("QT_QPA_PLATFORM") : platformOption;
    for (const QByteArray& platform : platforms.split(';')) {
        const QByteArray plugin = platform.left(platform.indexOf(':')).trimmed();
        if (!needsDisplay(plugin)) {
            return true;
        }
    }
    return false;
}

QByteArray usageText()
{
    return "Usage: pagewell [OPTION]... [--] [IMAGE]...\n"
           "Turn an ordered list of images into one PDF, one page per image.\n"
           "\n"
           "Opens the Pagewell window. Each IMAGE joins the image list in the order given, as if\n"
           "dropped on the window: a relative name is taken from the current folder, a file: URL\n"
           "stands for its local file, and files that are not images are left out. Put -- before\n"
           "names that begin with a dash.\n"
           "\n"
           "Options:\n"
           "  -h, --help     show this help and exit\n"
           "  -v, --version  show the version and exit\n"
           "\n"
           "Qt's own options, such as -platform and -style, are taken as well.\n"
           "Exit status: 0 when the window was closed or help was shown, 1 when no graphical\n"
           "session is available, 2 for an option that is not known.\n"
           "The manual page pagewell(1) tells more.\n";
}

std::optional<int> answerWithoutWindow(int argc, char** argv)
{
    const CommandLineOptions options = readCommandLineOptions(argc, argv);
    switch (options.request) {
    case StartRequest::Help:
        std::fputs(usageText().constData(), stdout);
        return 0;
    case StartRequest::Version:
        std::fputs("Pagewell " PAGEWELL_VERSION "\n", stdout);
        return 0;
    case StartRequest::UnknownOption:
        std::fprintf(stderr, "pagewell: unknown option '%s' (pagewell --help lists the options)\n",
                     options.unknownOption.constData());
        return 2;
    case StartRequest::OpenWindow:
        break;
    }
    const auto environment = [](const char* name) { return QByteArray(std::getenv(name)); };
    if (!hasGraphicalSession(options.platform, environment)) {
        std::fputs("pagewell: no graphical session to open the window in (neither DISPLAY nor WAYLAND_DISPLAY is "
                   "set)\n",
                   stderr);
        return 1;
    }
    return std::nullopt;
}

QList<QByteArray> fileArguments(int argc, char** argv)
{
    QList<QByteArray> arguments;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--" && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        arguments.append(argument);
    }
    return arguments;
}

QList<QByteArray> commandLineFiles(const QList<QByteArray>& arguments, const QByteArray& workingFolder)
{
    QList<QByteArray> files;
    for (const QByteArray& argument : arguments) {
        if (argument.isEmpty()) {
            continue;
        }
        QByteArray path = argument;
        if (argument.left(5).toLower() == "file:") {
            const std::optional<QByteArray> local = localFilePath(QUrl(QFile::decodeName(argument)));
            if (!local) {
                continue;
            }
            path = *local;
        }
        if (!path.startsWith('/')) {
            path = workingFolder + '/' + path;
        }
        // Latin-1 maps each byte to one character and back, so the cleaning keeps every other byte as it was.
        files.append(QDir::cleanPath(QString::fromLatin1(path)).toLatin1());
    }
    return files;
}
