#pragma once

#include <QLoggingCategory>

// What the image reader's program side did (which helper it started, each request and how it ended), shown with
// QT_LOGGING_RULES="pagewell.reader=true"; silent by default.
Q_DECLARE_LOGGING_CATEGORY(lcReader)
