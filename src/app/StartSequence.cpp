#include "app/StartSequence.h"

#include "app/MainWindow.h"
#include "app/QtUserPrompts.h"
#include "app/Settings.h"
#include "app/SplashWindow.h"
#include "app/TerminationSignals.h"

#include "catalog/OpeningPrefetch.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

namespace quelto::app {

int StartSequence::run(const Options& options)
{
    // While the splash shows, the catalogue's rows are found in the opening
    // order on a thread of their own and the main window is made, so that it
    // follows the splash at once.
    Settings settings;
    catalog::OpeningPrefetch prefetch(options.databasePath.isEmpty() ? settings.databaseFilename()
                                                                     : options.databasePath);
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
    MainWindow window(settings, prompts);
    // The splash takes its two seconds (or a click) as before.
    if (options.showSplash && splash->isVisible())
        splash->exec();
    splash.reset();
    prefetch.wait();
    const MainWindow::LoadResult result = window.load(options.databasePath);
    if (result == MainWindow::LoadResult::Cancelled)
        return 0;
    if (result == MainWindow::LoadResult::Failed)
        return 1;

    QObject::connect(&window, &MainWindow::quitRequested, qApp, [] { QCoreApplication::exit(0); });
    // Ended from outside (logout, kill): the window and the catalogue close
    // on the way out of here, the lock file with them.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, qApp, [] { QCoreApplication::exit(0); });
    prompts.setWindow(&window);
    window.show();
    return QApplication::exec();
}

} // namespace quelto::app
