#pragma once

#include "tasks/TaskControl.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QStatusBar;
class QTimer;
class QWidget;

namespace quelto::tasks {

class BackgroundTask;
class BusyIndicator;
class InputBlocker;

// Runs the window's long commands off its thread, so that the window keeps
// answering: the work runs on a thread of its own (it must not touch
// widgets; give it its own database connection), the rest of the command runs
// afterwards on the window's thread with the work's result.
//
// A command that is over within the patience (60 ms) finishes as if it had
// run in place, and the window shows nothing of it. A longer one shows the
// busy indicator in the status bar (what it does, its progress, Cancel), a
// busy cursor, and holds back mouse and keys aimed at the window until it is
// over (Esc cancels). Commands asked for meanwhile wait their turn, in order.
//
//     runner.run<std::vector<qint64>>(tr("Sorting..."),
//         [path, sql](TaskControl& control) { return keysOf(path, sql, control); },
//         [this](std::vector<qint64>& keys) { show(keys); },
//         [this](const QString& failure) { tell(failure); });
//
// Cancelled work ends without its done step (and with the cancelled step,
// if one is given): a cancelled command changes nothing.
class CommandRunner : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultPatienceMs = 60;

    // window: the window whose input is held back; statusBar: where the busy
    // indicator shows (none: no indicator, input still held back).
    CommandRunner(QWidget* window, QStatusBar* statusBar, QObject* parent = nullptr);
    ~CommandRunner() override;

    template <typename Result>
    void run(const QString& what, std::function<Result(TaskControl&)> work, std::function<void(Result&)> done,
             std::function<void(const QString&)> failed = {}, std::function<void()> cancelled = {})
    {
        auto slot = std::make_shared<std::optional<Result>>();
        Command command;
        command.what = what;
        command.work = [work = std::move(work), slot](TaskControl& control) { slot->emplace(work(control)); };
        command.done = [done = std::move(done), slot] {
            if (*slot)
                done(**slot);
        };
        command.failed = std::move(failed);
        command.cancelled = std::move(cancelled);
        enqueue(std::move(command));
    }

    bool isBusy() const { return m_task != nullptr; }
    // True while the busy indicator is on show.
    bool isShowingBusy() const;
    // Asks the running command to stop; those waiting are dropped too.
    void cancel();
    // How long the window waits for a command before it shows itself busy.
    void setPatience(int ms) { m_patience = ms; }
    int patience() const { return m_patience; }
    // Waits, with the event loop running, until no command runs or waits
    // (tests, closing); false after ms milliseconds.
    bool waitIdle(int ms);
    // Where failures go when a command names no failure step of its own.
    void setFailureReport(std::function<void(const QString&)> report) { m_report = std::move(report); }

    BusyIndicator* indicator() const;

signals:
    void busyChanged(bool busy);
    void commandFinished();

private:
    struct Command
    {
        QString what;
        std::function<void(TaskControl&)> work;
        std::function<void()> done;
        std::function<void(const QString&)> failed;
        std::function<void()> cancelled;
    };

    void enqueue(Command command);
    void startNext();
    void finishCurrent();
    void showBusy(bool busy);

    QWidget* m_window;
    QPointer<BusyIndicator> m_indicator; // in the window's status bar, which may go first
    InputBlocker* m_blocker;
    QTimer* m_progressTimer;
    int m_patience = DefaultPatienceMs;
    std::shared_ptr<BackgroundTask> m_task;
    Command m_current;
    std::deque<Command> m_waiting;
    std::function<void(const QString&)> m_report;
    bool m_cursorSet = false;
};

} // namespace quelto::tasks
