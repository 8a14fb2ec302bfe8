#pragma once

#include "app/QualityLabels.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The settings file keeps four document-information fields and the quality between runs of the program: five
// lines, each value in double quotes without escaping, UTF-8, every line ending in CR LF:
//     "New PDF Document"
//     "Pagewell"
//     "New Subject"
//     ""
//     "80"

struct SettingsValues
{
    QString title;
    QString author;
    QString subject;
    QString keywords;
    int quality = kSliderDefaultQuality;
};

// What could be read; a value that could not be read is left empty (std::nullopt) and its field keeps its text.
struct SettingsRead
{
    std::optional<QString> title;
    std::optional<QString> author;
    std::optional<QString> subject;
    std::optional<QString> keywords;
    // The fifth value as a 16-bit whole number; whether the slider takes it is qualityWithinRange()'s call.
    std::optional<int> quality;
};

// programFolder + "/setting.dll".
QString settingsFilePath(const QString& programFolder);

// Where to keep the settings: beside the program when its folder can be written, otherwise (an installed program)
// in fallbackFolder, typically the user's configuration folder, under the same name. Use the one answer both for
// reading at start-up and for writing, so the two always meet.
QString settingsFileLocation(const QString& programFolder, const QString& fallbackFolder);

// The file's exact bytes. A line break or other control character (tabs aside) inside a value is written as a
// blank: the format has one line per value and no escapes, so a line break would shift every value after it.
QByteArray formatSettings(const SettingsValues& values);

// Replaces the file as a whole: the bytes go to a temporary file beside it, which is then renamed over it, so a
// crash or a full disk never leaves half a file. The folder is made when missing. Only an ordinary file (or a link to
// one) is ever replaced: a FIFO, socket or device under this name, or a link to one of those or to nothing, is left
// as it is and the write fails. On failure returns false and, when error is given, a sentence naming the file and
// the cause.
[[nodiscard]] bool writeSettingsFile(const QString& path, const SettingsValues& values, QString* error);

// Never fails and never reports: a missing file, a folder, a FIFO or device, or an unreadable file gives nothing
// (only an ordinary file, or a link to one, is read, and opening it cannot block). At most five lines are looked at
// and at most a fixed number of bytes is read, so a huge file, or one endless line, costs no more than a small one.
// Lines may end in CR LF, LF or CR. Each value: blanks (spaces, tabs) skipped; a value starting with a double quote
// is the text between that quote and the last quote on its line (so a value holding quotes comes back whole) and
// ends its line; otherwise the value runs to the next comma or the line's end, blanks trimmed. A line that is too
// long, holds a control character other than a tab, or is not valid UTF-8 (binary data) gives no value. Values after
// the file's end are absent.
SettingsRead readSettingsFile(const QString& path);

// The fifth value's rule: blanks around it ignored, a fraction rounded to the nearest whole number with halves
// going to the even neighbour (80.5 -> 80, 81.5 -> 82); nothing when it is not a plain decimal number or does not
// fit in 16 bits.
std::optional<int> parseQuality(const QString& text);

// The quality when the slider can take it (kMinimumQuality..kMaximumQuality), otherwise nothing.
std::optional<int> qualityWithinRange(std::optional<int> quality);
