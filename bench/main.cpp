// pagewell-bench: drives the real window offscreen over one image set and prints one figure per line, "name value".
//   pagewell-bench --make DIR                      makes the image sets and the scan tree under DIR
//   pagewell-bench --set NAME --images DIR [...]   converts the set through the window, then the floor, then
//                                                  pagewell -o and the peers, each as a process of its own
//   pagewell-bench --scan DIR                      scans a folder tree through "Add Folder"
//   pagewell-bench --preview FILE                  shows one image in the preview through "Open a File"
//   pagewell-bench --list-pictures N               fills the list with N photos and scrolls it (its pictures)
// Run each set in its own process so that peak_rss_mib belongs to that set alone.

#include "app/PdfStagesFactory.h"
#include "bench/BenchImages.h"
#include "bench/BenchWindow.h"
#include "bench/EventTurns.h"
#include "bench/Figures.h"
#include "bench/Floor.h"
#include "bench/HeifSets.h"
#include "bench/ListPictureTiming.h"
#include "bench/Peers.h"
#include "bench/PreviewTiming.h"
#include "bench/UiStallMeter.h"
#include "conversion/InfoFile.h"
#include "conversion/Merging.h"
#include "conversion/PageJoin.h"
#include "conversion/Workspace.h"
#include "doubles/MeasuredPdftk.h"
#include "pdftk/ProcessPdftk.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <qpdf/QPDF.hh>

#include <cstdio>
#include <exception>

#include <unistd.h>

namespace {

// The number of pages of a PDF file, or -1 when qpdf cannot read it.
qint64 pdfPageCount(const QString& path)
{
    try {
        QPDF pdf;
        pdf.processFile(QFile::encodeName(path).constData());
        return qint64(pdf.getAllPages().size());
    } catch (const std::exception&) {
        return -1;
    }
}

int makeAll(const QString& dir)
{
    QString error;
    const bool ok = makePhotos(dir + QStringLiteral("/photos"), 20, 1600, 1200, &error) &&
                    makeScreenshots(dir + QStringLiteral("/screens"), 20, 1920, 1080, &error) &&
                    makePhotos(dir + QStringLiteral("/small"), 200, 640, 480, &error) &&
                    makePhotos(dir + QStringLiteral("/small51"), 51, 640, 480, &error) &&
                    makePhotos(dir + QStringLiteral("/small20"), 20, 640, 480, &error) &&
                    makePhotos(dir + QStringLiteral("/small300"), 300, 640, 480, &error) &&
                    makePhotos(dir + QStringLiteral("/small1000"), 1000, 640, 480, &error) &&
                    makePhotos(dir + QStringLiteral("/huge"), 1, 8000, 6000, &error) &&
                    makePhotos(dir + QStringLiteral("/photo24mp"), 1, 6000, 4000, &error) &&
                    makeTiff(dir + QStringLiteral("/scan-20mp.tif"), 5472, 3648, &error) &&
                    makeScanTree(dir + QStringLiteral("/tree"), 10000, &error) &&
                    // Twelve phone photos of 12 megapixels, as HEIC and as AVIF.
                    makePhotos(dir + QStringLiteral("/phone-jpeg"), 12, 4032, 3024, &error) &&
                    makeHeifPhotos(dir + QStringLiteral("/phone-jpeg"), dir + QStringLiteral("/heic12"),
                                   QStringLiteral("heic"), &error) &&
                    makeHeifPhotos(dir + QStringLiteral("/phone-jpeg"), dir + QStringLiteral("/avif12"),
                                   QStringLiteral("avif"), &error);
    return ok ? 0 : failWith(error);
}

// The run's join and info step once more over the same page files with this pdftk, taken in the same process
// right after the run. Returns the wall time of the pdftk calls, or -1 (error says why).
double chainSeconds(const QString& pagesDir, int count, const QString& scratch, std::unique_ptr<Pdftk> pdftk,
                    QString* error)
{
    Workspace workspace;
    if (!workspace.create(error, scratch)) {
        return -1;
    }
    for (int i = 0; i < count; ++i) {
        const QString page = pagesDir + QStringLiteral("/%1.pdf").arg(i);
        if (::link(QFile::encodeName(page).constData(), QFile::encodeName(workspace.pageFile(i)).constData()) != 0) {
            *error = QStringLiteral("Cannot link %1 into the workspace.").arg(page);
            return -1;
        }
    }
    DocumentInfo info;
    info.title = QStringLiteral("bench");
    if (!writeInfoFile(workspace.infoFile(), info, error)) {
        return -1;
    }
    MeasuredPdftk measured(std::move(pdftk));
    QStringList entries;
    for (int i = 0; i < count; ++i) {
        entries.append(pagesDir + QStringLiteral("/%1.pdf").arg(i));
    }
    PageJoin join(measured, workspace, entries);
    StageResult step = StageResult::success();
    for (int i = 0; step.ok && i < join.steps().size(); ++i) {
        step = join.run(i);
    }
    if (step.ok) {
        step = applyDocumentInfo(measured, workspace, count);
    }
    if (!step.ok) {
        *error = step.text;
        return -1;
    }
    return measured.childSeconds();
}

// The process chain as it runs where pdftk cannot run warm: its JVM options and the class-data archive, which its
// first join makes in the background once per user. Made here first (outside any timing) when it is not there yet.
std::unique_ptr<Pdftk> tunedProcessPdftk(const QString& pagesDir, const QString& scratch)
{
    const QString archive = PdftkJvm(locatePdftk(), defaultPdftkCacheFolder()).archivePath();
    if (!archive.isEmpty() && !QFileInfo::exists(archive)) {
        QString error;
        (void)chainSeconds(pagesDir, 2, scratch, std::make_unique<ProcessPdftk>(), &error);
        (void)waitWhile([&archive] { return !QFileInfo::exists(archive); }, std::chrono::minutes(3));
    }
    return std::make_unique<ProcessPdftk>();
}

int convertSet(const QString& name, const QString& imagesDir, int quality, bool original, const QString& scratch,
               const QString& magickConfig, bool peers, bool referenceChains, int joinFiles)
{
    QStringList images;
    const QDir dir(imagesDir);
    for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
        images << dir.absoluteFilePath(file);
    }
    if (images.isEmpty()) {
        return failWith(QStringLiteral("No images in \"%1\".").arg(imagesDir));
    }
    const QString output = scratch + QStringLiteral("/pagewell-%1.pdf").arg(name);
    QFile::remove(output);

