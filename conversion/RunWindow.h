#pragma once

#include "conversion/ConversionStages.h"
#include "conversion/PageDescription.h"

#include <QString>

class QWidget;

// What a run reads from the main window and sets in it. The window's widgets stay the only store of the list and
// the fields; the run asks for them when it needs them and never holds a widget. What it shows (progress, messages,
// the save question, its end) it reports by ConversionRun's signals.
class RunWindow
{
public:
    virtual ~RunWindow() = default;

    // The window that owns messages, dialogs and the page library's boxes; nullptr for a run without a window.
    [[nodiscard]] virtual QWidget* owner() = 0;
    [[nodiscard]] virtual int entryCount() const = 0;
    [[nodiscard]] virtual ImageFile entry(int index) const = 0;
    // The page as the page controls (the quality slider) stand now.
    [[nodiscard]] virtual PageDescription pageDescription() const = 0;
    [[nodiscard]] virtual DocumentInfo documentInfo() const = 0;
    // Made (one level) as the run starts; empty for none.
    [[nodiscard]] virtual QString outputFolder() const = 0;
    virtual void setOutputFolder(const QString& folder) = 0;
    // Busy: the convert button says so and is disabled, the tool bar too. Not busy: the button is back.
    virtual void setBusy(bool busy) = 0;
    // A locked list takes no drops and no tool-bar changes.
    virtual void setListLocked(bool locked) = 0;
    virtual void selectEntry(int index) = 0;
    // Gives the focus to each tool-bar button in turn; with enable, each is enabled first.
    virtual void sweepToolBar(bool enable) = 0;
    virtual void saveSettings() = 0;
    // Whether a save that fails asks again where to save (the window's user may choose another name), or ends the
    // run as any other failure does (nobody is there to choose).
    [[nodiscard]] virtual bool asksAgainAfterFailedSave() const { return true; }
};
