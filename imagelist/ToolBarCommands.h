#pragma once

#include <QtGlobal>

class QListWidget;
class ToolBarWindow;

// The tool bar's indexes; the two File menu items fire 0 and 5 through the same entry.
enum ToolBarIndex
{
    OpenAFile = 0,
    AddFolder = 1,
    CloseFile = 2,
    Clean = 3,
    MoveDown = 4,
    ExitProgram = 5,
    MoveUp = 6,
    RotateLeft = 7,
    RotateRight = 8,
};

class ToolBarCommands
{
public:
    // Both are owned by the main window.
    ToolBarCommands(QListWidget& list, ToolBarWindow& window);

    // The one entry for every tool-bar button (by ToolBarIndex) and the menu items that stand for them.
    void run(int index);

private:
    void openAFile();
    void exchangeSelected(int offset);
    // Turns every selected entry by quarter turns, clockwise for a positive number.
    void turnSelected(int quarterTurns);

    QListWidget& m_list;
    ToolBarWindow& m_window;
};
