#pragma once

#include <QString>
#include <QStringList>
#include <QTranslator>

// The program's texts and Qt's own (standard buttons, Qt's dialogs) in the user's language, installed on the
// application for as long as this object lives. English is the language the program is written in: it needs no
// catalogue, and an English or C locale sees the program's texts as they are written.
class Translations
{
public:
    // languages: the user's languages, most preferred first, as userLanguages() gives them. The first one that is
    // English or has a catalogue of this program is used; none of them: English.
    explicit Translations(const QStringList& languages);
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    // The language whose catalogue is installed ("de", "fr"), empty for English.
    [[nodiscard]] QString language() const { return m_language; }

private:
    QTranslator m_program;
    QTranslator m_qt;
    QString m_language;
};

// The user's languages from the environment, as message catalogues take them: the locale of messages is LC_ALL,
// else LC_MESSAGES, else LANG; when it is C or POSIX (or unset) the user reads English whatever LANGUAGE says,
// otherwise LANGUAGE's list (colon-separated) comes first and that locale after it.
[[nodiscard]] QStringList userLanguages();
