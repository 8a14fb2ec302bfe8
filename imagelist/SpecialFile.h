#pragma once

// The special-file check lives in platform/PosixFile.h; this name stays only until its last includer moves there.
#include "platform/PosixFile.h"
