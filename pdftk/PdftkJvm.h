#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <optional>

// How a pdftk child's Java runtime is started. pdftk-java pays a cold JVM start for every call, and the run calls it
// once per page; the options below (handed to the child through JAVA_TOOL_OPTIONS, so any pdftk keeps working) and
// a class-data archive of the JDK's and pdftk's classes bring each start down to a fraction.
//
// The archive is made once per user, pdftk and JVM, in two steps that add no JVM start to a run: the first real
// join lists the classes it loads (-XX:DumpLoadedClassList), and a background JVM of low priority then writes the
// archive from that list (-Xshare:dump), under a temporary name that is renamed into place only after a clean exit:
// a truncated archive crashes the JVM. Its name is taken from what it was made from, so an updated pdftk or JVM
// makes a new one. A run that fails with the archive is repeated without it (see ProcessPdftk).
// The environment every pdftk runs in, as a process or in its host: this program's own, with a UTF-8 locale
// (update_info_utf8 and non-ASCII file names need one in the Java runtime) and these JAVA_TOOL_OPTIONS of ours
// before the user's own, which so have the last word (none when empty).
[[nodiscard]] QProcessEnvironment pdftkEnvironment(const QString& javaToolOptions = {});

class PdftkJvm
{
public:
    // What one child is started with.
    struct Start
    {
        QString javaToolOptions; // empty: start the child with the environment as it is
        bool usesArchive = false;
        QString recordingFile; // the temporary file the JVM lists its loaded classes in, or empty
    };

    // The background JVM that writes the archive: pdftk's launcher started with these options (it dumps and ends
    // without running pdftk), writing temporaryFile, which becomes archive when it ends cleanly.
    struct ArchiveDump
    {
        QString javaToolOptions;
        QString temporaryFile;
        QString archive;
    };

    // The JVM started as pdftk starts it, with no options of ours.
    PdftkJvm() = default;
    // program: the pdftk that is run. cacheFolder: where the archive is kept; empty, or a folder that cannot be
    // made or written, means no archive (the other options still apply).
    PdftkJvm(const QString& program, QString cacheFolder);

    // The options for the next child. writesDocument: a run that does the real work (a join, the info step), the
    // only kind whose classes are worth archiving.
    [[nodiscard]] Start prepare(bool writesDocument);
    // The child started with start has ended; succeeded: it exited 0. A class list that was written is kept for
    // the archive; any other recording is removed.
    void finished(const Start& start, bool succeeded);
    // The archive to make in the background now, if there is a class list and no archive yet. Asked for once per
    // archive in a program's life, so a JVM that cannot dump is not asked again and again.
    [[nodiscard]] std::optional<ArchiveDump> archiveToMake();
    // The background JVM has ended (succeeded: it exited 0) or was stopped: its archive is renamed into place, and
    // the files of an earlier pdftk or JVM go, or the temporary file is removed.
    static void dumpEnded(const ArchiveDump& dump, bool succeeded);
    // The archive is at fault (the JVM crashed with it, or failed with it and worked without it): it goes, and no
    // other is used or made by this object.
    void discardArchive();
    // The options themselves are at fault (the child failed with them and worked without): none from now on.
    void discardOptions() { m_enabled = false; }

    // Where the archive of this pdftk and JVM is or will be; empty without a cache folder.
    [[nodiscard]] QString archivePath() const { return m_archive; }

private:
    bool m_enabled = false;
    QString m_cacheFolder;
    QString m_archive;
    QString m_classList;
    bool m_recorded = false; // one recording per object, whether or not the JVM wrote anything
    bool m_archiveRefused = false;
};

// Pagewell's folder in the user's cache folder (XDG_CACHE_HOME, usually ~/.cache).
[[nodiscard]] QString defaultPdftkCacheFolder();

// A child's error output without the JVM's "Picked up JAVA_TOOL_OPTIONS: ..." notice, which says nothing to a user.
[[nodiscard]] QString withoutJvmNotices(const QString& errorText);
