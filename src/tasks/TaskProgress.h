#pragma once

#include <QString>
#include <atomic>
#include <mutex>

namespace quelto::tasks {

// Thrown by TaskProgress::check() once Cancel has been asked for; the task
// ends there, after its own clean-up (a rolled back transaction, a removed file).
struct WorkCancelled
{
};

// What a long command has done so far, shared by the thread that does the
// work and the window that shows it. The work names its steps and counts its
// units (rows, pages); the window reads a snapshot and may ask for Cancel.
class TaskProgress
{
public:
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
    void setTotal(qint64 total);
    void setDone(qint64 done) { m_done.store(done, std::memory_order_relaxed); }
    void add(qint64 units = 1) { m_done.fetch_add(units, std::memory_order_relaxed); }
    Snapshot snapshot() const;

    void requestCancel() { m_cancel.store(true); }
    bool cancelRequested() const { return m_cancel.load(std::memory_order_relaxed); }
    // Throws WorkCancelled when Cancel was asked for.
    void check() const
    {
        if (cancelRequested())
            throw WorkCancelled();
    }

private:
    mutable std::mutex m_mutex; // guards the step's texts
    QString m_step;
    QString m_unit;
    std::atomic<qint64> m_done{0};
    std::atomic<qint64> m_total{0};
    std::atomic<bool> m_cancel{false};
};

} // namespace quelto::tasks
