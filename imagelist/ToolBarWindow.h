#pragma once

#include <QString>

#include <optional>

// What the tool-bar commands need of the main window beyond the list itself.
class ToolBarWindow
{
public:
    virtual ~ToolBarWindow() = default;

    // True while a run or a folder search owns the list.
    [[nodiscard]] virtual bool listLocked() const = 0;
    virtual void hideDropPanel() = 0;
    virtual void repaintWindow() = 0;
    // Gives the focus to each tool-bar button in turn, ending on the last that can take it.
    virtual void sweepToolBar() = 0;
    // Asks for a folder and starts appending its images; the list is locked until all have joined.
    virtual void addFolder() = 0;
    virtual void exitProgram() = 0;
    // Asks for one file to open; nothing when the user cancelled.
    [[nodiscard]] virtual std::optional<QString> askOpenFile(const QString& title, const QString& filter) = 0;
    // Shows the file in the preview; a file the preview cannot show leaves it as it was.
    virtual void showInPreview(const QString& path) = 0;
    virtual void clearPreview() = 0;
    // Entries were turned: the preview follows when it shows one of them.
    virtual void entriesTurned() = 0;
    virtual void setDocumentTitle(const QString& title) = 0;
};
