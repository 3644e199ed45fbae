#pragma once

#include "tasks/TaskProgress.h"

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace quelto::tasks {

// One long command run on a thread of its own, so that the window's thread
// only shows its progress. The work gets the task's progress: it reports what
// it has done and calls check() often enough (every few milliseconds) for
// Cancel to take effect at once.
//
// The work must not touch widgets. What it throws is kept and thrown again by
// rethrow() on the caller's thread; WorkCancelled only marks the task cancelled.
//
//     tasks::WorkerTask task([&](tasks::TaskProgress& progress) { ... });
//     prompts.runTask(QStringLiteral("Importing ..."), task); // or task.start(); task.wait();
//     if (task.wasCancelled()) ...
//     task.rethrow();
class WorkerTask
{
public:
    using Work = std::function<void(TaskProgress&)>;

    explicit WorkerTask(Work work);
    // Asks a task still running to cancel and waits for it.
    ~WorkerTask();
    WorkerTask(const WorkerTask&) = delete;
    WorkerTask& operator=(const WorkerTask&) = delete;

    // Called on the worker thread once the work has ended (before wait() returns);
    // set it before start(). The progress dialog wakes up on it.
    void setFinishedCallback(std::function<void()> callback) { m_finishedCallback = std::move(callback); }

    // Starts the work; a second call does nothing.
    void start();
    bool isStarted() const { return m_started; }
    bool isFinished() const;
    // Waits until the work has ended; false when timeoutMs ran out first (-1: no limit).
    bool wait(int timeoutMs = -1);

    TaskProgress& progress() { return m_progress; }
    const TaskProgress& progress() const { return m_progress; }

    // After the end: whether the work stopped on Cancel, and what else it threw.
    bool wasCancelled() const { return m_cancelled; }
    bool failed() const { return m_error != nullptr; }
    void rethrow() const;

private:
    void run();

    Work m_work;
    TaskProgress m_progress;
    std::function<void()> m_finishedCallback;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_started = false;
    bool m_finished = false;
    bool m_cancelled = false;
    std::exception_ptr m_error;
};

} // namespace quelto::tasks
