#include "imagelist/ToolBarCommands.h"

#include "dialogs/CCommonDialogs.h"
#include "imagelist/TitleFromPath.h"
#include "preview/ShowImage.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>

ToolBarCommands::ToolBarCommands(ToolBarTargets targets) : m_t(std::move(targets)) {}

void ToolBarCommands::CmdToolsBar_Click(int Index)
{
    m_t.picDoor->hide();
    QCoreApplication::processEvents();

    // While a run owns the list only leaving the program is allowed; the run reads one list throughout.
    if (Index != ExitProgram && m_t.listLocked && m_t.listLocked()) {
        return;
    }

    switch (Index) {
    case OpenAFile:
        openAFile();
        break;
    case AddFolder:
        m_t.addFolder();
        m_t.picDoor->hide();
        QCoreApplication::processEvents();
        break;
    case CloseFile:
        m_t.List1->clear();
        m_t.prewImage->Cls();
        break;
    case Clean:
        m_t.List1->clear();
        break;
    case MoveDown:
        exchangeSelected(+1);
        break;
    case ExitProgram:
        m_t.exit();
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
    CCommonDialogs& dialogs = *m_t.dialogs;
    dialogs.setFilter(QString::fromLatin1(ImageFilter));
    dialogs.setFilename(QString());
    dialogs.setTitle(QStringLiteral("Open Files"));
    const bool confirmed = dialogs.ShowOpen();

    m_t.window->repaint();
    m_t.picDoor->hide();
    QCoreApplication::processEvents();
    m_t.focusSweep();

    if (!confirmed) {
        return; // a cancelled dialog keeps the list as it was
    }
    const QString chosen = dialogs.Filename();
    if (!chosen.isEmpty()) {
        m_t.List1->clear();
        m_t.List1->addItem(chosen);
        // A file the preview cannot show still joins the list; the preview keeps its picture.
        m_t.prewImage->loadimg(chosen);
        m_t.txtTitle->setText(titleFromPath(chosen));
    }
    dialogs.setFilename(QString());
}

void ToolBarCommands::exchangeSelected(int offset)
{
    QListWidget* list = m_t.List1;
    const int selected = list->currentRow();
    const int other = selected + offset;
    if (selected < 0 || other < 0 || other >= list->count()) {
        return;
    }
    const QString kept = list->item(selected)->text();
    list->item(selected)->setText(list->item(other)->text());
    list->item(other)->setText(kept);
    list->setCurrentRow(other);
}
