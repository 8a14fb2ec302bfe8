#pragma once

#include "conversion/ConversionStages.h"
#include "conversion/PageDescription.h"

#include <QString>

class QWidget;

// What a run reads from and shows in the main window. The window's widgets stay the only store of the list and
// the fields; the run asks for them when it needs them and never holds a widget.
class RunWindow
{
public:
    virtual ~RunWindow() = default;

    // The window that owns messages, dialogs and the page library's boxes.
    [[nodiscard]] virtual QWidget* owner() = 0;
    [[nodiscard]] virtual int entryCount() const = 0;
    [[nodiscard]] virtual ImageFile entry(int index) const = 0;
    // The page as the page controls (the quality slider) stand now.
    [[nodiscard]] virtual PageDescription pageDescription() const = 0;
    [[nodiscard]] virtual DocumentInfo documentInfo() const = 0;
    [[nodiscard]] virtual QString outputFolder() const = 0;
    virtual void setOutputFolder(const QString& folder) = 0;
    // Busy: the convert button says so and is disabled, the tool bar too. Not busy: the button is back.
    virtual void setBusy(bool busy) = 0;
    // A locked list takes no drops and no tool-bar changes.
    virtual void setListLocked(bool locked) = 0;
    virtual void setProgressText(const QString& text) = 0;
    virtual void setProgressPercent(int percent) = 0;
    virtual void selectEntry(int index) = 0;
    // Asks where to save; empty when the user cancelled.
    [[nodiscard]] virtual QString askSaveFile(const QString& title, const QString& filter) = 0;
    // The document was saved: the list and the preview empty, and the user hears it.
    virtual void clearAfterSave() = 0;
    // Gives the focus to each tool-bar button in turn; with enable, each is enabled first.
    virtual void sweepToolBar(bool enable) = 0;
    virtual void saveSettings() = 0;
};
