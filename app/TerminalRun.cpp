#include "app/TerminalRun.h"

#include "app/CommandLine.h"
#include "app/PdfDate.h"
#include "app/PdfStagesFactory.h"
#include "app/TerminalOptions.h"
#include "app/TerminalProgress.h"
#include "app/TerminationSignals.h"
#include "app/Translations.h"
#include "conversion/ConversionRun.h"
#include "conversion/RunWindow.h"
#include "conversion/Saving.h"
#include "imagelist/FileSearch.h"
#include "imagelist/ImageTest.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <unistd.h>

namespace {

constexpr int kSaved = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

// The window a run from the terminal reads: the entries and fields of the command line, fixed for the run. Nothing
// is shown, locked or remembered, and a save that fails ends the run.
class TerminalRunWindow final : public RunWindow
{
public:
    TerminalRunWindow(QList<ImageFile> entries, const TerminalRequest& request)
        : m_entries(std::move(entries)), m_page(request.page), m_info(request.info)
    {
    }

    QWidget* owner() override { return nullptr; }
    int entryCount() const override { return int(m_entries.size()); }
    ImageFile entry(int index) const override { return m_entries.at(index); }
    PageDescription pageDescription() const override { return m_page; }
    DocumentInfo documentInfo() const override { return m_info; }
    // No output folder: the document goes where -o says.
    QString outputFolder() const override { return {}; }
    void setOutputFolder(const QString&) override {}
    void setBusy(bool) override {}
    void setListLocked(bool) override {}
    void selectEntry(int) override {}
    void sweepToolBar(bool) override {}
    void saveSettings() override {}
    bool asksAgainAfterFailedSave() const override { return false; }

private:
    QList<ImageFile> m_entries;
    PageDescription m_page;
    DocumentInfo m_info;
};

// The list the inputs make, in the order given: a folder's images as Add Folder finds them, a file as the list takes
// a dropped one. A file the list refuses is said and left out.
QList<ImageFile> entriesOf(const QList<QByteArray>& inputs, TerminalProgress& progress)
{
    std::error_code noFolder;
    const std::filesystem::path workingFolder = std::filesystem::current_path(noFolder);
    QList<ImageFile> entries;
    const auto append = [&entries](const QByteArray& path) { entries.append({QFile::decodeName(path), path}); };
    for (const QByteArray& path : commandLineFiles(inputs, QByteArray(workingFolder.c_str()))) {
        std::error_code notThere;
        if (std::filesystem::is_directory(std::filesystem::path(path.toStdString()), notThere)) {
            (void)FileSearch(QFile::decodeName(path), append, {});
        } else if (joinsImageList(path)) {
            append(path);
        } else {
            progress.message(QCoreApplication::translate(
                                 "TerminalRun", "\"%1\" is not an image this program can read; it is left out.")
                                 .arg(terminalText(QFile::decodeName(path))));
        }
    }
    return entries;
}

// Writes the file to standard output; false with the reason in *error.
bool copyToStandardOutput(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    // A reader that went away (a closed pipe) is a failure to report, not a signal that ends the program unclean.
    struct sigaction ignore = {};
    struct sigaction previous = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, &previous);
    bool written = true;
    while (written && !file.atEnd()) {
        const QByteArray chunk = file.read(1 << 20);
        for (qsizetype done = 0; written && done < chunk.size();) {
            const ssize_t wrote = ::write(STDOUT_FILENO, chunk.constData() + done, size_t(chunk.size() - done));
            if (wrote < 0 && errno != EINTR) {
                *error = QString::fromLocal8Bit(std::strerror(errno));
                written = false;
            }
            done += std::max<ssize_t>(wrote, 0);
        }
    }
    ::sigaction(SIGPIPE, &previous, nullptr);
    if (written && file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        written = false;
    }
    return written;
}

