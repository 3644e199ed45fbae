#include "editing/WritePreparer.h"

#include "tasks/CommandRunner.h"

#include <QEventLoop>
#include <memory>

namespace quelto::editing {

void WritePreparer::setRunner(tasks::CommandRunner* runner, Preparation preparation)
{
    m_runner = runner;
    m_preparation = std::move(preparation);
    // Commands dropped by a Cancel are never told: the runner's going idle ends them.
    if (m_runner)
        connect(m_runner, &tasks::CommandRunner::busyChanged, this, [this](bool busy) {
            if (!busy)
                m_preparing = false;
        });
}

std::function<void(tasks::TaskControl&)> WritePreparer::pending() const
{
    return m_runner && m_preparation ? m_preparation() : nullptr;
}

void WritePreparer::runSteps(const QString& what, std::function<void(tasks::TaskControl&)> steps,
                             std::function<void()> done, std::function<void(const QString&)> failed,
                             std::function<void()> cancelled)
{
    m_runner->run<bool>(
        what,
        [steps = std::move(steps)](tasks::TaskControl& control) {
            steps(control);
            return true;
        },
        [done = std::move(done)](bool&) { done(); }, std::move(failed), std::move(cancelled));
}

void WritePreparer::then(const QString& what, std::function<void()> write, std::function<void(const QString&)> failed)
{
    std::function<void(tasks::TaskControl&)> steps = pending();
    if (!steps) {
        write();
        return;
    }
    m_preparing = true;
    runSteps(
        what, std::move(steps),
        [this, write = std::move(write)] {
            m_preparing = false;
            write();
        },
        [this, failed = std::move(failed)](const QString& failure) {
            m_preparing = false;
            failed(failure);
        },
        [this] { m_preparing = false; });
}

bool WritePreparer::wait(const QString& what, const std::function<void(const QString&)>& failed)
{
    std::function<void(tasks::TaskControl&)> steps = pending();
    if (!steps)
        return true;
    enum class End
    {
        Running,
        Over,
        Stopped
    };
    struct Waiting
    {
        End end = End::Running;
        QEventLoop* loop = nullptr;
        QString failure;
    };
    const auto waiting = std::make_shared<Waiting>();
    const auto finish = [waiting](End end) {
        if (waiting->end != End::Running)
            return;
        waiting->end = end;
        if (waiting->loop)
            waiting->loop->quit();
    };
    m_preparing = true;
    runSteps(
        what, std::move(steps), [finish] { finish(End::Over); },
        [finish, waiting](const QString& failure) {
            waiting->failure = failure;
            finish(End::Stopped);
        },
        [finish] { finish(End::Stopped); });
    if (waiting->end == End::Running) {
        // Dropped while waiting its turn (Cancel): the runner goes idle without it.
        const QMetaObject::Connection idle =
            connect(m_runner, &tasks::CommandRunner::busyChanged, this, [finish](bool busy) {
                if (!busy)
                    finish(End::Stopped);
            });
        QEventLoop loop;
        waiting->loop = &loop;
        loop.exec();
        waiting->loop = nullptr;
        disconnect(idle);
    }
    m_preparing = false;
    if (!waiting->failure.isEmpty())
        failed(waiting->failure);
    return waiting->end == End::Over;
}

} // namespace quelto::editing
