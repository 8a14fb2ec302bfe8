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
};

class ToolBarCommands
{
public:
    // Shown in the user's language: a translation changes the descriptions only, never the patterns.
    static constexpr auto kImageFilter = QT_TRANSLATE_NOOP(
        "ToolBarCommands",
        "JPG Files(*.jpg)|*.jpg|JPEG Files(*.jpeg)|*.jpeg|TIF Files(*.tif)|*.tif|TIFF Files(*.tiff)|*.tiff|"
        "BMP Files(*.BMP)|*.bmp|GIF Files(*.gif)|*.gif|PNG Files(*.png)|*.png|HEIC Files(*.heic;*.heif)|*.heic;*.heif|"
        "AVIF Files(*.avif)|*.avif|WebP Files(*.webp)|*.webp|JPEG XL Files(*.jxl)|*.jxl|All Files(*.*)|*.*");

    // Both are owned by the main window.
    ToolBarCommands(QListWidget& list, ToolBarWindow& window);

    // The one entry for every tool-bar button (by ToolBarIndex) and the menu items that stand for them.
    void run(int index);

private:
    void openAFile();
    void exchangeSelected(int offset);

    QListWidget& m_list;
    ToolBarWindow& m_window;
};
