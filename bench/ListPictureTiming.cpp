#include "bench/ListPictureTiming.h"
#include "bench/EventTurns.h"

#include "bench/BenchImages.h"
#include "bench/BenchWindow.h"
#include "bench/Figures.h"
#include "bench/UiStallMeter.h"
#include "imagelist/ImageListWidget.h"
#include "imagelist/ListPictures.h"
#include "imagereader/ListPictureQueue.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>

#include <functional>

namespace {

bool rowsInSightHavePictures(const QListWidget& list)
{
    const QModelIndex top = list.indexAt(QPoint(1, 1));
    if (!top.isValid()) {
        return false;
    }
    const QModelIndex bottom = list.indexAt(QPoint(1, list.viewport()->height() - 2));
    const int last = bottom.isValid() ? bottom.row() : list.count() - 1;
    for (int row = top.row(); row <= last; ++row) {
        if (list.item(row)->data(Qt::DecorationRole).typeId() != QMetaType::QPixmap) {
            return false;
        }
    }
    return true;
}

// Lets the window work until done() holds; false when it did not within limitMs.
bool workUntil(const std::function<bool()>& done, int limitMs)
{
    return waitWhile([&done] { return !done(); }, std::chrono::milliseconds(limitMs));
}

} // namespace

int measureListPictures(int entries, const QString& scratch)
{
    const QString folder = scratch + QStringLiteral("/list-pictures-%1").arg(entries);
    if (QDir(folder).entryList(QDir::Files).size() != entries) {
        QDir(folder).removeRecursively();
        QString error;
        if (!makePhotos(folder, entries, 640, 480, &error)) {
            return failWith(error);
        }
    }
    BenchWindow bench(scratch);
    if (!bench.isValid()) {
        return failWith(QStringLiteral("Cannot make a scratch folder in \"%1\".").arg(scratch));
    }
    auto* list = bench.find<ImageListWidget>(QStringLiteral("List1"));
    auto* queue = bench.window().findChild<ListPictureQueue*>();
    bench.dialogs.folderAnswers.push_back(folder);

    UiStallMeter meter;
    meter.start();
    QElapsedTimer clock;
    clock.start();
    bench.find<QAbstractButton>(QStringLiteral("CmdToolsBar_1"))->click();
    const double filledMs = double(clock.nsecsElapsed()) / 1e6;
    if (!workUntil([&] { return rowsInSightHavePictures(*list); }, 60000)) {
        return failWith(QStringLiteral("The rows in sight did not get their pictures within a minute."));
    }
    const double inSightMs = double(clock.nsecsElapsed()) / 1e6;
    const bool allRead = workUntil([&] { return queue->pending() == 0; }, 300000);
    const double allReadS = double(clock.nsecsElapsed()) / 1e9;
    meter.stop();
    const double fillStallMs = meter.maxStallMs();

    // Top to bottom, half a page at a time, as a wheel or a dragged scroll bar goes; each step waits only for
    // the window to have answered.
    QScrollBar* bar = list->verticalScrollBar();
    bar->setValue(0);
    workUntil([] { return true; }, 0);
    UiStallMeter scrolling;
    scrolling.start();
    clock.restart();
    int steps = 0;
    for (int value = 0; value <= bar->maximum(); value += std::max(1, bar->pageStep() / 2), ++steps) {
        bar->setValue(value);
        QElapsedTimer step;
        step.start();
        workUntil([&] { return step.elapsed() >= 16; }, 1000);
    }
    bar->setValue(bar->maximum());
    const bool lastInSight = workUntil([&] { return rowsInSightHavePictures(*list); }, 60000);
    const double scrollS = double(clock.nsecsElapsed()) / 1e9;
    scrolling.stop();

    const ListPictureCache& kept = list->pictures()->cache();
    count("entries", list->count());
    figure("fill_ms", filledMs);
    figure("pictures_in_sight_ms", inSightMs);
    figure("pictures_all_read_s", allRead ? allReadS : -1);
    figure("fill_max_ui_stall_ms", fillStallMs);
    count("scroll_steps", steps);
    figure("scroll_s", scrollS);
    figure("scroll_max_ui_stall_ms", scrolling.maxStallMs());
    count("scroll_end_pictures_in_sight", lastInSight ? 1 : 0);
    count("pictures_kept", kept.size());
    figure("pictures_kept_mib", double(kept.bytes()) / double(1 << 20));
    count("picture_width", list->pictures()->deviceSize().width());
    count("picture_height", list->pictures()->deviceSize().height());
    figure("window_rss_mib", currentRssMiB());
    return 0;
}
