#include "app/PdfDate.h"

#include "platform/Clock.h"

#include <cstdlib>

QString pdfDateString(const QDateTime& moment)
{
    if (!moment.isValid()) {
        return {};
    }
    const int offsetSeconds = moment.offsetFromUtc();
    // Historical zones can carry offsets with seconds; the PDF form has room for whole minutes only.
    const int offsetMinutes = std::abs(offsetSeconds) / 60;
    const QChar sign = offsetSeconds < 0 ? QLatin1Char('-') : QLatin1Char('+');
    return QStringLiteral("D:") + moment.toString(QStringLiteral("yyyyMMddHHmmss")) + sign +
           QStringLiteral("%1'%2")
               .arg(offsetMinutes / 60, 2, 10, QLatin1Char('0'))
               .arg(offsetMinutes % 60, 2, 10, QLatin1Char('0'));
}

QString pdfDateString(const Clock& clock)
{
    return pdfDateString(clock.now());
}
