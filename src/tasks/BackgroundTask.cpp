#include "tasks/BackgroundTask.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <exception>
#include <thread>

namespace quelto::tasks {

std::shared_ptr<BackgroundTask> BackgroundTask::start(std::function<void(TaskControl&)> work)
{
    std::shared_ptr<BackgroundTask> task(new BackgroundTask);
    std::thread([task, work = std::move(work)] { task->run(work); }).detach();
    return task;
}

void BackgroundTask::run(const std::function<void(TaskControl&)>& work)
{
    try {
        work(m_control);
    } catch (const TaskCancelled&) {
        {
            std::lock_guard lock(m_mutex);
            m_stoppedOnCancel = true;
        }
        finish(Outcome::Cancelled, {});
        return;
    } catch (const std::exception& error) {
        finish(m_control.cancelled() ? Outcome::Cancelled : Outcome::Failed, QString::fromUtf8(error.what()),
               std::current_exception());
        return;
    } catch (...) {
        finish(m_control.cancelled() ? Outcome::Cancelled : Outcome::Failed, QStringLiteral("unknown failure"),
               std::current_exception());
        return;
    }
    finish(m_control.cancelled() ? Outcome::Cancelled : Outcome::Done, {});
}

void BackgroundTask::finish(Outcome outcome, const QString& failure, std::exception_ptr error)
{
    QPointer<QObject> receiver;
    std::function<void()> then;
    {
        std::lock_guard lock(m_mutex);
        m_outcome = outcome;
        m_failure = failure;
        m_error = std::move(error);
        receiver = m_receiver;
        then = std::move(m_then);
        m_then = {};
    }
    m_over.notify_all();
    if (then)
        deliver(receiver, std::move(then));
}

void BackgroundTask::deliver(QPointer<QObject> receiver, std::function<void()> then)
{
    // Posted to the application, which outlives every receiver; whether the
    // receiver still exists is asked on its own (the application's) thread.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [receiver, then = std::move(then)] {
            if (receiver)
                then();
        },
        Qt::QueuedConnection);
}

bool BackgroundTask::waitFor(int ms)
{
    std::unique_lock lock(m_mutex);
    const auto over = [this] { return m_outcome != Outcome::Running; };
    if (ms < 0) {
        m_over.wait(lock, over);
        return true;
    }
    return m_over.wait_for(lock, std::chrono::milliseconds(ms), over);
}

BackgroundTask::Outcome BackgroundTask::outcome() const
{
    std::lock_guard lock(m_mutex);
    return m_outcome;
}

QString BackgroundTask::failure() const
{
    std::lock_guard lock(m_mutex);
    return m_failure;
}

bool BackgroundTask::stoppedOnCancel() const
{
    std::lock_guard lock(m_mutex);
    return m_stoppedOnCancel;
}

void BackgroundTask::rethrow() const
{
    std::exception_ptr error;
    {
        std::lock_guard lock(m_mutex);
        error = m_error;
    }
    if (error)
        std::rethrow_exception(error);
}

void BackgroundTask::whenOver(QObject* receiver, std::function<void()> then)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_outcome == Outcome::Running) {
            m_receiver = receiver;
            m_then = std::move(then);
            return;
        }
    }
    deliver(receiver, std::move(then));
}

} // namespace quelto::tasks
