#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One file type of a dialog filter written the classic way, "description|pattern;pattern|...".
struct FileTypeFilter
{
    QString description;
    QStringList patterns; // as written, e.g. "*.jpg"; never empty
};

// Splits "desc|pattern|desc|pattern..." into file types. A description without a pattern (a trailing "|",
// an odd piece at the end) and a type whose pattern is blank are left out, as the classic dialogs ignored them.
[[nodiscard]] QList<FileTypeFilter> parseFileTypeFilter(const QString& filter);

// The filter as Qt's file dialog wants it: "description (patterns)", Qt taking the last parenthesised group as the
// patterns. A description that already ends in its own patterns shows them once: "JPG Files(*.jpg)" stays as it is,
// "All Files(*.*)" becomes "All Files (*)", which Qt reads as every file.
[[nodiscard]] QString qtNameFilter(const FileTypeFilter& type);
[[nodiscard]] QStringList qtNameFilters(const QList<FileTypeFilter>& types);

// The extension a typed name without one receives when this type is selected: "pdf" for "*.pdf",
// nothing for "*.*", "*" or any pattern that is not a plain "*.ext".
[[nodiscard]] QString defaultSuffix(const FileTypeFilter& type);
