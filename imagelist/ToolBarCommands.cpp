#include "imagelist/ToolBarCommands.h"

#include "imagelist/ImageListWidget.h"
#include "imagelist/OpenDialogFilter.h"
#include "imagelist/TitleFromPath.h"
#include "imagelist/ToolBarWindow.h"
#include "platform/PosixFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QListWidget>

ToolBarCommands::ToolBarCommands(QListWidget& list, ToolBarWindow& window) : m_list(list), m_window(window) {}

void ToolBarCommands::run(int index)
{
    m_window.hideDropPanel();

    // While a run or a folder search owns the list only leaving the program is allowed: the run reads one list
    // throughout, the search appends to the list it started on.
    if (index != ExitProgram && m_window.listLocked()) {
        return;
    }

    switch (index) {
    case OpenAFile:
        openAFile();
        break;
    case AddFolder:
        m_window.addFolder();
        m_window.hideDropPanel();
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
    case RotateLeft:
        turnSelected(-1);
        break;
    case RotateRight:
        turnSelected(+1);
        break;
    default:
        break;
    }
}

void ToolBarCommands::openAFile()
{
    const std::optional<QString> chosen =
        m_window.askOpenFile(QCoreApplication::translate("ToolBarCommands", "Open Files"), openDialogFilter());

    m_window.repaintWindow();
    m_window.hideDropPanel();
    m_window.sweepToolBar();

    // A cancelled dialog keeps the list as it was; so does a FIFO, socket or device, which is never opened.
    if (chosen && !chosen->isEmpty() && !isSpecialFile(QFile::encodeName(*chosen))) {
        m_list.clear();
        m_list.addItem(*chosen);
        // A file the preview cannot show still joins the list.
        m_window.showInPreview(*chosen);
        m_window.setDocumentTitle(titleFromPath(*chosen));
    }
}

void ToolBarCommands::exchangeSelected(int offset)
{
    // The selected entry, not the current one: tabbing into the list makes an entry current without selecting it.
    const QList<QListWidgetItem*> selected = m_list.selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const int row = m_list.row(selected.constFirst());
    const int other = row + offset;
    if (other < 0 || other >= m_list.count()) {
        return;
    }
    // The whole entry moves, with what it keeps beside its text.
    m_list.insertItem(other, m_list.takeItem(row));
    m_list.setCurrentRow(other);
}

void ToolBarCommands::turnSelected(int quarterTurns)
{
    const QList<QListWidgetItem*> selected = m_list.selectedItems();
    for (QListWidgetItem* item : selected) {
        const int turns = item->data(ImageListWidget::kQuarterTurnsRole).toInt() + quarterTurns;
        item->setData(ImageListWidget::kQuarterTurnsRole, ((turns % 4) + 4) % 4);
    }
    if (!selected.isEmpty()) {
        m_window.entriesTurned();
    }
}
