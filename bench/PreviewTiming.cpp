#include "bench/PreviewTiming.h"
#include "bench/EventTurns.h"

#include "bench/BenchWindow.h"
#include "bench/Figures.h"
#include "bench/TimedStages.h"
#include "bench/UiStallMeter.h"
#include "preview/ShowImage.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <QFile>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

// The reader's own high-water mark, sampled while it runs. The kernel's figure for finished children is no use
// here: it counts the window's pages that a child holds between fork and exec.
class ReaderMemoryWatch
{
public:
    ReaderMemoryWatch()
    {
        m_timer.setInterval(2);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { sample(); });
        m_timer.start();
    }
    [[nodiscard]] double peakMiB() const { return m_peakKiB / 1024.0; }

private:
    void sample()
    {
        QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(::getpid()));
        if (!children.open(QIODevice::ReadOnly)) {
            return;
        }
        for (const QByteArray& pid : children.readAll().split(' ')) {
            QFile comm(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(pid)));
            QFile status(QStringLiteral("/proc/%1/status").arg(QString::fromLatin1(pid)));
            if (pid.isEmpty() || !comm.open(QIODevice::ReadOnly) || !comm.readAll().startsWith("pagewell-imager") ||
                !status.open(QIODevice::ReadOnly)) {
                continue;
            }
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (line.startsWith("VmHWM:")) {
                    m_peakKiB = std::max(m_peakKiB, line.mid(6).trimmed().split(' ').first().toDouble());
                }
            }
        }
    }

    QTimer m_timer;
    double m_peakKiB = 0;
};

} // namespace

namespace {

// Opens the image through "Open a File" and waits until the preview has painted it; returns the milliseconds
// that took, or a negative number with error set.
double openOnce(BenchWindow& bench, const QString& image, QString* error)
{
    auto* preview = bench.find<ShowImage>(QStringLiteral("prewImage"));
    QElapsedTimer clock;
    double ms = -1;
    const auto connection =
        QObject::connect(preview, &ShowImage::loadFinished, preview, [&](const QString&, const QString& reason) {
            preview->repaint(); // shown, not only held
            ms = double(clock.nsecsElapsed()) / 1e6;
            *error = reason;
        });
    bench.dialogs.openAnswers.push_back(image);
    clock.start();
    bench.find<QAbstractButton>(QStringLiteral("CmdToolsBar_0"))->click();
    (void)waitWhile([&ms] { return ms < 0; });
    QObject::disconnect(connection);
    return error->isEmpty() ? ms : -1;
}

} // namespace

int measurePreview(const QString& image, const QString& scratch, int repeats)
{
    BenchWindow bench(scratch);
    if (!bench.isValid()) {
        return failWith(QStringLiteral("Cannot make a scratch folder in \"%1\".").arg(scratch));
    }
    const double rssBefore = currentRssMiB();
    std::vector<double> times;
    QString error;
    UiStallMeter meter;
    const double cpuBefore = processCpuSeconds();
    meter.start();
    for (int i = 0; i < std::max(1, repeats); ++i) {
        times.push_back(openOnce(bench, image, &error));
        if (times.back() < 0) {
            return failWith(QStringLiteral("The preview could not show \"%1\": %2").arg(image, error));
        }
    }
    meter.stop();
    const double windowCpuS = processCpuSeconds() - cpuBefore;
    const double readerCpuS = childrenCpuSeconds();
    {
        // Once more for the reader's memory alone: watching it costs time of its own.
        ReaderMemoryWatch readerMemory;
        if (openOnce(bench, image, &error) < 0) {
            return failWith(QStringLiteral("The preview could not show \"%1\": %2").arg(image, error));
        }
        figure("reader_peak_rss_mib", readerMemory.peakMiB());
    }

    figure("preview_first_ms", times.front());
    std::vector<double> rest(times.begin() + (times.size() > 1 ? 1 : 0), times.end());
    std::sort(rest.begin(), rest.end());
    figure("preview_ms", rest[rest.size() / 2]);
    figure("preview_max_ms", rest.back());
    figure("preview_max_ui_stall_ms", meter.maxStallMs());
    const ShowImage* preview = bench.find<ShowImage>(QStringLiteral("prewImage"));
    count("preview_width", preview->width());
    count("preview_height", preview->height());
    count("picture_width", preview->Picture().width());
    count("picture_height", preview->Picture().height());
    figure("window_rss_before_mib", rssBefore);
    figure("preview_peak_rss_mib", peakRssMiB());
    figure("reader_cpu_ms", readerCpuS * 1000.0 / double(times.size()));
    figure("window_cpu_ms", windowCpuS * 1000.0 / double(times.size()));
    return 0;
}
