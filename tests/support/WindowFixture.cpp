#include "support/WindowFixture.h"

#include "app/PdfStagesFactory.h"
#include "pdftk/ProcessPdftk.h"

#include <QTest>

WindowFixture::WindowFixture(const QDateTime& now)
{
    clock.set(now);
    programFolder = folder.mkdir(QStringLiteral("program"));
    homeFolder = folder.mkdir(QStringLiteral("home"));
    workspaceParent = folder.mkdir(QStringLiteral("temp"));
    makeStages = [log = stagesLog](QWidget*) { return std::make_unique<ScriptedStages>(log); };
}

void WindowFixture::useRealStages(const QString& pdftkProgram)
{
    std::function<std::unique_ptr<Pdftk>()> makePdftk;
    if (!pdftkProgram.isEmpty()) {
        makePdftk = [pdftkProgram] { return std::make_unique<ProcessPdftk>(pdftkProgram); };
    }
    makeStages = pdfStagesFactory(std::move(makePdftk), workspaceParent, {}, readerTimeout);
}

frmPrinting& WindowFixture::open()
{
    AppServices services = this->services([this](QWidget* owner) { return makeStages(owner); });
    services.programFolder = programFolder;
    services.homeFolder = homeFolder;
    services.windowStateFile = windowStateFile;
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
    // A click during a run (from inside one of its stages, say) leaves it to go on.
    const bool busy = window->runUnderWay() || window->scanUnderWay();
    QTest::mouseClick(find<QAbstractButton>(buttonName), Qt::LeftButton);
    if (!busy) {
        waitUntilIdle();
    }
}

void WindowFixture::waitUntilIdle() const
{
    // A run or a folder search goes on from the event loop after its click has returned: the test sees it through.
    QTRY_VERIFY_WITH_TIMEOUT(!window->runUnderWay() && !window->scanUnderWay(), 300000);
}
