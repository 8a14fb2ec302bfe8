#include "conversion/RunLog.h"

Q_LOGGING_CATEGORY(lcRun, "pagewell.run", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSave, "pagewell.save", QtWarningMsg)
