#pragma once

#include "conversion/ConversionStages.h"
#include "conversion/PageDescription.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What a run from the terminal (pagewell -o OUT.pdf ...) is asked to do.
struct TerminalRequest
{
    QByteArray destination;   // as typed; "-" for standard output
    QList<QByteArray> inputs; // files and folders in the order given, as the file system's bytes
    DocumentInfo info;
    PageDescription page;
    bool quiet = false;
};

// What an argument is among the options of a run from the terminal.
struct TerminalOption
{
    bool known = false;             // one of its options
    bool isOutput = false;          // -o or --output, which makes the run one from the terminal
    bool takesNextArgument = false; // its value is the next argument, not given with it ("--title=Report")
};
[[nodiscard]] TerminalOption terminalOption(const QByteArray& argument);

// The window's first values: its document fields, a creation date of now (the date string given), its quality and
// its page controls' first positions.
[[nodiscard]] TerminalRequest windowDefaults(const QString& now);

// Reads the arguments after the program's name of a run with -o over defaults. Nothing for a usage error, with the
// sentence that says what is wrong (in the user's language) in *error.
[[nodiscard]] std::optional<TerminalRequest> readTerminalRequest(const QList<QByteArray>& arguments,
                                                                 TerminalRequest defaults, QString* error);
