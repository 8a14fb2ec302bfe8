#pragma once

#include "app/Desktop.h"
#include "app/frmPrinting.h"
#include "bench/TimedStages.h"
#include "doubles/MeasuredPdftk.h"
#include "doubles/ScriptedDocumentOpener.h"
#include "doubles/ScriptedMessageBoxes.h"
#include "doubles/ScriptedSkin.h"
#include "doubles/ScriptedSystemDialogs.h"
#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <memory>

class WarmPdftk;

// The real window with the real stages, its dialogs answered by script and the real clock. Settings and the
// workspace go to a scratch folder.
class BenchWindow
{
public:
    // keepPagesIn: see TimedStages. joinFiles: the join's bound on files per pdftk call; 0 for the program's own.
    explicit BenchWindow(const QString& scratchParent, QString keepPagesIn = {}, int joinFiles = 0);

    [[nodiscard]] bool isValid() const { return m_scratch.isValid(); }
    frmPrinting& window() { return *m_window; }
    template <typename T> T* find(const QString& name) const { return m_window->findChild<T*>(name); }

private:
    Desktop<ScriptedSystemDialogs, ScriptedMessageBoxes, ScriptedDocumentOpener, SystemClock, ScriptedSkin> m_desktop;

public:
    ScriptedSystemDialogs& dialogs = m_desktop.dialogs;
    ScriptedMessageBoxes& messages = m_desktop.messages;
    StageTimes times;
    // Nanoseconds on `clock` when the finished document was handed to the opener (just after "Done.").
    qint64 openedAtNs = -1;
    QElapsedTimer clock;

private:
    QTemporaryDir m_scratch;
    MeasuredPdftk* m_lastPdftk = nullptr; // the pdftk of the latest run's stages
    WarmPdftk* m_lastWarm = nullptr;      // ... and the warm pdftk inside it
    std::unique_ptr<frmPrinting> m_window;
};
