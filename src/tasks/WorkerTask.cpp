#include "tasks/WorkerTask.h"

#include <chrono>

namespace quelto::tasks {

WorkerTask::WorkerTask(Work work) : m_work(std::move(work)) {}

WorkerTask::~WorkerTask()
{
    if (m_thread.joinable()) {
        m_progress.requestCancel();
        m_thread.join();
    }
}

void WorkerTask::start()
{
    if (m_started)
        return;
    m_started = true;
    m_thread = std::thread([this] { run(); });
}

void WorkerTask::run()
{
    bool cancelled = false;
    std::exception_ptr error;
    try {
        m_work(m_progress);
    } catch (const WorkCancelled&) {
        cancelled = true;
    } catch (...) {
        error = std::current_exception();
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_cancelled = cancelled;
        m_error = error;
        m_finished = true;
    }
    m_ended.notify_all();
    if (m_finishedCallback)
        m_finishedCallback();
}

bool WorkerTask::isFinished() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_finished;
}

bool WorkerTask::wait(int timeoutMs)
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (timeoutMs < 0) {
            m_ended.wait(lock, [this] { return m_finished; });
        } else if (!m_ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_finished; })) {
            return false;
        }
    }
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
    return true;
}

void WorkerTask::rethrow() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_error)
        std::rethrow_exception(m_error);
}

} // namespace quelto::tasks
