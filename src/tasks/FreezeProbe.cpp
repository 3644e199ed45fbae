#include "tasks/FreezeProbe.h"

#include <ctime>

namespace quelto::tasks {
namespace {

double monotonicSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

} // namespace

FreezeProbe::FreezeProbe(const QString& logPath, int thresholdMs, QObject* parent)
    : QObject(parent), m_log(logPath), m_thresholdMs(thresholdMs)
{
    if (!logPath.isEmpty())
        m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text | QIODevice::Unbuffered);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(TickMs);
    connect(&m_timer, &QTimer::timeout, this, &FreezeProbe::tick);
    m_clock.start();
    m_lastNs = m_clock.nsecsElapsed();
    m_timer.start();
}

FreezeProbe* FreezeProbe::fromEnvironment(QObject* parent)
{
    const QString path = qEnvironmentVariable("QUELTO_FREEZE_LOG");
    if (path.isEmpty())
        return nullptr;
    bool ok = false;
    const int threshold = qEnvironmentVariableIntValue("QUELTO_FREEZE_THRESHOLD_MS", &ok);
    return new FreezeProbe(path, ok && threshold > 0 ? threshold : DefaultThresholdMs, parent);
}

void FreezeProbe::tick()
{
    const qint64 now = m_clock.nsecsElapsed();
    // The wait beyond the timer's own interval.
    const qint64 waitMs = (now - m_lastNs) / 1000000 - TickMs;
    m_lastNs = now;
    if (waitMs < m_thresholdMs)
        return;
    m_longest = std::max(m_longest, waitMs);
    if (m_log.isOpen()) {
        const double start = monotonicSeconds() - double(waitMs + TickMs) / 1000.0;
        m_log.write(QByteArray::number(start, 'f', 3) + ' ' + QByteArray::number(waitMs) + '\n');
    }
}

} // namespace quelto::tasks
