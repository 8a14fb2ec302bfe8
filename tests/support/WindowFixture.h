#pragma once

#include "app/frmPrinting.h"
#include "doubles/ScriptedDesktop.h"
#include "doubles/ScriptedStages.h"
#include "support/TestFolder.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <chrono>
#include <memory>

// The main window with every outside service scripted. The program folder and home are scratch folders.
// By default runs use ScriptedStages; useRealStages() builds the real ones instead.
struct WindowFixture : ScriptedDesktop
{
    explicit WindowFixture(const QDateTime& now = QDateTime(QDate(2026, 12, 7), QTime(9, 30, 15)));

    // Runs use the real stages: FreeImage, our page library, pdftk (this program, or the one found), with the
    // workspace made under workspaceParent so that a test can see that nothing is left behind.
    void useRealStages(const QString& pdftkProgram = {});

    // Creates the window (start-up runs here), so that a test can prepare the program folder first.
    frmPrinting& open();

    template <typename T> T* find(const QString& name) const { return window->findChild<T*>(name); }
    QAbstractButton* toolButton(int index) const;
    QListWidget* list() const { return find<QListWidget>(QStringLiteral("List1")); }
    QStringList entries() const;
    void addEntries(const QStringList& paths) const;
    QString text(const QString& name) const; // a QLineEdit's or QLabel's text
    // Clicks the button; a click that starts a run or a folder search returns once it has ended.
    void click(const QString& buttonName) const;
    // Until no run and no folder search is under way (one started by a key or a menu, say).
    void waitUntilIdle() const;

    TestFolder folder;
    QString programFolder;
    QString homeFolder;
    QString windowStateFile; // where the window is remembered; empty: nowhere (the user's own is never touched)
    std::shared_ptr<ScriptedStages::Log> stagesLog = std::make_shared<ScriptedStages::Log>();
    StagesFactory makeStages;
    QString workspaceParent;
    std::chrono::seconds readerTimeout{0}; // how long the image reader may take over one image; 0: its default
    std::unique_ptr<frmPrinting> window;
};
