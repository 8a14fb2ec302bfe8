#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

class Clock;

// "D:YYYYMMDDHHmmSS+hh'mm": the moment's date and time in whole seconds, followed by its real offset from UT
// ("+01'00", "-06'00", "+05'30"; "+00'00" for UT itself, never "Z"). Date, time and offset all come from the
// one moment passed in, so they always belong together. An invalid moment gives an empty string.
QString pdfDateString(const QDateTime& moment);

// The date string of the clock's current local time, read once.
QString pdfDateString(const Clock& clock);

// A creation date as a user gives it, in the form the document takes: a PDF date ("D:YYYYMMDDHHmmSS+hh'mm" as the
// window writes it, or a shorter form the PDF format allows, down to "D:YYYY", with "Z", "+hh", "+hh'mm" or
// "+hh'mm'") kept as given, or an ISO 8601 date or date and time ("2024-05-31", "2024-05-31T14:30:00+02:00"; local
// time without an offset) turned into a PDF date. Nothing for any other text or for a day or time that does not
// exist (30 February, 24:00).
[[nodiscard]] std::optional<QString> checkedPdfDate(const QString& text);
