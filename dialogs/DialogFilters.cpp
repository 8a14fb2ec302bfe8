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
    const QString qtGroup = QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    if (type.description.isEmpty()) {
        return type.patterns.join(QLatin1Char(';')) + QLatin1Char(' ') + qtGroup;
    }
    for (const QLatin1Char separator : {QLatin1Char(';'), QLatin1Char(' ')}) {
        const QString ownGroup = QLatin1Char('(') + type.patterns.join(separator) + QLatin1Char(')');
        if (type.description.endsWith(ownGroup, Qt::CaseInsensitive)) {
            if (type.description.endsWith(qtGroup)) {
                return type.description;
            }
            return type.description.chopped(ownGroup.size()).trimmed() + QLatin1Char(' ') + qtGroup;
        }
    }
    return type.description + QLatin1Char(' ') + qtGroup;
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
