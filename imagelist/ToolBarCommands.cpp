#include "imagelist/ToolBarCommands.h"

#include "imagelist/TitleFromPath.h"
#include "imagelist/ToolBarWindow.h"

#include <QCoreApplication>
#include <QListWidget>

ToolBarCommands::ToolBarCommands(QListWidget& list, ToolBarWindow& window) : m_list(list), m_window(window) {}

void ToolBarCommands::CmdToolsBar_Click(int Index)
{
    m_window.hideDropPanel();
    QCoreApplication::processEvents();

    // While a run owns the list only leaving the program is allowed; the run reads one list throughout.
    if (Index != ExitProgram && m_window.listLocked()) {
        return;
    }

    switch (Index) {
    case OpenAFile:
        openAFile();
        break;
    case AddFolder:
        m_window.addFolder();
        m_window.hideDropPanel();
        QCoreApplication::processEvents();
        break;
    case CloseFile:
        m_list.clear();
        m_window.clearPreview();
        break;
    case Clean:
        m_list.clear();
        break;
    case MoveDown:
        exchangeSelected(+1);
        break;
    case ExitProgram:
        m_window.exitProgram();
        break;
    case MoveUp:
        exchangeSelected(-1);
        break;
    default:
        break;
    }
}

void ToolBarCommands::openAFile()
{
    const std::optional<QString> chosen =
        m_window.askOpenFile(QStringLiteral("Open Files"), QString::fromLatin1(kImageFilter));

    m_window.repaintWindow();
    m_window.hideDropPanel();
    QCoreApplication::processEvents();
    m_window.sweepToolBar();

    // A cancelled dialog keeps the list as it was.
    if (chosen && !chosen->isEmpty()) {
        m_list.clear();
        m_list.addItem(*chosen);
        // A file the preview cannot show still joins the list.
        m_window.showInPreview(*chosen);
        m_window.setDocumentTitle(titleFromPath(*chosen));
    }
}

void ToolBarCommands::exchangeSelected(int offset)
{
    const int selected = m_list.currentRow();
    const int other = selected + offset;
    if (selected < 0 || other < 0 || other >= m_list.count()) {
        return;
    }
    const QString kept = m_list.item(selected)->text();
    m_list.item(selected)->setText(m_list.item(other)->text());
    m_list.item(other)->setText(kept);
    m_list.setCurrentRow(other);
}
