#include "bench/UiStallMeter.h"

UiStallMeter::UiStallMeter()
{
    m_timer.setInterval(10);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &UiStallMeter::tick);
}

void UiStallMeter::start()
{
    m_lastNs = 0;
    m_maxGapNs = 0;
    m_maxGapEndNs = 0;
    m_ticks = 0;
    m_clock.start();
    m_timer.start();
}

void UiStallMeter::stop()
{
    tick();
    m_timer.stop();
}

void UiStallMeter::tick()
{
    const qint64 now = m_clock.nsecsElapsed();
    if (now - m_lastNs > m_maxGapNs) {
        m_maxGapNs = now - m_lastNs;
        m_maxGapEndNs = now;
    }
    m_lastNs = now;
    ++m_ticks;
}
