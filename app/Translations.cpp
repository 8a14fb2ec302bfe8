#include "app/Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>

namespace {

// Where the build puts the program's catalogues, one per language: pagewell_de.qm, pagewell_fr.qm.
const QString kCatalogueFolder = QStringLiteral(":/translations");

// "de_DE.UTF-8", "de_AT@euro", "de-CH" and "de" all give "de"; "C" and "POSIX" give themselves.
QString languageOf(const QString& entry)
{
    QString language = entry.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    language = language.section(QLatin1Char('_'), 0, 0).section(QLatin1Char('-'), 0, 0);
    return language.toLower();
}

bool meansEnglish(const QString& language)
{
    return language == QLatin1String("en") || language == QLatin1String("c") || language == QLatin1String("posix");
}

} // namespace

Translations::Translations(const QStringList& languages)
{
    for (const QString& entry : languages) {
        const QString language = languageOf(entry);
        if (language.isEmpty()) {
            continue;
        }
        if (meansEnglish(language)) {
            return;
        }
        if (m_program.load(QStringLiteral("pagewell_") + language, kCatalogueFolder)) {
            m_language = language;
            break;
        }
    }
    if (m_language.isEmpty()) {
        return;
    }
    QCoreApplication::installTranslator(&m_program);
    // Qt's own texts come from the system's Qt translations; without them Qt's buttons stay in English.
    if (m_qt.load(QStringLiteral("qtbase_") + m_language, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&m_qt);
    }
}

Translations::~Translations()
{
    QCoreApplication::removeTranslator(&m_qt);
    QCoreApplication::removeTranslator(&m_program);
}

QStringList userLanguages()
{
    QString messages;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        messages = qEnvironmentVariable(variable);
        if (!messages.isEmpty()) {
            break;
        }
    }
    if (messages.isEmpty() || meansEnglish(languageOf(messages))) {
        return {};
    }
    QStringList languages = qEnvironmentVariable("LANGUAGE").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    languages.append(messages);
    return languages;
}
