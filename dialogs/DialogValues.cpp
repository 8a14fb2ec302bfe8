#include "dialogs/DialogValues.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

QString textBeforeNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString folderOfFile(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) {
        return {};
    }
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString nameOfFile(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QColor colorFromColorRef(quint32 colorRef)
{
    return QColor(int(colorRef & 0xFF), int((colorRef >> 8) & 0xFF), int((colorRef >> 16) & 0xFF));
}

quint32 colorRefFromColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

int mulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0) {
        return -1;
    }
    const std::int64_t product = std::int64_t(number) * numerator;
    const std::int64_t magnitude =
        (std::abs(product) + std::abs(std::int64_t(denominator)) / 2) / std::abs(std::int64_t(denominator));
    const std::int64_t result = ((product < 0) != (denominator < 0)) ? -magnitude : magnitude;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min()) {
        return -1;
    }
    return int(result);
}

int fontPixelHeight(int points, int dpiY)
{
    return -mulDiv(points, dpiY, 72);
}

QString fontRequestFamily(const QString& fontName)
{
    constexpr qsizetype kMaxCharacters = 31;
    QString family = textBeforeNul(fontName);
    if (family.size() > kMaxCharacters) {
        qsizetype cut = kMaxCharacters;
        if (family.at(cut - 1).isHighSurrogate()) {
            --cut;
        }
        family.truncate(cut);
    }
    return family;
}
