#include "app/QualityLabels.h"

#include <QCoreApplication>

QString qualityPercentText(int position)
{
    return QString::number(position) + QLatin1Char('%');
}

QString qualityWord(int position)
{
    if (position > 79) {
        return QCoreApplication::translate("QualityLabels", "Best");
    }
    if (position > 59) {
        return QCoreApplication::translate("QualityLabels", "Good");
    }
    if (position > 29) {
        return QCoreApplication::translate("QualityLabels", "Medium");
    }
    return QCoreApplication::translate("QualityLabels", "Low");
}
