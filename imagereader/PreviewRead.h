#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <chrono>

class ImageReader;
struct ReaderOutcome;

// Reads `path` in the isolated helper, upright, scaled down to fit in `maxSize` device pixels (never enlarged).
// Asynchronous: finished() arrives on the thread that called request(). A new request() cancels (kills) the
// one still running; its finished() never arrives. On failure the image is null and reason says why in plain
// words.
//
// Every format the conversion reads, content detection included, with the same limits as the run's reader; a
// large JPEG is decoded at a fraction of its size when the preview needs no more. Transparent pixels show white,
// as on the page.
class PreviewRead : public QObject
{
    Q_OBJECT
public:
    explicit PreviewRead(QObject* parent = nullptr);
    ~PreviewRead() override; // kills a running helper
    void request(const QString& path, QSize maxSize);
    // Keeps one helper for the next request instead of one for each (off by default): for a queue of many pictures.
    void setKeepRunning(bool keep);
    // How long one picture may take (the run's reader's time by default).
    void setTimeout(std::chrono::seconds timeout);
    void cancel();
    [[nodiscard]] bool isBusy() const;

Q_SIGNALS:
    void finished(const QString& path, const QImage& image, const QString& reason);

private:
    void onFinished(const ReaderOutcome& outcome);
    void closeOutput();

    ImageReader* m_reader;
    QString m_path;
    QSize m_maxSize;
    int m_output = -1; // a private file in memory that the helper writes the picture to
};
