#include "app/EngineDiagnostics.h"
#include "app/LaunchOptions.h"
#include "app/Settings.h"
#include "app/StartSequence.h"
#include "exchange/CommandLineExchange.h"
#include "importing/CommandLineImport.h"
#include "statistics/CommandLineStatistics.h"
#include "webcatalogue/CommandLineWebCatalogue.h"
#include "printing/CommandLinePdfExport.h"
#include "tasks/FreezeProbe.h"
#include "weblookup/CommandLineLookup.h"
#include "weblookup/PinnedProxy.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <QTextStream>
#include <csignal>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <cstdio>

namespace {

QStringList rawArguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Quelto"));
    QCoreApplication::setApplicationName(QStringLiteral("Quelto"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUELTO_VERSION));
}

// Help, version, a command line in error, and the commands that run on Qt's core alone.
int runOnCore(const quelto::app::LaunchOptions& launch)
{
    using quelto::app::LaunchOptions;
    using quelto::exchange::CommandLineExchange;
    if (launch.help) {
        std::fputs(qPrintable(LaunchOptions::usage()), stdout);
        return 0;
    }
    if (launch.version) {
        std::printf("%s\n", qPrintable(LaunchOptions::versionText()));
        return 0;
    }
    if (!launch.error.isEmpty()) {
        std::fprintf(stderr, "quelto: %s\n\n%s", qPrintable(launch.error), qPrintable(LaunchOptions::usage()));
        return 2;
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!launch.statistics.isEmpty())
        return quelto::statistics::CommandLineStatistics::run(launch.statistics, out, err);
    return launch.importAccess.isEmpty()
               ? CommandLineExchange::exportCsv(launch.exportCsv.at(0), launch.exportCsv.at(1), out, err)
               : CommandLineExchange::importAccess(launch.importAccess.at(0), launch.importAccess.at(1),
                                                   launch.acceptNull, out, err);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace quelto::app;
    using quelto::weblookup::CommandLineLookup;

    // Over the file size limit a write then fails, and the user is told the
    // disk is full, instead of the program being ended by the signal.
    std::signal(SIGXFSZ, SIG_IGN);
#ifdef __GLIBC__
    // A large catalogue's row keys and orders are blocks of megabytes, made
    // and dropped on worker threads with each search and sort: taken from the
    // system and given back whole, they are not left behind in the threads'
    // heaps, and memory stays bounded however many commands run.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_ARENA_MAX, 4);
#endif

    // Qt takes its own options (-style, -platform, -reverse, ...) when the
    // application object is made, and only then is the rest ours to read. A
    // first look at the raw command line tells whether the program will need
    // a display and how talkative the engine may be.
    const LaunchOptions early = LaunchOptions::parse(rawArguments(argc, argv));
    const bool noDisplay = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    // Without a display a mistyped option would end in Qt's platform abort
    // before its message: read the command line on the offscreen platform.
    const bool offscreenForErrors = noDisplay && !early.runsWithoutWindow() && !early.error.isEmpty();
    if (!early.lookupUrl.isEmpty())
        CommandLineLookup::prepareHeadlessEnvironment();
    else if ((early.runsWithoutWindow() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) || offscreenForErrors)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    EngineDiagnostics::apply(early.verbose || EngineDiagnostics::requestedByEnvironment());

    if (early.runsOnCoreAlone()) {
        QCoreApplication app(argc, argv);
        nameApplication();
        return runOnCore(LaunchOptions::parse(QCoreApplication::arguments()));
    }

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Every connection to the network goes through the program's own proxy,
    // which connects to exactly the address it judged: made before the
    // browser engine's first profile and the first network access.
    quelto::weblookup::PinnedProxy::installForApplication();
    nameApplication();
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quelto.Quelto"));
    QIcon icon(QStringLiteral(":/icons/org.quelto.Quelto-256.png"));
    icon.addFile(QStringLiteral(":/icons/org.quelto.Quelto-48.png"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.quelto.Quelto"), icon));
    // The real-input checks measure how long the window is held up.
    quelto::tasks::FreezeProbe::fromEnvironment(&app);

    const LaunchOptions launch = LaunchOptions::parse(QCoreApplication::arguments());
    if (launch.runsOnCoreAlone() || !launch.error.isEmpty())
        return runOnCore(launch);

    if (!launch.lookupUrl.isEmpty())
        return CommandLineLookup::main(launch.lookupUrl, launch.lookupProfile, Settings().movieSite());
    if (launch.exportPdf) {
        const QString database = launch.databasePath.isEmpty() ? Settings().databaseFilename() : launch.databasePath;
        return quelto::printing::CommandLinePdfExport::main(*launch.exportPdf, database);
    }
    if (!launch.exportHtml.isEmpty()) {
        QTextStream out(stdout);
        QTextStream err(stderr);
        return quelto::webcatalogue::CommandLineWebCatalogue::run(launch.exportHtml.at(0), launch.exportHtml.at(1),
                                                                  launch.htmlCovers, launch.htmlSearch, out, err);
    }
    if (!launch.importFile.isEmpty()) {
        QTextStream out(stdout);
        QTextStream err(stderr);
        return quelto::importing::CommandLineImport::run(launch.importFile.at(0), launch.importFile.at(1), out, err,
                                                      launch.importPrefix);
    }
    if (offscreenForErrors) {
        std::fputs("quelto: no display to open the window on (DISPLAY is not set).\n", stderr);
        return 1;
    }

    StartSequence::Options options;
    options.databasePath = launch.databasePath;
    return StartSequence::run(options);
}
