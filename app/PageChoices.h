#pragma once

#include "conversion/PageDescription.h"

#include <QString>

// The page controls' paper size, orientation, margin and whether the original is kept, kept between sessions in a state
// file of their own beside the window's (never in the settings file, which keeps its own lines).

// The choices the file keeps, each in place of the one in defaults; a missing or unusable file or value keeps the
// default.
[[nodiscard]] PageDescription readPageChoices(const QString& stateFile, PageDescription defaults);
// Quietly does nothing where the file cannot be written: the controls then start at their defaults.
void writePageChoices(const QString& stateFile, const PageDescription& description);
