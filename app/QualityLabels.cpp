#include "app/QualityLabels.h"

QString qualityPercentText(int position)
{
    return QString::number(position) + QLatin1Char('%');
}

QString qualityWord(int position)
{
    if (position > 79) {
        return QStringLiteral("Best");
    }
    if (position > 59) {
        return QStringLiteral("Good");
    }
    if (position > 29) {
        return QStringLiteral("Medium");
    }
    return QStringLiteral("Low");
}
