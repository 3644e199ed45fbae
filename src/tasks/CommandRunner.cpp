#include "tasks/CommandRunner.h"

#include "tasks/BackgroundTask.h"
#include "tasks/BusyIndicator.h"
#include "tasks/InputBlocker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStatusBar>
#include <QTimer>

namespace quelto::tasks {

CommandRunner::CommandRunner(QWidget* window, QStatusBar* statusBar, QObject* parent)
    : QObject(parent ? parent : window), m_window(window), m_progressTimer(new QTimer(this))
{
    if (statusBar) {
        m_indicator = new BusyIndicator(statusBar);
        statusBar->addPermanentWidget(m_indicator);
        m_indicator->hide();
        connect(m_indicator, &BusyIndicator::cancelRequested, this, &CommandRunner::cancel);
    }
    m_blocker = new InputBlocker(window, m_indicator, this);
    connect(m_blocker, &InputBlocker::escapePressed, this, &CommandRunner::cancel);
    m_progressTimer->setInterval(100);
    connect(m_progressTimer, &QTimer::timeout, this, [this] {
        if (m_task && m_indicator)
            m_indicator->showProgress(m_task->control());
    });
}

CommandRunner::~CommandRunner()
{
    m_waiting.clear();
    if (m_task)
        m_task->cancel(); // its thread ends on its own; nobody is told
    showBusy(false);
}

BusyIndicator* CommandRunner::indicator() const { return m_indicator.data(); }

bool CommandRunner::isShowingBusy() const { return m_blocker->isActive(); }

void CommandRunner::enqueue(Command command)
{
    m_waiting.push_back(std::move(command));
    if (!m_task)
        startNext();
}

void CommandRunner::startNext()
{
    if (m_task || m_waiting.empty())
        return;
    m_current = std::move(m_waiting.front());
    m_waiting.pop_front();
    m_task = BackgroundTask::start(m_current.work);
    emit busyChanged(true);
    if (m_task->waitFor(m_patience)) {
        finishCurrent();
        return;
    }
    if (m_indicator)
        m_indicator->showTask(m_current.what);
    showBusy(true);
    std::weak_ptr<BackgroundTask> started = m_task;
    m_task->whenOver(this, [this, started] {
        if (!started.expired() && started.lock() == m_task)
            finishCurrent();
    });
}

void CommandRunner::finishCurrent()
{
    const std::shared_ptr<BackgroundTask> task = std::move(m_task);
    m_task.reset();
    const Command command = std::move(m_current);
    m_current = {};
    if (m_waiting.empty())
        showBusy(false);
    switch (task->outcome()) {
    case BackgroundTask::Outcome::Done:
        if (command.done)
            command.done();
        break;
    case BackgroundTask::Outcome::Failed:
        if (command.failed)
            command.failed(task->failure());
        else if (m_report)
            m_report(task->failure());
        break;
    case BackgroundTask::Outcome::Cancelled:
    case BackgroundTask::Outcome::Running:
        if (command.cancelled)
            command.cancelled();
        break;
    }
    emit commandFinished();
    if (!m_task) {
        if (m_waiting.empty())
            emit busyChanged(false);
        else
            startNext();
    }
}

void CommandRunner::cancel()
{
    m_waiting.clear();
    if (m_task)
        m_task->cancel();
}

void CommandRunner::showBusy(bool busy)
{
    m_blocker->setActive(busy);
    if (m_indicator)
        m_indicator->setVisible(busy);
    if (busy) {
        m_progressTimer->start();
        if (!m_cursorSet) {
            QApplication::setOverrideCursor(Qt::BusyCursor);
            m_cursorSet = true;
        }
    } else {
        m_progressTimer->stop();
        if (m_cursorSet) {
            QApplication::restoreOverrideCursor();
            m_cursorSet = false;
        }
    }
}

bool CommandRunner::waitIdle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (m_task || !m_waiting.empty()) {
        if (timer.elapsed() > ms)
            return false;
        if (m_task)
            m_task->waitFor(10);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace quelto::tasks
