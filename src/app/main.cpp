#include "app/LaunchOptions.h"
#include "app/Settings.h"
#include "app/StartSequence.h"
#include "exchange/CommandLineExchange.h"
#include "printing/CommandLinePdfExport.h"
#include "weblookup/CommandLineLookup.h"

#include <QApplication>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv)
{
    using namespace quelto::app;

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const LaunchOptions launch = LaunchOptions::parse(arguments);
    if (launch.help) {
        std::fputs(qPrintable(LaunchOptions::usage()), stdout);
        return 0;
    }
    if (!launch.error.isEmpty()) {
        std::fprintf(stderr, "quelto: %s\n\n%s", qPrintable(launch.error), qPrintable(LaunchOptions::usage()));
        return 2;
    }

    using quelto::exchange::CommandLineExchange;
    if (!launch.importAccess.isEmpty() || !launch.exportCsv.isEmpty()) {
        QTextStream out(stdout);
        QTextStream err(stderr);
        return launch.importAccess.isEmpty()
                   ? CommandLineExchange::exportCsv(launch.exportCsv.at(0), launch.exportCsv.at(1), out, err)
                   : CommandLineExchange::importAccess(launch.importAccess.at(0), launch.importAccess.at(1),
                                                       launch.acceptNull, out, err);
    }

    using quelto::weblookup::CommandLineLookup;
    if (!launch.lookupUrl.isEmpty())
        CommandLineLookup::prepareHeadlessEnvironment();
    // A PDF needs fonts but no screen.
    if (launch.exportPdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quelto"));
    QCoreApplication::setApplicationName(QStringLiteral("Quelto"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.2"));

    if (!launch.lookupUrl.isEmpty())
        return CommandLineLookup::main(launch.lookupUrl);
    if (launch.exportPdf) {
        const QString database = launch.databasePath.isEmpty() ? Settings().databaseFilename() : launch.databasePath;
        return quelto::printing::CommandLinePdfExport::main(*launch.exportPdf, database);
    }

    StartSequence::Options options;
    options.databasePath = launch.databasePath;
    return StartSequence::run(options);
}
