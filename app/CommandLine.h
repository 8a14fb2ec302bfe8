#pragma once

#include <QByteArray>
#include <QList>

// The program's arguments after its name, as the file system's bytes (Qt's own copies replace bytes that are not
// UTF-8), without the first "--" (the end of the options; the parser has refused any other option). Call it after
// the application object has taken out the arguments that are its own.
[[nodiscard]] QList<QByteArray> fileArguments(int argc, char** argv);

// The files named on the command line (a desktop entry's %F), each as a full path in the file system's bytes: a
// relative path is taken from workingFolder, a file: URL becomes its local path. Whether they are images is the
// list's business.
[[nodiscard]] QList<QByteArray> commandLineFiles(const QList<QByteArray>& arguments, const QByteArray& workingFolder);
