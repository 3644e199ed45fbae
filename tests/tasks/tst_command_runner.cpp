// Long commands off the window's thread: a short one finishes in place, a
// long one shows the window busy, holds back its input, can be cancelled,
// and the commands asked for meanwhile wait their turn. The task under them:
// its steps, and how it tells a stop on Cancel from work that ran to its end.
#include "tasks/BackgroundTask.h"
#include "tasks/BusyIndicator.h"
#include "tasks/CommandRunner.h"

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QtTest>
#include <atomic>
#include <stdexcept>

using namespace quelto::tasks;

namespace {

// A window with one command button, as the main window has many.
struct Window
{
    QMainWindow window;
    QPushButton* button = new QPushButton(QStringLiteral("Next"), &window);
    CommandRunner runner{&window, window.statusBar()};
    int clicks = 0;

    Window()
    {
        window.setCentralWidget(button);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        window.show();
    }
};

// Work that runs until the test lets it go.
struct Gate
{
    std::atomic<bool> open{false};
    void wait(TaskControl& control)
    {
        while (!open && !control.cancelled())
            QThread::msleep(2);
        control.throwIfCancelled();
    }
};

} // namespace

class TestCommandRunner : public QObject
{
    Q_OBJECT

private slots:
    void shortCommandFinishesInPlace()
    {
        Window w;
        int result = 0;
        w.runner.run<int>(QStringLiteral("Adding..."), [](TaskControl&) { return 6 * 7; },
                          [&](int& value) { result = value; });
        QCOMPARE(result, 42); // within the patience: done before run() returned
        QVERIFY(!w.runner.isBusy());
        QVERIFY(!w.runner.indicator()->isVisible());
    }

    void longCommandShowsBusyHoldsInputAndFinishes()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        Gate gate;
        QString done;
        QSignalSpy busy(&w.runner, &CommandRunner::busyChanged);
        w.runner.run<QString>(
            QStringLiteral("Sorting by Title..."),
            [&](TaskControl& control) {
                control.setProgress(1, 4);
                gate.wait(control);
                return QStringLiteral("sorted");
            },
            [&](QString& value) { done = value; });
        QVERIFY(w.runner.isBusy());
        QVERIFY(w.runner.isShowingBusy());
        QTRY_VERIFY(w.runner.indicator()->isVisible());
        QCOMPARE(w.runner.indicator()->label()->text(), QStringLiteral("Sorting by Title..."));
        QTRY_COMPARE(w.runner.indicator()->progressBar()->value(), 250);
        // The window paints and answers, but takes no command meanwhile.
        QTest::mouseClick(w.button, Qt::LeftButton);
        QTest::keyClick(w.button, Qt::Key_Space);
        QCOMPARE(w.clicks, 0);
        QVERIFY(done.isEmpty());

