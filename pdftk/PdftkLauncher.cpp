#include "pdftk/PdftkLauncher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

namespace {

// A launcher script is small; anything larger is the program itself.
constexpr qint64 kMaxScriptBytes = 64 * 1024;

QString unquoted(QString text)
{
    if (text.size() >= 2 && (text.front() == QLatin1Char('"') || text.front() == QLatin1Char('\'')) &&
        text.back() == text.front()) {
        return text.mid(1, text.size() - 2);
    }
    return text;
}

// $NAME and ${NAME} as the shell expands them: the script's own variables first, then the environment.
QString expanded(const QString& text, const QHash<QString, QString>& variables)
{
    static const QRegularExpression reference(QStringLiteral(R"(\$(?:\{([A-Za-z_]\w*)\}|([A-Za-z_]\w*)))"));
    QString result;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& match : reference.globalMatch(text)) {
        const QString name = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
        result += text.mid(from, match.capturedStart() - from);
        result += variables.contains(name) ? variables.value(name) : qEnvironmentVariable(name.toUtf8().constData());
        from = match.capturedEnd();
    }
    return result + text.mid(from);
}

// A Java runtime's program: `java` is looked up on the search path, as the shell does.
QString javaProgram(const QString& word)
{
    return word.contains(QLatin1Char('/')) ? word : QStandardPaths::findExecutable(word);
}

// The class path and main class of a line `[exec] java ... -cp CLASSPATH CLASS "$@"`, words already expanded.
bool readJavaLine(const QStringList& words, PdftkLauncher* launcher)
{
    static const QRegularExpression className(QStringLiteral(R"(^[A-Za-z_$][\w$]*(\.[A-Za-z_$][\w$]*)+$)"));
    qsizetype at = words.value(0) == QLatin1String("exec") ? 1 : 0;
    if (QFileInfo(words.value(at)).fileName() != QLatin1String("java")) {
        return false;
    }
    const QString java = javaProgram(words.value(at));
    for (++at; at + 2 < words.size(); ++at) {
        const QString& word = words[at];
        if (word == QLatin1String("-cp") || word == QLatin1String("-classpath") ||
            word == QLatin1String("--class-path")) {
            break;
        }
        if (!word.startsWith(QLatin1Char('-'))) {
            return false; // a jar or class before the class path: not the launcher we know
        }
    }
    if (at + 2 >= words.size() || !className.match(words[at + 2]).hasMatch() ||
        words.value(at + 3) != QLatin1String("$@") || at + 4 != words.size()) {
        return false;
    }
    QStringList jars = words[at + 1].split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& jar : std::as_const(jars)) {
        if (!QFileInfo(jar).isAbsolute() || !QFileInfo(jar).isFile()) {
            return false;
        }
    }
    launcher->classPath = jars.join(QLatin1Char(':'));
    launcher->mainClass = words[at + 2];
    launcher->jvmLibrary = jvmLibraryOf(java);
    return true;
}

} // namespace

QString jvmLibraryOf(const QString& java)
{
    const QString real = QFileInfo(java).canonicalFilePath();
    if (real.isEmpty()) {
        return {};
    }
    QDir home = QFileInfo(real).dir();
    home.cdUp();
    for (const char* candidate : {"lib/server/libjvm.so", "lib/client/libjvm.so"}) {
        const QString library = home.filePath(QLatin1String(candidate));
        if (QFileInfo(library).isFile()) {
            return library;
        }
    }
    return {};
}

PdftkLauncher readPdftkLauncher(const QString& program)
{
    QFile script(program);
    if (QFileInfo(program).size() > kMaxScriptBytes || !script.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString text = QString::fromUtf8(script.readAll());
    if (!text.startsWith(QLatin1String("#!"))) {
        return {};
    }
    static const QRegularExpression assignment(QStringLiteral(R"(^([A-Za-z_]\w*)=(\S*)$)"));
    static const QRegularExpression word(QStringLiteral(R"("[^"]*"|'[^']*'|\S+)"));
    QHash<QString, QString> variables;
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (const QRegularExpressionMatch set = assignment.match(line); set.hasMatch()) {
            variables.insert(set.captured(1), expanded(unquoted(set.captured(2)), variables));
            continue;
        }
        QStringList words;
        for (const QRegularExpressionMatch& match : word.globalMatch(line)) {
            const QString raw = match.captured();
            // "$@" stays as it is: it is where pdftk's arguments go.
            words << (unquoted(raw) == QLatin1String("$@") ? QStringLiteral("$@")
                      : raw.startsWith(QLatin1Char('\''))  ? unquoted(raw)
                                                           : expanded(unquoted(raw), variables));
        }
        PdftkLauncher launcher;
        if (readJavaLine(words, &launcher)) {
            return launcher.isValid() ? launcher : PdftkLauncher{};
        }
    }
    return {};
}
