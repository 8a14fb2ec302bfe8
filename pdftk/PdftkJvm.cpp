#include "pdftk/PdftkJvm.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

#include <cstdio>
#include <cstring>

namespace {

// Client compiler only, no shared performance file: a pdftk call is over long before the optimising compiler would
// pay off. A JVM that crashes leaves neither a core nor an error report in the program's working folder (the run
// repeats the call without these options). A JVM that does not know an option ignores it. The JDK's own locale data
// loads faster than the CLDR data a JVM starts with by default; pdftk formats no dates or numbers by locale, so its
// output is the same.
const QString kOptions =
    QStringLiteral("-XX:+IgnoreUnrecognizedVMOptions -XX:TieredStopAtLevel=1 -XX:-UsePerfData -Xshare:auto "
                   "-XX:-CreateCoredumpOnCrash -XX:ErrorFile=/dev/null -Djava.locale.providers=COMPAT");
// With the archive: the collector whose heap the archive's ready-made objects (the module graph, interned strings)
// are mapped into; the JVM skips building them. Without it: the serial collector, the quickest to start.
const QString kWithArchive = QStringLiteral("-XX:+UseG1GC");
const QString kWithoutArchive = QStringLiteral("-XX:+UseSerialGC");

const QString kArchivePrefix = QStringLiteral("pdftk-");
const QString kArchiveSuffix = QStringLiteral(".jsa");
const QString kClassListSuffix = QStringLiteral(".classes");
const QString kRecordingSuffix = QStringLiteral(".tmp");
// A recording older than this was left by a program that did not live to rename it.
constexpr qint64 kStaleRecordingSeconds = 3600;
// A launcher script is small; anything larger is the program itself.
constexpr qint64 kMaxScriptBytes = 64 * 1024;

// Path, size and modification time: what the JVM itself compares to tell an updated jar from an archived one.
void addFileFacts(QCryptographicHash& hash, const QString& path)
{
    const QFileInfo info(path);
    const QString real = info.canonicalFilePath();
    hash.addData(QStringLiteral("%1|%2|%3\n")
                     .arg(real.isEmpty() ? path : real)
                     .arg(info.size())
                     .arg(info.lastModified().toMSecsSinceEpoch())
                     .toUtf8());
}

// A short name for everything the archive depends on: pdftk (and the jars its launcher names), the JVM that the
// launcher finds on the search path, and the options.
QString identityOf(const QString& program)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData((kOptions + kWithArchive).toUtf8());
    addFileFacts(hash, program);
    const QFileInfo programInfo(program);
    QFile launcher(program);
    if (programInfo.size() <= kMaxScriptBytes && launcher.open(QIODevice::ReadOnly)) {
        // An update of pdftk replaces its jars and may leave the launcher as it was.
        const QString text = QString::fromUtf8(launcher.readAll());
        static const QRegularExpression jar(QStringLiteral(R"([^\s:="']+\.jar)"));
        for (const QRegularExpressionMatch& match : jar.globalMatch(text)) {
            addFileFacts(hash, match.captured());
        }
    }
    const QString java = QFileInfo(QStandardPaths::findExecutable(QStringLiteral("java"))).canonicalFilePath();
    if (!java.isEmpty()) {
        addFileFacts(hash, java);
        QDir home = QFileInfo(java).dir();
        home.cdUp();
        for (const char* part : {"lib/server/libjvm.so", "lib/modules", "lib/server/classes.jsa"}) {
            addFileFacts(hash, home.filePath(QLatin1String(part)));
        }
    }
    return QString::fromLatin1(hash.result().toHex().left(20));
}

// The options are split at blanks; a path inside quotes stays whole. A path with a quote of its own cannot be
// handed over.
bool quotable(const QString& path)
{
    return !path.contains(QLatin1Char('\'')) && !path.contains(QLatin1Char('"'));
}

QString quoted(const QString& path)
{
    return QLatin1Char('\'') + path + QLatin1Char('\'');
}

// What a clean dump leaves: a file that starts with a static class-data archive's magic number, stored in the
// machine's byte order.
bool looksLikeArchive(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray head = file.read(4);
    if (head.size() != 4) {
        return false;
    }
    quint32 magic = 0;
    std::memcpy(&magic, head.constData(), 4);
    return magic == 0xf00baba2u;
}

// A name beside target that no other program or object uses: the JVM writes there, and only a finished file is
// renamed to target.
QString temporaryNameFor(const QString& target)
{
    return QStringLiteral("%1.%2-%3%4")
        .arg(target)
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
        .arg(kRecordingSuffix);
}

// Removes the recordings of a program that did not live to rename them.
void removeStaleRecordings(const QDir& folder)
{
    const QDateTime staleBefore = QDateTime::currentDateTimeUtc().addSecs(-kStaleRecordingSeconds);
    for (const QFileInfo& old :
         folder.entryInfoList({kArchivePrefix + QLatin1Char('*') + kRecordingSuffix}, QDir::Files | QDir::Hidden)) {
        if (old.lastModified() < staleBefore) {
            QFile::remove(old.filePath());
        }
    }
}

bool renameInto(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// The archives asked for in this program's life (the main thread's, as every pdftk child is).
QSet<QString>& dumpsAsked()
{
    static QSet<QString> asked;
    return asked;
}

} // namespace

PdftkJvm::PdftkJvm(const QString& program, QString cacheFolder) : m_enabled(true), m_cacheFolder(std::move(cacheFolder))
{
    if (!m_cacheFolder.isEmpty() && !program.isEmpty()) {
        const QString stem = QDir(m_cacheFolder).filePath(kArchivePrefix + identityOf(program));
        if (quotable(stem)) {
            m_archive = stem + kArchiveSuffix;
            m_classList = stem + kClassListSuffix;
        }
    }
}

PdftkJvm::Start PdftkJvm::prepare(bool writesDocument)
{
    Start start;
    if (!m_enabled) {
        return start;
    }
    start.javaToolOptions = kOptions;
    if (!m_archive.isEmpty() && !m_archiveRefused && QFileInfo(m_archive).isFile()) {
        // A JVM that cannot use the archive (damaged, or made for other settings) would quietly start without any,
        // the JDK's own included; with -Xshare:on it stops at once, and the call is repeated without the archive,
        // which goes.
        start.javaToolOptions +=
            QLatin1Char(' ') + kWithArchive + QStringLiteral(" -Xshare:on -XX:SharedArchiveFile=") + quoted(m_archive);
        start.usesArchive = true;
        return start;
    }
    start.javaToolOptions += QLatin1Char(' ') + kWithoutArchive;
    if (m_archive.isEmpty() || m_archiveRefused || !writesDocument || m_recorded || QFileInfo::exists(m_classList)) {
        return start;
    }
    m_recorded = true;
    if (!QDir().mkpath(m_cacheFolder)) {
        return start;
    }
    removeStaleRecordings(QDir(m_cacheFolder));
    // The JVM says nothing when it cannot write the list; find out here whether the folder takes a file.
    const QString recording = temporaryNameFor(m_classList);
    QFile probe(recording);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        return start;
    }
    probe.close();
    start.recordingFile = recording;
    start.javaToolOptions += QStringLiteral(" -XX:DumpLoadedClassList=") + quoted(recording);
    return start;
}

void PdftkJvm::finished(const Start& start, bool succeeded)
{
    if (start.recordingFile.isEmpty()) {
        return;
    }
    if (!(succeeded && QFileInfo(start.recordingFile).size() > 0 && renameInto(start.recordingFile, m_classList))) {
        QFile::remove(start.recordingFile);
    }
}

std::optional<PdftkJvm::ArchiveDump> PdftkJvm::archiveToMake()
{
    if (!m_enabled || m_archive.isEmpty() || m_archiveRefused || dumpsAsked().contains(m_archive) ||
        QFileInfo::exists(m_archive) || !QFileInfo(m_classList).isFile()) {
        return std::nullopt;
    }
    dumpsAsked().insert(m_archive);
    ArchiveDump dump;
    dump.archive = m_archive;
    dump.temporaryFile = temporaryNameFor(m_archive);
    dump.javaToolOptions = kOptions + QLatin1Char(' ') + kWithArchive +
                           QStringLiteral(" -Xshare:dump -XX:SharedClassListFile=") + quoted(m_classList) +
                           QStringLiteral(" -XX:SharedArchiveFile=") + quoted(dump.temporaryFile);
    return dump;
}

void PdftkJvm::dumpEnded(const ArchiveDump& dump, bool succeeded)
{
    if (!(succeeded && looksLikeArchive(dump.temporaryFile) && renameInto(dump.temporaryFile, dump.archive))) {
        QFile::remove(dump.temporaryFile);
        return;
    }
    // The archives and class lists of an earlier pdftk or JVM are of no more use.
    const QFileInfo archive(dump.archive);
    const QString stem = archive.completeBaseName();
    const QDir folder = archive.dir();
    for (const QString& name : folder.entryList(
             {kArchivePrefix + QLatin1Char('*') + kArchiveSuffix, kArchivePrefix + QLatin1Char('*') + kClassListSuffix},
             QDir::Files)) {
        if (QFileInfo(name).completeBaseName() != stem) {
            QFile::remove(folder.filePath(name));
        }
    }
}

void PdftkJvm::discardArchive()
{
    if (!m_archive.isEmpty()) {
        QFile::remove(m_archive);
    }
    m_archiveRefused = true;
}

QString defaultPdftkCacheFolder()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache.isEmpty() ? QString() : cache + QStringLiteral("/Pagewell");
}

QString withoutJvmNotices(const QString& errorText)
{
    if (!errorText.contains(QLatin1String("Picked up JAVA_TOOL_OPTIONS:"))) {
        return errorText;
    }
    QStringList kept;
    for (const QString& line : errorText.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("Picked up JAVA_TOOL_OPTIONS:"))) {
            kept << line;
        }
    }
    return kept.join(QLatin1Char('\n')).trimmed();
}

QProcessEnvironment pdftkEnvironment(const QString& javaToolOptions)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    if (!javaToolOptions.isEmpty()) {
        const QString own = environment.value(QStringLiteral("JAVA_TOOL_OPTIONS"));
        environment.insert(QStringLiteral("JAVA_TOOL_OPTIONS"),
                           own.isEmpty() ? javaToolOptions : javaToolOptions + QLatin1Char(' ') + own);
    }
    return environment;
}
