#include "imagelist/FolderScan.h"

#include "imagelist/FileSearch.h"

#include <QMetaObject>

#include <chrono>

namespace {

// Often enough for the list to grow visibly, seldom enough that laying it out costs little.
constexpr std::chrono::milliseconds kBatchInterval{15};

} // namespace

FolderScan::FolderScan(QObject* parent) : QObject(parent) {}

FolderScan::~FolderScan()
{
    stop();
}

void FolderScan::start(const QString& folder)
{
    stop();
    m_stopping = false;
    m_running = true;
    const unsigned search = ++m_search;
    m_thread = std::thread([this, folder, search] {
        QList<QByteArray> batch;
        auto since = std::chrono::steady_clock::now();
        FileSearch(
            folder, [&batch](const QByteArray& path) { batch.append(path); },
            [&] {
                if (std::chrono::steady_clock::now() - since >= kBatchInterval && !batch.isEmpty()) {
                    handOver(search, std::exchange(batch, {}), false);
                    since = std::chrono::steady_clock::now();
                }
                return !m_stopping.load();
            });
        if (!m_stopping) {
            handOver(search, std::move(batch), true);
        }
    });
}

void FolderScan::stop()
{
    m_stopping = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    ++m_search;
    m_running = false;
}

void FolderScan::handOver(unsigned search, QList<QByteArray> paths, bool last)
{
    // Queued to this object: dropped with it, and run on the window's thread.
    QMetaObject::invokeMethod(
        this,
        [this, search, paths = std::move(paths), last] {
            if (search != m_search) {
                return;
            }
            if (!paths.isEmpty()) {
                Q_EMIT found(paths);
            }
            if (last && search == m_search) {
                if (m_thread.joinable()) {
                    m_thread.join();
                }
                m_running = false;
                Q_EMIT finished();
            }
        },
        Qt::QueuedConnection);
}
