#pragma once

#include <QtGlobal>

// Dead: no such process, or a zombie that waits for whoever adopted it to reap it. Nothing of it runs any more.
[[nodiscard]] bool processGone(qint64 pid);
