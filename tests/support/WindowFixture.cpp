#include "support/WindowFixture.h"

#include "conversion/PdfConversionStages.h"
#include "platform/Pdftk.h"
#include "platform/QpdfPageLibrary.h"

#include <QTest>

WindowFixture::WindowFixture(const QDateTime& now) : clock(now)
{
    programFolder = folder.mkdir(QStringLiteral("program"));
    homeFolder = folder.mkdir(QStringLiteral("home"));
    workspaceParent = folder.mkdir(QStringLiteral("temp"));
    makeStages = [log = stagesLog] { return std::make_unique<ScriptedStages>(log); };
}

void WindowFixture::useRealStages(const QString& pdftkProgram)
{
    makeStages = [this, pdftkProgram]() -> std::unique_ptr<ConversionStages> {
        auto pdftk =
            pdftkProgram.isEmpty() ? std::make_unique<ProcessPdftk>() : std::make_unique<ProcessPdftk>(pdftkProgram);
        auto stages = std::make_unique<PdfConversionStages>(window.get(), std::move(pdftk),
                                                            std::make_unique<QpdfPageLibrary>(), workspaceParent);
        if (readerTimeout.count() > 0) {
            stages->setReaderTimeout(readerTimeout);
        }
        return stages;
    };
}

frmPrinting& WindowFixture::open()
{
    AppServices services;
    services.dialogs = &dialogs;
    services.messages = &messages;
    services.opener = &opener;
    services.clock = &clock;
    services.skin = &skin;
    services.previewStore = &previewStore;
    services.makeStages = [this] { return makeStages(); };
    services.programFolder = programFolder;
    services.homeFolder = homeFolder;
    window = std::make_unique<frmPrinting>(services);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) {
        qWarning("the window was not exposed");
    }
    window->activateWindow();
    return *window;
}

QAbstractButton* WindowFixture::toolButton(int index) const
{
    return find<QAbstractButton>(QStringLiteral("CmdToolsBar_%1").arg(index));
}

QStringList WindowFixture::entries() const
{
    QStringList out;
    for (int i = 0; i < list()->count(); ++i) {
        out << list()->item(i)->text();
    }
    return out;
}

void WindowFixture::addEntries(const QStringList& paths) const
{
    list()->addItems(paths);
}

QString WindowFixture::text(const QString& name) const
{
    if (auto* edit = find<QLineEdit>(name)) {
        return edit->text();
    }
    if (auto* label = find<QLabel>(name)) {
        return label->text();
    }
    if (auto* button = find<QAbstractButton>(name)) {
        return button->text();
    }
    return QStringLiteral("<no control %1>").arg(name);
}

void WindowFixture::click(const QString& buttonName) const
{
    QTest::mouseClick(find<QAbstractButton>(buttonName), Qt::LeftButton);
}