    QTemporaryDir keptPages(scratch + QStringLiteral("/pages-XXXXXX"));
    BenchWindow bench(scratch, images.size() > 1 ? keptPages.path() : QString(), joinFiles);
    if (!bench.isValid() || !keptPages.isValid()) {
        return failWith(QStringLiteral("Cannot make a scratch folder in \"%1\".").arg(scratch));
    }
    bench.find<QListWidget>(QStringLiteral("List1"))->addItems(images);
    bench.find<QSlider>(QStringLiteral("Slider1"))->setValue(quality);
    bench.find<QCheckBox>(QStringLiteral("chkKeepOriginal"))->setChecked(original);
    bench.dialogs.saveAnswers.push_back(output);

    UiStallMeter meter;
    meter.start();
    bench.clock.start();
    bench.find<QPushButton>(QStringLiteral("Command3"))->click();
    // The run goes on from the event loop once its click has returned.
    (void)waitWhile([&bench] { return bench.window().runUnderWay(); });
    meter.stop();

    const double peakRss = peakRssMiB();
    const QString status = bench.find<QLabel>(QStringLiteral("lblPB"))->text();
    if (bench.openedAtNs < 0 || status != QStringLiteral("Done.")) {
        for (const auto& shown : bench.messages.shown()) {
            failWith(shown.title + QStringLiteral(": ") + shown.text);
        }
        return failWith(QStringLiteral("The run did not finish; the status says \"%1\".").arg(status));
    }
    const double runS = double(bench.openedAtNs) / 1e9;
    const StageTimes& t = bench.times;

    count("images", images.size());
    count("quality", quality);
    count("original", original ? 1 : 0);
    figure("run_s", runS);
    figure("pages_s", t.pagesSeconds);
    figure("pages_cpu_s", t.pagesCpuSeconds);
    figure("pdftk_s", t.pdftkSeconds);
    figure("join_s", t.joinSeconds);
    count("pdftk_runs", t.pdftkRuns);
    count("pdftk_warm_runs", t.pdftkWarmRuns);
    figure("pdftk_host_peak_rss_mib", t.pdftkHostPeakMiB);
    figure("idle_s", runS - t.pagesSeconds - t.pdftkSeconds);
    figure("outside_stages_s", runS - t.stagesSeconds);
    figure("peak_rss_mib", peakRss);
    figure("max_ui_stall_ms", meter.maxStallMs());
    figure("max_ui_stall_end_s", meter.maxStallEndS());
    count("output_bytes", QFileInfo(output).size());
    count("output_pages", pdfPageCount(output));
    for (const auto& [stage, seconds] : t.longestCall) {
        figure(("longest_" + stage + "_s").c_str(), seconds);
    }
    if (images.size() > 1 && referenceChains) {
        // pdftk started exactly as it is installed, and the process chain with its JVM tuned.
        QString error;
        const double plainS = chainSeconds(keptPages.path(), int(images.size()), scratch,
                                           std::make_unique<ProcessPdftk>(locatePdftk(), PdftkJvm()), &error);
        if (plainS < 0) {
            failWith(QStringLiteral("The chain with the plain pdftk: ") + error);
        } else {
            figure("pdftk_plain_s", plainS);
            figure("pdftk_s_per_plain", t.pdftkSeconds / plainS);
        }
        std::unique_ptr<Pdftk> tuned = tunedProcessPdftk(keptPages.path(), scratch);
        const double processS = chainSeconds(keptPages.path(), int(images.size()), scratch, std::move(tuned), &error);
        if (processS < 0) {
            failWith(QStringLiteral("The process chain: ") + error);
        } else {
            figure("pdftk_process_s", processS);
            figure("pdftk_s_per_process", t.pdftkSeconds / processS);
        }
    }

