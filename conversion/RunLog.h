#pragma once

#include <QLoggingCategory>

// What a conversion run did (its images, how it ended) and its save (the document published where the user chose),
// shown with QT_LOGGING_RULES="pagewell.run=true" and "pagewell.save=true"; silent by default.
Q_DECLARE_LOGGING_CATEGORY(lcRun)
Q_DECLARE_LOGGING_CATEGORY(lcSave)
