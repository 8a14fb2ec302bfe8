#pragma once

#include "conversion/ConversionRun.h"

#include <QString>

class Clock;
class DocumentOpener;
class MessageBoxes;
class PropertyStore;
class Skin;
class SystemDialogs;

// Everything the main window reaches outside itself. Desktop (Desktop.h) puts them together.
struct AppServices
{
    SystemDialogs* dialogs = nullptr;
    MessageBoxes* messages = nullptr;
    DocumentOpener* opener = nullptr;
    Clock* clock = nullptr;
    Skin* skin = nullptr;
    PropertyStore* previewStore = nullptr;
    StagesFactory makeStages;
    QString programFolder; // the settings file lives here; Browse falls back to it
    QString homeFolder;    // the output folder starts below it
    // The user's configuration folder (the system's one when empty): the settings file lives there when the
    // program folder cannot be written, or always when the program runs from its installed place.
    QString configFolder;
    bool installedProgram = false;
    // Where the window's size, place and maximised state are kept between sessions; empty: nothing is remembered.
    QString windowStateFile;
};
