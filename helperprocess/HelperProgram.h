#pragma once

#include <QString>

// The helper programs this program starts (the image reader, pdftk's host): where they are, how they are started
// and how they are ended, all of one piece.

// The helper program called `name`: in the build folder when this program runs from it, beside the running
// program, in ../libexec/pagewell/ from it, or where it was configured to be installed; empty when none is there.
[[nodiscard]] QString locateHelperProgram(const QString& name);

// For a child process modifier, so only what may run between fork and exec: the child gets its own session and
// process group, so that a kill reaches everything it is; dies with this program; never leaves a core file; and
// `socket` becomes its descriptor `descriptor`, kept open across exec.
void enterHelperSession(int socket, int descriptor);

// Kills the process group that `leader` leads (nothing for a leader of 0 or less, a process never started).
void killProcessGroup(qint64 leader);
