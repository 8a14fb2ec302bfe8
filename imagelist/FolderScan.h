#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <thread>

// A folder tree searched for images (FileSearch) on a thread of its own, what it finds handed to the window's thread
// in batches: the window stays live without a loop of its own, and a long list is laid out once per batch, not once
// per entry. One search at a time; stop(), a new start() or the end of this object ends the one under way at once.
class FolderScan final : public QObject
{
    Q_OBJECT
public:
    explicit FolderScan(QObject* parent = nullptr);
    ~FolderScan() override;
    FolderScan(const FolderScan&) = delete;
    FolderScan& operator=(const FolderScan&) = delete;

    void start(const QString& folder);
    // Ends the search under way; what it found and had not yet handed over is dropped, and finished() does not come.
    void stop();
    [[nodiscard]] bool isRunning() const { return m_running; }

Q_SIGNALS:
    // The next paths found, in the search's order.
    void found(const QList<QByteArray>& paths);
    // The search is over; every path went through found() before.
    void finished();

private:
    // Hands a batch over to the window's thread, where it counts only if it belongs to the search under way.
    void handOver(unsigned search, QList<QByteArray> paths, bool last);

    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    unsigned m_search = 0; // counts the searches: a batch of an ended one is dropped
    bool m_running = false;
};
