#pragma once

#include <QString>

// The open dialog's filter, "description|patterns|...", in the user's language: the format table's file types, then
// every file. A translation changes the descriptions only, never the patterns.
QString openDialogFilter();
