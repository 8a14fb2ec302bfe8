#include "app/CommandLine.h"
#include "app/Desktop.h"
#include "app/PdfStagesFactory.h"
#include "app/ProgramArt.h"
#include "app/TerminationSignals.h"
#include "app/Translations.h"
#include "app/frmPrinting.h"
#include "platform/Clock.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"
#include "platform/QtSystemDialogs.h"
#include "platform/Skin.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include <filesystem>

namespace {

// Whether this program runs from the place `cmake --install` or the Debian package put it.
bool runsFromInstalledPlace(const QString& programFolder)
{
    const QString here = QDir(programFolder).canonicalPath();
    for (const char* place : {PAGEWELL_INSTALL_BINDIR, PAGEWELL_PACKAGE_BINDIR}) {
        const QString installed = QDir(QString::fromUtf8(place)).canonicalPath();
        if (!installed.isEmpty() && here == installed) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    // Help, version, a wrong option and a missing display are answered before Qt looks for a display.
    if (const std::optional<int> exitStatus = answerWithoutWindow(argc, argv)) {
        return *exitStatus;
    }
    QApplication app(argc, argv);
    // Before anything is read: the window's making reads its state and settings files, and may wait on them.
    TerminationSignals terminationSignals;
    const Translations translations(userLanguages());
    QApplication::setApplicationName(QStringLiteral("Pagewell"));
    QApplication::setApplicationVersion(QStringLiteral(PAGEWELL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.pagewell.Pagewell"));
    QApplication::setWindowIcon(programIcon());

    Desktop<QtSystemDialogs, QtMessageBoxes, QtDocumentOpener, SystemClock, PagewellSkin> desktop;
    AppServices services = desktop.services(pdfStagesFactory());
    services.programFolder = QCoreApplication::applicationDirPath();
    services.homeFolder = QDir::homePath();
    services.configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    services.installedProgram = runsFromInstalledPlace(services.programFolder);
    services.windowStateFile = services.configFolder + QStringLiteral("/window.conf");

    frmPrinting window(services);
    terminationSignals.watch(window);
    std::error_code noFolder;
    const std::filesystem::path workingFolder = std::filesystem::current_path(noFolder);
    window.addDroppedPaths(commandLineFiles(fileArguments(argc, argv), QByteArray(workingFolder.c_str())));
    window.show();
    return QApplication::exec();
}
