#include "app/StartSequence.h"

#include "app/MainWindow.h"
#include "app/QtUserPrompts.h"
#include "app/Settings.h"
#include "app/SplashWindow.h"
#include "app/TerminationSignals.h"

#include "catalog/OpeningPrefetch.h"

#include <QApplication>
#include <QPointer>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <optional>

namespace quelto::app {
namespace {

// QUELTO_START_TRACE=1: the start's steps, in ms since the splash was asked for, on stderr.
void trace(const QElapsedTimer& clock, const char* step)
{
    static const bool wanted = qEnvironmentVariableIsSet("QUELTO_START_TRACE");
    if (wanted)
        std::fprintf(stderr, "start: %6lld ms %s\n", static_cast<long long>(clock.elapsed()), step);
}

} // namespace

int StartSequence::run(const Options& options)
{
    // While the splash shows, the catalogue's rows are found in the opening
    // order on a thread of their own, the main window is made and its load
    // step run, so that it follows the splash at once.
    Settings settings;
    catalog::OpeningPrefetch prefetch(options.databasePath.isEmpty() ? settings.databaseFilename()
                                                                     : options.databasePath);
    QElapsedTimer clock;
    clock.start();
    auto splash = std::make_unique<SplashWindow>();
    if (options.showSplash) {
        splash->show();
        QElapsedTimer drawn;
        drawn.start();
        while (splash->isVisible() && !(splash->windowHandle() && splash->windowHandle()->isExposed())
               && drawn.elapsed() < 500)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        QCoreApplication::processEvents();
    }
    QtUserPrompts prompts;
    // A prompt of the load step (the database dialog, a damaged or read-only
    // catalogue, one open elsewhere) waits until the splash has gone, and
    // comes after it as before.
    QPointer<SplashWindow> showing = options.showSplash ? splash.get() : nullptr;
    prompts.setGate([&showing] {
        if (showing)
            showing->waitUntilGone();
    });
    MainWindow window(settings, prompts);
    trace(clock, "window made");
    // The load step runs as soon as the rows are found, while the splash
    // still shows, so that the splash's end only has the window to show.
    std::optional<MainWindow::LoadResult> result;
    auto loadAndPrepare = [&] {
        result = window.load(options.databasePath);
        trace(clock, "loaded");
        if (*result == MainWindow::LoadResult::Loaded) {
            window.ensurePolished();
            window.winId(); // the native window, made now rather than on showing
            trace(clock, "prepared");
        }
    };
    // The splash takes its two seconds (or a click) as before.
    if (options.showSplash && splash->isVisible()) {
        QTimer early;
        early.setInterval(10);
        QObject::connect(&early, &QTimer::timeout, splash.get(), [&] {
            if (!prefetch.finished())
                return;
            early.stop();
            trace(clock, "prefetch done");
            loadAndPrepare();
        });
        early.start();
        splash->exec();
        early.stop();
    }
    trace(clock, "splash ended");
    splash.reset();
    if (!result) {
        prefetch.wait();
        trace(clock, "prefetch done");
        loadAndPrepare();
    }
    if (*result == MainWindow::LoadResult::Cancelled)
        return 0;
    if (*result == MainWindow::LoadResult::Failed)
        return 1;

    QObject::connect(&window, &MainWindow::quitRequested, qApp, [] { QCoreApplication::exit(0); });
    // Ended from outside (logout, kill): the window and the catalogue close
    // on the way out of here, the lock file with them.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, qApp, [] { QCoreApplication::exit(0); });
    prompts.setWindow(&window);
    window.show();
    trace(clock, "shown");
    QTimer::singleShot(0, &window, [&clock] { trace(clock, "first events done"); });
    return QApplication::exec();
}

} // namespace quelto::app