// The run over entries, from its start to its end; the exit status.
int convert(const TerminalRequest& request, QList<ImageFile> entries, const StagesFactory& makeStages,
            TerminalProgress& progress, TerminationSignals& terminationSignals)
{
    const bool toStandardOutput = request.destination == "-";
    // Standard output gets the document once it is saved whole in a private folder of the run's own.
    std::optional<QTemporaryDir> holding;
    QString destination;
    QString shownDestination = QCoreApplication::translate("TerminalRun", "standard output");
    if (!toStandardOutput) {
        destination = QFileInfo(QFile::decodeName(request.destination)).absoluteFilePath();
        shownDestination = terminalText(withPdfExtension(destination));
    }

    TerminalRunWindow window(std::move(entries), request);
    ConversionRun run(window, makeStages);
    int status = kFailed;
    QObject::connect(&run, &ConversionRun::phaseReached, [&](ConversionRun::Phase phase, int done, int total) {
        switch (phase) {
        case ConversionRun::Phase::Page:
            progress.show(QCoreApplication::translate("TerminalRun", "Image %1 of %2").arg(done + 1).arg(total));
            break;
        case ConversionRun::Phase::Join:
            progress.show(QCoreApplication::translate("TerminalRun", "Joining pages: %1 of %2").arg(done).arg(total));
            break;
        case ConversionRun::Phase::Save:
            progress.show(QCoreApplication::translate("TerminalRun", "Saving to %1").arg(shownDestination));
            break;
        }
    });
    QObject::connect(&run, &ConversionRun::messageRaised, [&](MessageIcon, const QString&, const QString& text) {
        progress.message(terminalText(text, true));
    });
    QObject::connect(&run, &ConversionRun::saveAsked, [&] {
        if (toStandardOutput && !holding) {
            holding.emplace(QDir::tempPath() + QStringLiteral("/pagewell-output-XXXXXX"));
            if (!holding->isValid()) {
                progress.message(QCoreApplication::translate("TerminalRun", "no temporary folder for the document: %1")
                                     .arg(holding->errorString()));
                run.answerSave({});
                return;
            }
            destination = holding->filePath(QStringLiteral("document.pdf"));
        }
        run.answerSave(destination);
    });
    QObject::connect(&run, &ConversionRun::ended, [&](ConversionRun::Outcome outcome, const QString& saved) {
        if (outcome == ConversionRun::Outcome::Saved) {
            QString error;
            if (!toStandardOutput || copyToStandardOutput(saved, &error)) {
                progress.show(QCoreApplication::translate("TerminalRun", "Saved to %1").arg(shownDestination));
                status = kSaved;
            } else {
                progress.message(QCoreApplication::translate("TerminalRun",
                                                             "the document could not be written to standard output: %1")
                                     .arg(error));
            }
        }
        QCoreApplication::exit(status);
    });

    // From here on a signal has a workspace and helpers to clean up: the run stops, and ends as a closed window's.
    terminationSignals.watch([&run] { run.requestAbort(); });
    run.start();
    if (!run.isRunning()) {
        return kFailed; // nothing to convert: the run said so
    }
    (void)QCoreApplication::exec();
    return status;
}

} // namespace

int runInTerminal(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // Until the run starts a signal ends the program at once: there is nothing to clean up yet.
    TerminationSignals terminationSignals;
    const Translations translations(userLanguages());
    QCoreApplication::setApplicationName(QStringLiteral("Pagewell"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PAGEWELL_VERSION));

    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(argv[i]);
    }
    QString error;
    const std::optional<TerminalRequest> request =
        readTerminalRequest(arguments, windowDefaults(pdfDateString(SystemClock())), &error);
    if (!request) {
        TerminalProgress(stderr, false, true).message(terminalText(error));
        return kUsageError;
    }
    int status = kFailed;
    {
        TerminalProgress progress(stderr, ::isatty(STDERR_FILENO) == 1, request->quiet);
        // Made first: whether pdftk works is asked in the background while the folders are searched.
        const StagesFactory makeStages = pdfStagesFactory();
        status = convert(*request, entriesOf(request->inputs, progress), makeStages, progress, terminationSignals);
    }
    // The run's workspace and helpers are gone.
    terminationSignals.endAsSignalled();
    return status;
}
