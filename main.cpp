#include "app/frmPrinting.h"
#include "conversion/PdfConversionStages.h"
#include "platform/Clock.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"
#include "platform/Pdftk.h"
#include "platform/PropertyStore.h"
#include "platform/QpdfPageLibrary.h"
#include "platform/QtSystemDialogs.h"
#include "platform/Skin.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pagewell"));
    QApplication::setApplicationVersion(QStringLiteral(PAGEWELL_VERSION));

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
    frmPrinting* mainWindow = nullptr;
    services.makeStages = [&mainWindow] {
        return std::make_unique<PdfConversionStages>(mainWindow, std::make_unique<ProcessPdftk>(),
                                                     std::make_unique<QpdfPageLibrary>());
    };

    frmPrinting window(services);
    mainWindow = &window;
    window.show();
    return QApplication::exec();
}
