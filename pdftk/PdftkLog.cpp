#include "pdftk/PdftkLog.h"

Q_LOGGING_CATEGORY(lcPdftk, "pagewell.pdftk", QtWarningMsg)