    const double floorCpuBefore = processCpuSeconds();
    const FloorResult floor = encodeFloor(images, quality);
    const double floorCpu = processCpuSeconds() - floorCpuBefore;
    if (!floor.ok) {
        return failWith(floor.error);
    }
    figure("floor_s", floor.seconds);
    figure("floor_cpu_s", floorCpu);
    count("floor_bytes", floor.bytes);
    figure("largest_decoded_mib", floor.largestDecodedMiB);

    if (peers) {
        const PeerResult terminal =
            runPagewellTerminal(images, quality, original, scratch + QStringLiteral("/terminal-%1.pdf").arg(name));
        if (terminal.ok) {
            figure("terminal_s", terminal.seconds);
            count("terminal_bytes", terminal.bytes);
        } else {
            failWith(QStringLiteral("pagewell -o: ") + terminal.error);
        }
        const PeerResult img2pdf = runImg2pdf(images, scratch + QStringLiteral("/img2pdf-%1.pdf").arg(name));
        if (img2pdf.ok) {
            figure("img2pdf_s", img2pdf.seconds);
            count("img2pdf_bytes", img2pdf.bytes);
        } else {
            failWith(QStringLiteral("img2pdf: ") + img2pdf.error);
        }
        // ImageMagick always encodes again: it has nothing to set against a kept original.
        const PeerResult magick =
            original ? PeerResult{}
                     : runMagick(images, quality, scratch + QStringLiteral("/magick-%1.pdf").arg(name), magickConfig);
        if (original) {
        } else if (magick.ok) {
            figure("magick_s", magick.seconds);
            count("magick_bytes", magick.bytes);
        } else {
            failWith(QStringLiteral("ImageMagick: ") + magick.error);
        }
    }
    return 0;
}

// Only the page stage, straight on the real stages without the window or pdftk: for profiling.
int pagesOnly(const QString& imagesDir, int quality, const QString& scratch)
{
    const QDir dir(imagesDir);
    QStringList images;
    for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
        images << dir.absoluteFilePath(file);
    }
    const std::unique_ptr<ConversionStages> stages = pdfStagesFactory({}, scratch)(nullptr);
    if (!stages->prepareWorkspace().ok) {
        return failWith(QStringLiteral("Cannot make a workspace in \"%1\".").arg(scratch));
    }
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < images.size(); ++i) {
        if (i + 1 < images.size()) {
            stages->readAhead(images[i + 1]);
        }
        const StageResult page = stages->makePage(i, images[i], [quality] { return PageDescription{quality}; });
        if (!page.ok) {
            return failWith(page.text);
        }
    }
    figure("pages_s", double(clock.nsecsElapsed()) / 1e9);
    return 0;
}

