#pragma once

#include "app/frmPrinting.h"
#include "bench/TimedStages.h"
#include "platform/Clock.h"
#include "platform/DocumentOpener.h"
#include "platform/PropertyStore.h"
#include "platform/ScriptedMessageBoxes.h"
#include "platform/ScriptedSkin.h"
#include "platform/ScriptedSystemDialogs.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <memory>

// The real window with the real stages, its dialogs answered by script: the same set-up as the tests' window
// fixture, kept to what a benchmark needs. Settings and the workspace go to a scratch folder.
class BenchWindow
{
public:
    // keepPagesIn: see TimedStages.
    explicit BenchWindow(const QString& scratchParent, QString keepPagesIn = {});

    [[nodiscard]] bool isValid() const { return m_scratch.isValid(); }
    frmPrinting& window() { return *m_window; }
    template <typename T> T* find(const QString& name) const { return m_window->findChild<T*>(name); }

    ScriptedSystemDialogs dialogs;
    ScriptedMessageBoxes messages;
    StageTimes times;
    // Nanoseconds on `clock` when the finished document was handed to the opener (just after "Done.").
    qint64 openedAtNs = -1;
    QElapsedTimer clock;

private:
    class Opener final : public DocumentOpener
    {
    public:
        explicit Opener(BenchWindow& owner) : m_owner(owner) {}
        bool openUrl(const QUrl&) override;

    private:
        BenchWindow& m_owner;
    };

    QTemporaryDir m_scratch;
    Opener m_opener{*this};
    SystemClock m_systemClock;
    ScriptedSkin m_skin;
    MemoryPropertyStore m_previewStore;
    std::unique_ptr<frmPrinting> m_window;
};
