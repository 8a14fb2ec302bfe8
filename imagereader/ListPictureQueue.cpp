#include "imagereader/ListPictureQueue.h"

#include "imagereader/PreviewRead.h"

#include <QFile>

namespace {

// Long enough for the next step of a scroll to find the helper still there, short enough that no helper stays
// long without work.
constexpr int kIdleHelperMs = 250;
// A small picture takes about a second at most from the photos and scans people make; a file that holds the
// reader longer is shown as refused (the run still gives it the run's own time) and the queue goes on.
constexpr std::chrono::seconds kPictureTimeout{10};

} // namespace

ListPictureQueue::ListPictureQueue(QObject* parent) : QObject(parent), m_read(new PreviewRead(this))
{
    m_read->setKeepRunning(true);
    m_read->setTimeout(kPictureTimeout);
    connect(m_read, &PreviewRead::finished, this, &ListPictureQueue::onRead);
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleHelperMs);
    connect(&m_idle, &QTimer::timeout, this, [this] {
        if (m_current.isEmpty()) {
            m_read->cancel();
        }
    });
}

ListPictureQueue::~ListPictureQueue() = default;

void ListPictureQueue::request(const QList<QByteArray>& paths, QSize maxSize)
{
    m_waiting.clear();
    m_waiting.reserve(paths.size());
    for (const QByteArray& path : paths) {
        // A name that is not UTF-8 cannot be handed over as text unchanged: it gets no picture rather than a
        // warning about another file.
        if (path != m_current && QFile::encodeName(QFile::decodeName(path)) == path) {
            m_waiting.append(path);
        }
    }
    m_maxSize = maxSize;
    readNext();
}

void ListPictureQueue::setPaused(bool paused)
{
    if (paused == m_paused) {
        return;
    }
    m_paused = paused;
    if (paused) {
        if (!m_current.isEmpty()) {
            m_waiting.prepend(m_current);
            m_current.clear();
        }
        m_idle.stop();
        m_read->cancel();
        return;
    }
    // Once the window has taken in what the run left (a list emptied after saving asks for nothing more).
    QTimer::singleShot(0, this, &ListPictureQueue::readNext);
}

void ListPictureQueue::readNext()
{
    if (m_paused || !m_current.isEmpty()) {
        return;
    }
    if (m_waiting.isEmpty()) {
        m_idle.start();
        return;
    }
    m_idle.stop();
    m_current = m_waiting.takeFirst();
    m_read->request(QFile::decodeName(m_current), m_maxSize);
}

void ListPictureQueue::onRead(const QString& path, const QImage& image, const QString& reason)
{
    if (m_current.isEmpty() || QFile::decodeName(m_current) != path) {
        return;
    }
    const QByteArray done = m_current;
    m_current.clear();
    Q_EMIT pictureRead(done, image, reason);
    readNext();
}