int scanTree(const QString& folder, const QString& scratch, double limitS, bool uniformRows)
{
    BenchWindow bench(scratch);
    if (!bench.isValid()) {
        return failWith(QStringLiteral("Cannot make a scratch folder in \"%1\".").arg(scratch));
    }
    auto* list = bench.find<QListWidget>(QStringLiteral("List1"));
    if (uniformRows) {
        // What-if: the list measures one row instead of every row on each layout.
        list->setUniformItemSizes(true);
    }
    bench.dialogs.folderAnswers.push_back(folder);
    // A scan that has not finished in time is stopped the way the user would, by closing the window.
    bool stopped = false;
    QTimer::singleShot(int(limitS * 1000), &bench.window(), [&] {
        stopped = true;
        bench.window().close();
    });
    UiStallMeter meter;
    meter.start();
    bench.clock.start();
    bench.find<QAbstractButton>(QStringLiteral("CmdToolsBar_1"))->click();
    (void)waitWhile([&bench] { return bench.window().scanUnderWay(); });
    const double scanS = double(bench.clock.nsecsElapsed()) / 1e9;
    meter.stop();
    count("scan_entries", list->count());
    count("scan_stopped", stopped ? 1 : 0);
    figure("scan_s", scanS);
    figure("scan_entries_per_s", list->count() / scanS);
    figure("scan_max_ui_stall_ms", meter.maxStallMs());
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Measures Pagewell's conversion run and folder scan."));
    parser.addHelpOption();
    const QCommandLineOption make(QStringLiteral("make"), QStringLiteral("Make the image sets under <dir>."),
                                  QStringLiteral("dir"));
    const QCommandLineOption set(QStringLiteral("set"), QStringLiteral("Name of the set to convert."),
                                 QStringLiteral("name"));
    const QCommandLineOption images(QStringLiteral("images"), QStringLiteral("Folder of the set's images."),
                                    QStringLiteral("dir"));
    const QCommandLineOption scan(QStringLiteral("scan"), QStringLiteral("Scan this tree through Add Folder."),
                                  QStringLiteral("dir"));
    const QCommandLineOption quality(QStringLiteral("quality"), QStringLiteral("JPEG quality (default 80)."),
                                     QStringLiteral("q"), QStringLiteral("80"));
    const QCommandLineOption scratch(QStringLiteral("scratch"), QStringLiteral("Scratch folder (default: temp)."),
                                     QStringLiteral("dir"), QDir::tempPath());
    const QCommandLineOption magickConfig(QStringLiteral("magick-config"),
                                          QStringLiteral("Folder holding ImageMagick/policy.xml."),
                                          QStringLiteral("dir"));
    const QCommandLineOption pages(QStringLiteral("pages-only"),
                                   QStringLiteral("Only make the pages of <dir> with the real stages (profiling)."),
                                   QStringLiteral("dir"));
    const QCommandLineOption scanLimit(QStringLiteral("scan-limit-s"),
                                       QStringLiteral("Stop the scan after this many seconds (default 120)."),
                                       QStringLiteral("s"), QStringLiteral("120"));
    const QCommandLineOption uniformRows(QStringLiteral("uniform-rows"),
                                         QStringLiteral("What-if: give the list uniform row sizes before the scan."));
    const QCommandLineOption original(QStringLiteral("original"),
                                      QStringLiteral("Keep original quality (a JPEG's own data, else lossless)."));
    const QCommandLineOption noPeers(QStringLiteral("no-peers"), QStringLiteral("Skip img2pdf and ImageMagick."));
    const QCommandLineOption noChains(QStringLiteral("no-reference-chains"),
                                      QStringLiteral("Skip the plain and the process chain after the run."));
    const QCommandLineOption joinFiles(QStringLiteral("join-files"),
                                       QStringLiteral("What-if: join at most <n> files in one pdftk call."),
                                       QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption preview(QStringLiteral("preview"),
                                     QStringLiteral("Show this image in the preview through Open a File."),
                                     QStringLiteral("file"));
    const QCommandLineOption repeats(QStringLiteral("repeats"), QStringLiteral("Preview this often (default 6)."),
                                     QStringLiteral("n"), QStringLiteral("6"));
    const QCommandLineOption listPictures(QStringLiteral("list-pictures"),
                                          QStringLiteral("Fill the list with <n> photos and scroll it (pictures)."),
                                          QStringLiteral("n"));
    parser.addOption(listPictures);
    parser.addOptions({make, set, images, scan, pages, quality, scratch, magickConfig, scanLimit, uniformRows, noPeers,
                       preview, repeats, noChains, joinFiles, original});
    parser.process(app);

    if (parser.isSet(make)) {
        return makeAll(parser.value(make));
    }
    if (parser.isSet(pages)) {
        return pagesOnly(parser.value(pages), parser.value(quality).toInt(), parser.value(scratch));
    }
    if (parser.isSet(preview)) {
        return measurePreview(parser.value(preview), parser.value(scratch), parser.value(repeats).toInt());
    }
    if (parser.isSet(listPictures)) {
        return measureListPictures(parser.value(listPictures).toInt(), parser.value(scratch));
    }
    if (parser.isSet(scan)) {
        return scanTree(parser.value(scan), parser.value(scratch), parser.value(scanLimit).toDouble(),
                        parser.isSet(uniformRows));
    }
    if (parser.isSet(set) && parser.isSet(images)) {
        return convertSet(parser.value(set), parser.value(images), parser.value(quality).toInt(),
                          parser.isSet(original), parser.value(scratch), parser.value(magickConfig),
                          !parser.isSet(noPeers), !parser.isSet(noChains), parser.value(joinFiles).toInt());
    }
    parser.showHelp(2);
}
