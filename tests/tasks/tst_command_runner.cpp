// Long commands off the window's thread: a short one finishes in place, a
// long one shows the window busy, holds back its input, can be cancelled,
// and the commands asked for meanwhile wait their turn.
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
};

QTEST_MAIN(TestCommandRunner)
#include "tst_command_runner.moc"
