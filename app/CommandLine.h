#pragma once

#include <QString>
#include <QStringList>

// The files named on the command line (a desktop entry's %F), each as a full path: a relative path is taken from
// workingFolder, a file: URL becomes its local path. Whether they are images is the list's business.
[[nodiscard]] QStringList commandLineFiles(const QStringList& arguments, const QString& workingFolder);
