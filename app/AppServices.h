#pragma once

#include <QString>
#include <functional>
#include <memory>

class Clock;
class ConversionStages;
class DocumentOpener;
class MessageBoxes;
class PropertyStore;
class Skin;
class SystemDialogs;

// Everything the main window reaches outside itself. main.cpp hands in the real ones, tests scripted ones.
struct AppServices
{
    SystemDialogs* dialogs = nullptr;
    MessageBoxes* messages = nullptr;
    DocumentOpener* opener = nullptr;
    Clock* clock = nullptr;
    Skin* skin = nullptr;
    PropertyStore* previewStore = nullptr;
    std::function<std::unique_ptr<ConversionStages>()> makeStages;
    QString programFolder; // the settings file lives here; Browse falls back to it
    QString homeFolder;    // the output folder starts below it
    // The user's configuration folder (the system's one when empty): the settings file lives there when the
    // program folder cannot be written, or always when the program runs from its installed place.
    QString configFolder;
    bool installedProgram = false;
};
