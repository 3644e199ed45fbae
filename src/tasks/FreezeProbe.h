#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTimer>

namespace quelto::tasks {

// Measures how long the thread's event loop is held up: a timer due every few
// milliseconds notes each wait for it longer than the threshold, one line
// "START_S WAIT_MS" (the start on the monotonic clock, which
// time.monotonic() and CLOCK_MONOTONIC read too). Started by main() when
// QUELTO_FREEZE_LOG names a file; the real-input checks read that file.
class FreezeProbe : public QObject
{
    Q_OBJECT
public:
    static constexpr int TickMs = 5;
    static constexpr int DefaultThresholdMs = 30;

    explicit FreezeProbe(const QString& logPath, int thresholdMs = DefaultThresholdMs, QObject* parent = nullptr);
    // A probe for QUELTO_FREEZE_LOG (QUELTO_FREEZE_THRESHOLD_MS for its
    // threshold), or none when that is not set.
    static FreezeProbe* fromEnvironment(QObject* parent);

    // The longest wait seen so far, in milliseconds.
    qint64 longestMs() const { return m_longest; }

private:
    void tick();

    QFile m_log;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_thresholdMs;
    qint64 m_longest = 0;
};

} // namespace quelto::tasks
