#include "app/PdfDate.h"

#include "platform/Clock.h"

#include <QRegularExpression>

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

std::optional<QString> checkedPdfDate(const QString& text)
{
    static const QRegularExpression pdfForm(QStringLiteral(
        "^D:(\\d{4})(\\d\\d)?(\\d\\d)?(\\d\\d)?(\\d\\d)?(\\d\\d)?(?:Z|[+-](\\d\\d)(?:'(\\d\\d)'?)?)?\\z"));
    const QRegularExpressionMatch match = pdfForm.match(text);
    if (!match.hasMatch()) {
        const QDateTime moment = QDateTime::fromString(text, Qt::ISODate);
        return moment.isValid() ? std::optional<QString>(pdfDateString(moment)) : std::nullopt;
    }
    // A part left out is the first of its range.
    const auto part = [&match](int group, int absent) {
        return match.hasCaptured(group) ? match.captured(group).toInt() : absent;
    };
    const bool exists = QDate(part(1, 1), part(2, 1), part(3, 1)).isValid() && part(4, 0) < 24 && part(5, 0) < 60 &&
                        part(6, 0) < 60 && part(7, 0) < 24 && part(8, 0) < 60;
    return exists ? std::optional<QString>(text) : std::nullopt;
}
