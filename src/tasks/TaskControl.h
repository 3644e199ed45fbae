#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <stdexcept>

namespace quelto::tasks {

// What a long piece of work shares with the one who waits for it: the request
// to stop, how far the work has come, and how to break off a call that blocks
// (an engine query: SqliteConnection::interrupt).
//
// The work asks cancelled() between steps and ends early when it is set,
// throwing TaskCancelled or returning what it has; cancel() may come from any
// thread.
class TaskControl
{
public:
    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }
    // Sets the flag and runs the interrupt, if one is set.
    void cancel();
    // Throws TaskCancelled once cancel() has been called.
    void throwIfCancelled() const;
    // Runs when cancel() is called while it is set; clear it with {} before
    // what it refers to goes away.
    void setInterrupt(std::function<void()> interrupt);

    // How far the work has come, read at once by the one who shows it.
    struct Snapshot
    {
        QString step;
        QString unit; // what is counted ("records"); empty: only the share is shown
        qint64 done = 0;
        qint64 total = 0; // 0: not known
    };

    // A new step with its text and its size (0 when not known) in units
    // ("records", "pages"; empty for bytes and the like, shown only as a
    // share); done restarts at 0.
    void begin(const QString& step, qint64 total = 0, const QString& unit = {});
    // done of total units (total 0: not known); the text names the step.
    void setProgress(qint64 done, qint64 total);
    void setStep(const QString& text);
    void setTotal(qint64 total) { m_total.store(total, std::memory_order_relaxed); }
    void setDone(qint64 done) { m_done.store(done, std::memory_order_relaxed); }
    void add(qint64 units = 1) { m_done.fetch_add(units, std::memory_order_relaxed); }
    qint64 done() const { return m_done.load(std::memory_order_relaxed); }
    qint64 total() const { return m_total.load(std::memory_order_relaxed); }
    QString step() const;
    Snapshot snapshot() const;

private:
    std::atomic<bool> m_cancelled{false};
    std::atomic<qint64> m_done{0};
    std::atomic<qint64> m_total{0};
    mutable std::mutex m_mutex;
    std::function<void()> m_interrupt;
    QString m_step;
    QString m_unit;
};

// Thrown by work that stops because it was cancelled.
class TaskCancelled : public std::runtime_error
{
public:
    TaskCancelled() : std::runtime_error("cancelled") {}
};

} // namespace quelto::tasks
