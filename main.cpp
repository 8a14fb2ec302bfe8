#include "app/CommandLine.h"
#include "app/ProgramArt.h"
#include "app/frmPrinting.h"
#include "conversion/PdfConversionStages.h"
#include "pagepdf/QpdfPageLibrary.h"
#include "platform/Clock.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"
#include "platform/Pdftk.h"
#include "platform/PropertyStore.h"
#include "platform/QtSystemDialogs.h"
#include "platform/Skin.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>

namespace {

// Whether this program runs from the place `cmake --install` (or the package) put it.
bool runsFromInstalledPlace(const QString& programFolder)
{
    const QString installed = QDir(QStringLiteral(PAGEWELL_INSTALL_BINDIR)).canonicalPath();
    return !installed.isEmpty() && QDir(programFolder).canonicalPath() == installed;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pagewell"));
    QApplication::setApplicationVersion(QStringLiteral(PAGEWELL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.pagewell.Pagewell"));
    QApplication::setWindowIcon(programIcon());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Turns an ordered list of images into one PDF."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("images"), QStringLiteral("Images to put in the list, in order."),
                                 QStringLiteral("[images...]"));
    parser.process(app);

    QtSystemDialogs dialogs;
    QtMessageBoxes messages;
    QtDocumentOpener opener;
    SystemClock clock;
    PagewellSkin skin;
    MemoryPropertyStore previewStore;

    AppServices services;
    services.dialogs = &dialogs;
    services.messages = &messages;
    services.opener = &opener;
    services.clock = &clock;
    services.skin = &skin;
    services.previewStore = &previewStore;
    services.programFolder = QCoreApplication::applicationDirPath();
    services.homeFolder = QDir::homePath();
    services.configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    services.installedProgram = runsFromInstalledPlace(services.programFolder);
    frmPrinting* mainWindow = nullptr;
    services.makeStages = [&mainWindow] {
        return std::make_unique<PdfConversionStages>(mainWindow, std::make_unique<ProcessPdftk>(),
                                                     std::make_unique<QpdfPageLibrary>());
    };

    frmPrinting window(services);
    mainWindow = &window;
    window.addDroppedPaths(commandLineFiles(parser.positionalArguments(), QDir::currentPath()));
    window.show();
    return QApplication::exec();
}
