#pragma once

#include <QString>

// The small files the window keeps its state in beside each other (where it stood, the page choices), read and written
// with QSettings. QSettings reads a file whole, with no limit, and merges it into what it writes: a file larger than a
// few KiB, or one that is not a plain file, is no state file of ours.

// Whether the file is there to be read: a plain file (or a link to one) of at most a few KiB.
[[nodiscard]] bool stateFileReadable(const QString& stateFile);

// Whether QSettings may write the file: it is missing or readable. A plain file too large to be read is removed
// first, so that it is replaced, not added to; a link to one is left as it is, with what it points to, and false.
[[nodiscard]] bool stateFileWritable(const QString& stateFile);