        gate.open = true;
        QTRY_COMPARE(done, QStringLiteral("sorted"));
        QVERIFY(!w.runner.isBusy());
        QVERIFY(!w.runner.indicator()->isVisible());
        QTest::mouseClick(w.button, Qt::LeftButton);
        QCOMPARE(w.clicks, 1);
        QVERIFY(busy.size() >= 2);
        QCOMPARE(busy.last().at(0).toBool(), false);
    }

    void cancelChangesNothingAndDropsWaitingCommands()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        Gate gate;
        bool done = false;
        bool cancelled = false;
        bool waitingRan = false;
        w.runner.run<int>(
            QStringLiteral("Searching..."), [&](TaskControl& control) { gate.wait(control); return 1; },
            [&](int&) { done = true; }, {}, [&] { cancelled = true; });
        w.runner.run<int>(QStringLiteral("Then this"), [](TaskControl&) { return 2; },
                          [&](int&) { waitingRan = true; });
        QTRY_VERIFY(w.runner.indicator()->isVisible());
        // Esc in the window, as the user would.
        QTest::keyClick(w.button, Qt::Key_Escape);
        QTRY_VERIFY(!w.runner.isBusy());
        QVERIFY(cancelled);
        QVERIFY(!done);
        QVERIFY(!waitingRan);

        // The Cancel button does the same.
        cancelled = false;
        w.runner.run<int>(
            QStringLiteral("Searching..."), [&](TaskControl& control) { gate.wait(control); return 1; },
            [&](int&) { done = true; }, {}, [&] { cancelled = true; });
        QTRY_VERIFY(w.runner.indicator()->isVisible());
        QTest::mouseClick(w.runner.indicator()->cancelButton(), Qt::LeftButton);
        QTRY_VERIFY(cancelled);
        QVERIFY(!done);
    }

    void commandsWaitTheirTurnAndFailuresAreTold()
    {
        Window w;
        w.runner.setPatience(0);
        QStringList order;
        QString told;
        w.runner.setFailureReport([&](const QString& failure) { told = failure; });
        for (int i = 1; i <= 3; ++i) {
            w.runner.run<int>(QStringLiteral("Step %1").arg(i), [i](TaskControl&) { return i; },
                              [&](int& value) { order << QString::number(value); });
        }
        w.runner.run<int>(QStringLiteral("Failing"),
                          [](TaskControl&) -> int { throw std::runtime_error("The catalogue is locked."); },
                          [&](int&) { order << QStringLiteral("never"); });
        QVERIFY(w.runner.waitIdle(10000));
        QCOMPARE(order, (QStringList{"1", "2", "3"}));
        QCOMPARE(told, QStringLiteral("The catalogue is locked."));
    }

    void stepsCountTheirUnitsFromNothing()
    {
        TaskControl control;
        control.begin(QStringLiteral("Storing the records..."), 10, QStringLiteral("rows"));
        control.add(3);
        control.add();
        TaskControl::Snapshot now = control.snapshot();
        QCOMPARE(now.step, QStringLiteral("Storing the records..."));
        QCOMPARE(now.unit, QStringLiteral("rows"));
        QCOMPARE(now.done, 4);
        QCOMPARE(now.total, 10);
        control.setDone(9);
        QCOMPARE(control.snapshot().done, 9);

        // A new step forgets the last one's count, size and unit.
        control.begin(QStringLiteral("Saving..."));
        now = control.snapshot();
        QCOMPARE(now.step, QStringLiteral("Saving..."));
        QVERIFY(now.unit.isEmpty());
        QCOMPARE(now.done, 0);
        QCOMPARE(now.total, 0);
        control.setTotal(50);
        QCOMPARE(control.snapshot().total, 50);
    }

    void taskTellsAStopOnCancelFromWorkThatRanToItsEnd()
    {
        // Stopped by Cancel: nothing to throw again.
        Gate gate;
        auto stopped = BackgroundTask::start([&](TaskControl& control) { gate.wait(control); });
        stopped->cancel();
        QVERIFY(stopped->waitFor(10000));
        QCOMPARE(stopped->outcome(), BackgroundTask::Outcome::Cancelled);
        QVERIFY(stopped->stoppedOnCancel());
        stopped->rethrow();

        // Cancel that came after the work's last check: what it did stands.
        std::atomic<bool> open{false};
        bool finished = false;
        auto late = BackgroundTask::start([&](TaskControl&) {
            while (!open)
                QThread::msleep(2);
            finished = true;
        });
        late->cancel();
        open = true;
        QVERIFY(late->waitFor(10000));
        QVERIFY(finished);
        QCOMPARE(late->outcome(), BackgroundTask::Outcome::Cancelled);
        QVERIFY(!late->stoppedOnCancel());
        late->rethrow();
    }

    void taskThrowsItsFailureAgainOnTheCallersThread()
    {
        auto failing = BackgroundTask::start(
            [](TaskControl&) { throw std::invalid_argument("The file is not a CSV file."); });
        QVERIFY(failing->waitFor(10000));
        QCOMPARE(failing->outcome(), BackgroundTask::Outcome::Failed);
        QCOMPARE(failing->failure(), QStringLiteral("The file is not a CSV file."));
        QVERIFY(!failing->stoppedOnCancel());
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, failing->rethrow());

        // A failure after Cancel is still the failure, and no stop on Cancel.
        auto failingLate = BackgroundTask::start([&](TaskControl& control) {
            while (!control.cancelled())
                QThread::msleep(2);
            throw std::runtime_error("The disk is full.");
        });
        failingLate->cancel();
        QVERIFY(failingLate->waitFor(10000));
        QVERIFY(!failingLate->stoppedOnCancel());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, failingLate->rethrow());

        // Whatever is thrown, the task ends and keeps it.
        auto odd = BackgroundTask::start([](TaskControl&) { throw 7; });
        QVERIFY(odd->waitFor(10000));
        QCOMPARE(odd->outcome(), BackgroundTask::Outcome::Failed);
        QVERIFY_THROWS_EXCEPTION(int, odd->rethrow());
    }
};

QTEST_MAIN(TestCommandRunner)
#include "tst_command_runner.moc"
