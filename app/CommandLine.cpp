#include "app/CommandLine.h"

#include "app/TerminalOptions.h"
#include "app/TerminalProgress.h"
#include "app/TerminalRun.h"
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

// An option as typed, safe to print: it may hold anything.
QByteArray plainOption(const QByteArray& option)
{
    return terminalText(QString::fromLocal8Bit(option)).toUtf8();
}

} // namespace

CommandLineOptions readCommandLineOptions(int argc, char** argv)
{
    CommandLineOptions options;
    bool output = false;
    QByteArray wantsOutput;
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
        if (const TerminalOption terminal = terminalOption(argument); terminal.known) {
            output = output || terminal.isOutput;
            if (!terminal.isOutput && wantsOutput.isEmpty()) {
                wantsOutput = argument;
            }
            i += terminal.takesNextArgument ? 1 : 0;
            continue;
        }
        options.request = StartRequest::UnknownOption;
        options.unknownOption = argument;
        return options;
    }
    if (output) {
        options.request = StartRequest::RunWithoutWindow;
    } else if (!wantsOutput.isEmpty()) {
        options.request = StartRequest::OptionWithoutOutput;
        options.unknownOption = wantsOutput;
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
           "  or:  pagewell -o OUT.pdf [OPTION]... [--] FILE_OR_FOLDER...\n"
           "Turn an ordered list of images into one PDF, one page per image.\n"
           "\n"
           "Without -o, opens the Pagewell window. Each IMAGE joins the image list in the order\n"
           "given, as if dropped on the window: a relative name is taken from the current folder,\n"
           "a file: URL stands for its local file, and files that are not images are left out.\n"
           "Put -- before names that begin with a dash.\n"
           "\n"
           "With -o, converts without a window or a display and saves the document as OUT.pdf\n"
           "(\"-\": writes it to standard output). Files become pages in the order given; a folder\n"
           "gives its images and those of the folders below it in natural order (IMG_2 before\n"
           "IMG_10), hidden folders left out. Files that are not images are left out, and said so.\n"
           "Progress goes to standard error. The settings file is neither read nor written.\n"
           "\n"
           "Options:\n"
           "  -h, --help             show this help and exit\n"
           "  -v, --version          show the version and exit\n"
           "  -o, --output=OUT.pdf   convert without a window into OUT.pdf (\"-\": standard output)\n"
           "\n"
           "Options of a conversion with -o (the defaults are the window's):\n"
           "      --title=TEXT       the document's title (default: New PDF Document)\n"
           "      --author=TEXT      its author (default: Pagewell)\n"
           "      --subject=TEXT     its subject (default: New Subject)\n"
           "      --keywords=TEXT    its keywords (default: none)\n"
           "      --date=DATE        its creation date, a PDF date (D:20240531143000+02'00) or an ISO\n"
           "                         date (2024-05-31, 2024-05-31T14:30:00+02:00) (default: now)\n"
           "      --quality=N        JPEG quality of the pages, 1 to 100 (default: 80)\n"
           "      --page-size=SIZE   as-image, as-scanned, a4, a5, a3, letter or legal\n"
           "                         (default: as-image)\n"
           "      --orientation=WAY  auto, portrait or landscape, on a sheet of paper (default: auto)\n"
           "      --margin=MM        margin on a sheet of paper, 0 to 50 mm (default: 10)\n"
           "      --original         keep each picture's quality: a JPEG's own data, any other\n"
           "                         picture without loss (--quality is then not used)\n"
           "  -q, --quiet            show no progress\n"
           "\n"
           "Qt's own options, such as -platform and -style, are taken by the window as well.\n"
           "Exit status: 0 when the window was closed, help was shown or the document was saved;\n"
           "1 when no graphical session is available or the conversion failed (standard error\n"
           "says why; OUT.pdf is then left as it was); 2 for a usage error. A conversion stopped\n"
           "by SIGINT or SIGTERM removes what it made and ends by that signal.\n"
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
                     plainOption(options.unknownOption).constData());
        return 2;
    case StartRequest::OptionWithoutOutput:
        std::fprintf(stderr, "pagewell: '%s' is an option of a conversion without a window: give -o FILE as well\n",
                     plainOption(options.unknownOption).constData());
        return 2;
    case StartRequest::RunWithoutWindow:
        return runInTerminal(argc, argv);
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
