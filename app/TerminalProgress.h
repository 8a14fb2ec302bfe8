#pragma once

#include <QString>

#include <cstdio>

// Text from outside (a file name, a helper's words) made plain for a terminal: every control character, escape
// sequences' among them, becomes "?", so that nothing it holds is taken by the terminal as a command. Line breaks
// stay where keepLineBreaks.
[[nodiscard]] QString terminalText(const QString& text, bool keepLineBreaks = false);

// A run's progress and messages on standard error. On a terminal the progress is one line that redraws; elsewhere
// (a log, a pipe) each change is a line of its own; quiet shows none. Messages are always shown, each on lines of
// their own after "pagewell: ".
class TerminalProgress
{
public:
    TerminalProgress(std::FILE* stream, bool redraw, bool quiet);
    // A redrawn line still open is ended.
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // The state the run is in now; the same state again shows nothing new.
    void show(const QString& line);
    // A message for the user, already in plain text.
    void message(const QString& text);

private:
    void endLine();
    void write(const QString& text);

    std::FILE* m_stream;
    bool m_redraw;
    bool m_quiet;
    QString m_shown;     // the progress line last drawn
    bool m_open = false; // a redrawn line waits for its next state
};
