#include "app/StartSequence.h"

#include "app/MainWindow.h"
#include "app/QtUserPrompts.h"
#include "app/Settings.h"
#include "app/SplashWindow.h"
#include "app/TerminationSignals.h"

#include <QApplication>

namespace quelto::app {

int StartSequence::run(const Options& options)
{
    auto splash = std::make_unique<SplashWindow>();
    if (options.showSplash)
        splash->exec();

    Settings settings;
    QtUserPrompts prompts;
    MainWindow window(settings, prompts);
    const MainWindow::LoadResult result = window.load(options.databasePath);
    splash.reset();
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
