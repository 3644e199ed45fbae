#include "tasks/TaskControl.h"

namespace quelto::tasks {

void TaskControl::cancel()
{
    m_cancelled.store(true);
    std::lock_guard lock(m_mutex);
    if (m_interrupt)
        m_interrupt();
}

void TaskControl::throwIfCancelled() const
{
    if (cancelled())
        throw TaskCancelled();
}

void TaskControl::setInterrupt(std::function<void()> interrupt)
{
    std::lock_guard lock(m_mutex);
    m_interrupt = std::move(interrupt);
    if (m_interrupt && cancelled())
        m_interrupt();
}

void TaskControl::begin(const QString& step, qint64 total, const QString& unit)
{
    {
        std::lock_guard lock(m_mutex);
        m_step = step;
        m_unit = unit;
    }
    m_total.store(total, std::memory_order_relaxed);
    m_done.store(0, std::memory_order_relaxed);
}

void TaskControl::setProgress(qint64 done, qint64 total)
{
    m_total.store(total, std::memory_order_relaxed);
    m_done.store(done, std::memory_order_relaxed);
}

void TaskControl::setStep(const QString& text)
{
    std::lock_guard lock(m_mutex);
    m_step = text;
}

QString TaskControl::step() const
{
    std::lock_guard lock(m_mutex);
    return m_step;
}

TaskControl::Snapshot TaskControl::snapshot() const
{
    Snapshot snapshot;
    {
        std::lock_guard lock(m_mutex);
        snapshot.step = m_step;
        snapshot.unit = m_unit;
    }
    snapshot.done = m_done.load(std::memory_order_relaxed);
    snapshot.total = m_total.load(std::memory_order_relaxed);
    return snapshot;
}

} // namespace quelto::tasks
