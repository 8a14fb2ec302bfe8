#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// A 10 ms timer on the UI thread: the longest gap between its ticks is the longest time the window could not
// answer the user.
class UiStallMeter final : public QObject
{
    Q_OBJECT
public:
    UiStallMeter();

    void start();
    // Stops and counts the gap up to now as well.
    void stop();

    [[nodiscard]] double maxStallMs() const { return double(m_maxGapNs) / 1e6; }
    // When the longest gap ended, in seconds after start().
    [[nodiscard]] double maxStallEndS() const { return double(m_maxGapEndNs) / 1e9; }
    [[nodiscard]] int ticks() const { return m_ticks; }

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_maxGapNs = 0;
    qint64 m_maxGapEndNs = 0;
    int m_ticks = 0;
};
