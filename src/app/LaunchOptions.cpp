#include "app/LaunchOptions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#ifndef QUELTO_VERSION
#error "QUELTO_VERSION comes from the build (the project version)"
#endif

namespace quelto::app {

namespace {

struct Options
{
    QCommandLineOption database{QStringLiteral("database"),
                                QStringLiteral("Open the catalogue at PATH (created there when no file exists) "
                                               "instead of the stored one; the stored catalogue setting is "
                                               "left as it is."),
                                QStringLiteral("PATH")};
    QCommandLineOption lookup{QStringLiteral("lookup"),
                              QStringLiteral("Read the movie's title page at URL, then its credits and companies "
                                             "pages on the same server, print the fields as a JSON object keyed "
                                             "by archive column and exit; needs no display and opens no "
                                             "catalogue."),
                              QStringLiteral("URL")};
    QCommandLineOption verbose{QStringLiteral("verbose"),
                               QStringLiteral("Show the browser engine's diagnostics on the terminal "
                                              "(as does QUELTO_VERBOSE=1).")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
};

// The parser with every option; `options` must outlive it.
void setUp(QCommandLineParser& parser, const Options& options)
{
    // "-reverse" is one of Qt's options, never -r -e -v ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Quelto, a catalogue of recorded movies.\n"
                       "Qt's own options (-style NAME, -platform NAME, -reverse, ...) are accepted as well."));
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("The same as --database PATH."),
                                 QStringLiteral("[PATH]"));
    parser.addOption(options.database);
    parser.addOption(options.lookup);
    parser.addOption(options.verbose);
    parser.addOption(options.help);
    parser.addOption(options.version);
}

} // namespace

LaunchOptions LaunchOptions::parse(const QStringList& arguments)
{
    const Options known;
    QCommandLineParser parser;
    setUp(parser, known);

    LaunchOptions options;
    const bool understood = parser.parse(arguments);
    options.help = parser.isSet(known.help);
    options.version = parser.isSet(known.version);
    options.verbose = parser.isSet(known.verbose);
    options.lookupUrl = parser.value(known.lookup);
    QStringList paths = parser.values(known.database) + parser.positionalArguments();

    if (!understood)
        options.error = parser.errorText();
    else if (parser.isSet(known.lookup) && options.lookupUrl.isEmpty())
        options.error = QStringLiteral("--lookup needs the address of a title page.");
    else if (!options.lookupUrl.isEmpty() && !paths.isEmpty())
        options.error = QStringLiteral("--lookup opens no catalogue.");
    else if (paths.size() > 1)
        options.error = QStringLiteral("Name one catalogue only.");
    else if (paths.size() == 1 && paths.first().isEmpty())
        options.error = QStringLiteral("The catalogue's path is empty.");
    else if (!paths.isEmpty())
        options.databasePath = paths.first();
    return options;
}

QString LaunchOptions::usage()
{
    const Options known;
    QCommandLineParser parser;
    setUp(parser, known);
    // The first line names the program after the running binary; use its
    // installed name, and show the window-less form too.
    QString text = parser.helpText();
    text.replace(0, text.indexOf(QLatin1Char('\n')),
                 QStringLiteral("Usage: quelto [options] [PATH]\n"
                                "       quelto --lookup URL\n"));
    return text;
}

QString LaunchOptions::versionText()
{
    return QStringLiteral("quelto " QUELTO_VERSION);
}

bool LaunchOptions::runsWithoutWindow() const
{
    return help || version || !lookupUrl.isEmpty();
}

} // namespace quelto::app
