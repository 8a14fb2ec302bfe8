#include "dialogs/DialogFilters.h"

namespace {

// "*.*" means every file to the classic dialogs, names without a dot included; to Qt it would demand a dot.
QString qtPattern(const QString& pattern)
{
    return pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern;
}

} // namespace

QList<FileTypeFilter> parseFileTypeFilter(const QString& filter)
{
    QList<FileTypeFilter> types;
    const QStringList pieces = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        FileTypeFilter type;
        type.description = pieces.at(i);
        for (const QString& pattern : pieces.at(i + 1).split(QLatin1Char(';'))) {
            const QString trimmed = pattern.trimmed();
            if (!trimmed.isEmpty()) {
                type.patterns.append(trimmed);
            }
        }
        if (!type.patterns.isEmpty()) {
            types.append(type);
        }
    }
    return types;
}

QString qtNameFilter(const FileTypeFilter& type)
{
    QStringList patterns;
    for (const QString& pattern : type.patterns) {
        patterns.append(qtPattern(pattern));
    }
    const QString description = type.description.isEmpty() ? type.patterns.join(QLatin1Char(';')) : type.description;
    return description + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QStringList qtNameFilters(const QList<FileTypeFilter>& types)
{
    QStringList filters;
    for (const FileTypeFilter& type : types) {
        filters.append(qtNameFilter(type));
    }
    return filters;
}

QString defaultSuffix(const FileTypeFilter& type)
{
    if (type.patterns.isEmpty() || !type.patterns.constFirst().startsWith(QLatin1String("*."))) {
        return {};
    }
    const QString suffix = type.patterns.constFirst().mid(2);
    for (const QChar c : suffix) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('[') || c == QLatin1Char(']')) {
            return {};
        }
    }
    return suffix;
}
