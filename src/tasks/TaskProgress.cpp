#include "tasks/TaskProgress.h"

namespace quelto::tasks {

void TaskProgress::begin(const QString& step, qint64 total, const QString& unit)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_step = step;
        m_unit = unit;
    }
    m_total.store(total, std::memory_order_relaxed);
    m_done.store(0, std::memory_order_relaxed);
}

void TaskProgress::setTotal(qint64 total) { m_total.store(total, std::memory_order_relaxed); }

TaskProgress::Snapshot TaskProgress::snapshot() const
{
    Snapshot snapshot;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        snapshot.step = m_step;
        snapshot.unit = m_unit;
    }
    snapshot.done = m_done.load(std::memory_order_relaxed);
    snapshot.total = m_total.load(std::memory_order_relaxed);
    return snapshot;
}

} // namespace quelto::tasks
