#pragma once

#include <QLoggingCategory>

// What pdftk's program side did (each call, warm or as a process, its argument count and how it ended), shown with
// QT_LOGGING_RULES="pagewell.pdftk=true"; silent by default.
Q_DECLARE_LOGGING_CATEGORY(lcPdftk)
