#pragma once

// Converts without a window, as `pagewell -o OUT.pdf [OPTION]... FILE_OR_FOLDER...` asks: the window's run over the
// files and folders named, with the window's reader, page library, pdftk and save, reported on standard error. It
// makes a core application of its own (no display is needed) and never reads or writes the settings file.
// Returns the exit status: 0 when the document was saved, 1 when the run failed (a message says why), 2 for a usage
// error. A termination signal stops the run, which removes its workspace and ends its helpers; then the signal ends
// the program as it would have without the run.
[[nodiscard]] int runInTerminal(int argc, char** argv);
