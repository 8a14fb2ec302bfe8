#pragma once

#include <QString>

// The helper program called `name`: in the build folder when this program runs from it, beside the running
// program, in ../libexec/pagewell/ from it, or where it was configured to be installed; empty when none is there.
[[nodiscard]] QString locateHelperProgram(const QString& name);
