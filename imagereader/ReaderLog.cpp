#include "imagereader/ReaderLog.h"

Q_LOGGING_CATEGORY(lcReader, "pagewell.reader", QtWarningMsg)
