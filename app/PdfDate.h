#pragma once

#include <QDateTime>
#include <QString>

class Clock;

// "D:YYYYMMDDHHmmSS+hh'mm": the moment's date and time in whole seconds, followed by its real offset from UT
// ("+01'00", "-06'00", "+05'30"; "+00'00" for UT itself, never "Z"). Date, time and offset all come from the
// one moment passed in, so they always belong together. An invalid moment gives an empty string.
QString pdfDateString(const QDateTime& moment);

// The date string of the clock's current local time, read once.
QString pdfDateString(const Clock& clock);
