#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace quelto::tasks {
class CommandRunner;
class TaskControl;
} // namespace quelto::tasks

namespace quelto::editing {

// The long steps a write of the window's may have to wait for before it
// starts (the quick check still running, the backup copy before the run's
// first change), run on the command runner so that the window keeps
// answering meanwhile: it draws, shows the busy indicator and holds input
// back. Nothing is written before they are over; with nothing pending, or
// without a runner, the write runs at once.
class WritePreparer : public QObject
{
    Q_OBJECT
public:
    // The steps pending now, as a step for a worker thread; none when none are.
    using Preparation = std::function<std::function<void(tasks::TaskControl&)>()>;

    explicit WritePreparer(QObject* parent = nullptr) : QObject(parent) {}

    void setRunner(tasks::CommandRunner* runner, Preparation preparation);

    // write runs on the window's thread once the steps are over; failed is
    // told why they failed; after Cancel nothing runs.
    void then(const QString& what, std::function<void()> write, std::function<void(const QString&)> failed);
    // For a command that goes on only once the write is stored: waits for
    // the steps, the event loop running. True once they are over (write
    // now); false when they were cancelled or failed (failed has been told).
    bool wait(const QString& what, const std::function<void(const QString&)>& failed);
    // True from a write's request until its steps are over.
    bool isPreparing() const { return m_preparing; }

private:
    std::function<void(tasks::TaskControl&)> pending() const;
    // The steps on the runner, then done on the window's thread.
    void runSteps(const QString& what, std::function<void(tasks::TaskControl&)> steps, std::function<void()> done,
                  std::function<void(const QString&)> failed, std::function<void()> cancelled);

    tasks::CommandRunner* m_runner = nullptr;
    Preparation m_preparation;
    bool m_preparing = false;
};

} // namespace quelto::editing
