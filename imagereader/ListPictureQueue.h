#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>

class PreviewRead;

// Reads the small pictures of the image list one after another, in the order last asked for, through one helper
// that serves them all (PreviewRead's reading at a size, kept running while there is work, ended after a while
// without). Asynchronous: pictureRead() comes for each
// file taken from the queue; the image is null and reason says why when the reader refused it.
class ListPictureQueue final : public QObject
{
    Q_OBJECT
public:
    explicit ListPictureQueue(QObject* parent = nullptr);
    ~ListPictureQueue() override;

    // Replaces what waits (a read under way goes on): the files, as the file system's bytes, each to fit in
    // maxSize device pixels.
    void request(const QList<QByteArray>& paths, QSize maxSize);
    // While paused nothing is read and the helper is ended (its read under way, if any, waits to be done again),
    // so that it takes nothing from a run. Resuming goes on where it stopped.
    void setPaused(bool paused);
    [[nodiscard]] bool isPaused() const { return m_paused; }
    // Files waiting, and the one being read.
    [[nodiscard]] qsizetype pending() const { return m_waiting.size() + (m_current.isEmpty() ? 0 : 1); }

Q_SIGNALS:
    void pictureRead(const QByteArray& path, const QImage& image, const QString& reason);

private:
    void readNext();
    void onRead(const QString& path, const QImage& image, const QString& reason);

    PreviewRead* m_read;
    QList<QByteArray> m_waiting;
    QByteArray m_current; // being read, empty when none
    QSize m_maxSize;
    bool m_paused = false;
    QTimer m_idle; // ends the helper when nothing more was asked for a while
};
