#pragma once

#include "tasks/TaskControl.h"

#include <QPointer>
#include <QString>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace quelto::tasks {

// A piece of work on a thread of its own, started at once. The work hands its
// result over through what it captures; the task tells how it ended: done,
// failed (an exception, whose text is kept) or cancelled (TaskCancelled, or
// cancel() called before it ended: a result that comes after Cancel does not
// count).
//
// The task lives as long as its thread or a holder of the pointer; a receiver
// that is gone before the end is simply not told.
class BackgroundTask : public std::enable_shared_from_this<BackgroundTask>
{
public:
    enum class Outcome
    {
        Running,
        Done,
        Failed,
        Cancelled
    };

    static std::shared_ptr<BackgroundTask> start(std::function<void(TaskControl&)> work);

    TaskControl& control() { return m_control; }
    void cancel() { m_control.cancel(); }
    // Waits up to ms milliseconds (-1: as long as it takes); true when over.
    bool waitFor(int ms);
    Outcome outcome() const;
    QString failure() const;
    // True when the work itself stopped on Cancel (threw TaskCancelled). Work
    // that ran to its end, or failed, although Cancel came meanwhile did not:
    // what it did stands, whatever outcome() says.
    bool stoppedOnCancel() const;
    // Throws again, on the caller's thread, what the work threw, if anything
    // other than TaskCancelled.
    void rethrow() const;
    // Runs then on the application's thread once the work is over, queued,
    // unless the receiver (an object of that thread) is gone by then.
    void whenOver(QObject* receiver, std::function<void()> then);

private:
    BackgroundTask() = default;
    void run(const std::function<void(TaskControl&)>& work);
    void finish(Outcome outcome, const QString& failure, std::exception_ptr error = {});
    static void deliver(QPointer<QObject> receiver, std::function<void()> then);

    TaskControl m_control;
    mutable std::mutex m_mutex;
    std::condition_variable m_over;
    Outcome m_outcome = Outcome::Running;
    QString m_failure;
    std::exception_ptr m_error;
    bool m_stoppedOnCancel = false;
    QPointer<QObject> m_receiver;
    std::function<void()> m_then;
};

} // namespace quelto::tasks
