#pragma once

#include <QPointer>
#include <functional>

class CCommonDialogs;
class QLineEdit;
class QListWidget;
class QWidget;
class ShowImage;

// The tool bar's indexes; the two File menu items fire 0 and 5 through the same entry.
enum ToolBarIndex {
    OpenAFile = 0,
    AddFolder = 1,
    CloseFile = 2,
    Clean = 3,
    MoveDown = 4,
    ExitProgram = 5,
    MoveUp = 6,
};

// What the tool-bar commands work on. Every pointer is owned by the main window.
struct ToolBarTargets
{
    QWidget* window = nullptr;
    QListWidget* List1 = nullptr;
    QWidget* picDoor = nullptr;
    QLineEdit* txtTitle = nullptr;
    ShowImage* prewImage = nullptr;
    CCommonDialogs* dialogs = nullptr;
    std::function<void()> focusSweep;
    std::function<void()> addFolder; // asks for a folder and appends its images
    std::function<void()> exit;      // closes the main window
    std::function<bool()> listLocked; // true while a run owns the list
};

class ToolBarCommands
{
public:
    static constexpr auto ImageFilter =
        "JPG Files(*.jpg)|*.jpg|JPEG Files(*.jpeg)|*.jpeg|TIF Files(*.tif)|*.tif|TIFF Files(*.tiff)|*.tiff|"
        "BMP Files(*.BMP)|*.bmp|GIF Files(*.gif)|*.gif|PNG Files(*.png)|*.png|All Files(*.*)|*.*";

    explicit ToolBarCommands(ToolBarTargets targets);

    // The one entry for every tool-bar button and the menu items that stand for them.
    void CmdToolsBar_Click(int Index);

private:
    void openAFile();
    void exchangeSelected(int offset);

    ToolBarTargets m_t;
};
