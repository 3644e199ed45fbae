#include "app/LaunchOptions.h"

namespace quelto::app {

LaunchOptions LaunchOptions::parse(const QStringList& arguments)
{
    LaunchOptions options;
    QStringList paths;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
        } else if (argument == QLatin1String("--database")) {
            if (i + 1 >= arguments.size()) {
                options.error = QStringLiteral("--database needs the path of a catalogue.");
                return options;
            }
            paths << arguments.at(++i);
        } else if (argument.startsWith(QLatin1String("--database="))) {
            paths << argument.mid(int(qstrlen("--database=")));
        } else if (argument == QLatin1String("--lookup")) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty()) {
                options.error = QStringLiteral("--lookup needs the address of a title page.");
                return options;
            }
            options.lookupUrl = arguments.at(++i);
        } else if (argument.startsWith(QLatin1String("--lookup="))) {
            options.lookupUrl = argument.mid(int(qstrlen("--lookup=")));
            if (options.lookupUrl.isEmpty()) {
                options.error = QStringLiteral("--lookup needs the address of a title page.");
                return options;
            }
        } else if (argument == QLatin1String("--import-access") || argument == QLatin1String("--export-csv")) {
            const bool import = argument == QLatin1String("--import-access");
            if (i + 2 >= arguments.size() || arguments.at(i + 1).isEmpty() || arguments.at(i + 2).isEmpty()) {
                options.error = import ? QStringLiteral("--import-access needs the Access file and the new catalogue.")
                                       : QStringLiteral("--export-csv needs the catalogue and the CSV file.");
                return options;
            }
            (import ? options.importAccess : options.exportCsv) = arguments.mid(i + 1, 2);
            i += 2;
        } else if (argument == QLatin1String("--accept-null")) {
            options.acceptNull = true;
        } else if (argument == QLatin1String("--")) {
            paths << arguments.mid(i + 1);
            break;
        } else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            options.error = QStringLiteral("Unknown option \"%1\".").arg(argument);
            return options;
        } else {
            paths << argument;
        }
    }
    const int commands = int(!options.lookupUrl.isEmpty()) + int(!options.importAccess.isEmpty()) +
                         int(!options.exportCsv.isEmpty());
    if (commands > 1)
        options.error = QStringLiteral("Give one of --lookup, --import-access and --export-csv.");
    else if (options.acceptNull && options.importAccess.isEmpty())
        options.error = QStringLiteral("--accept-null goes with --import-access.");
    else if (commands == 1 && !paths.isEmpty())
        options.error = QStringLiteral("%1 opens no catalogue in a window.")
                            .arg(!options.lookupUrl.isEmpty()         ? QStringLiteral("--lookup")
                                 : !options.importAccess.isEmpty() ? QStringLiteral("--import-access")
                                                                   : QStringLiteral("--export-csv"));
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
    return QStringLiteral(
        "Usage: quelto [PATH | --database PATH]\n"
        "       quelto --lookup URL\n"
        "       quelto --import-access OLD.mdb NEW.mdb [--accept-null]\n"
        "       quelto --export-csv CATALOGUE OUT.csv\n"
        "\n"
        "Quelto, a catalogue of recorded movies.\n"
        "\n"
        "  PATH, --database PATH  open the catalogue at PATH (created there when no\n"
        "                         file exists) instead of the stored one; the stored\n"
        "                         catalogue setting is left as it is\n"
        "  --lookup URL           read the movie's title page at URL, then its credits\n"
        "                         and companies pages on the same server, print the\n"
        "                         fields as a JSON object keyed by archive column and\n"
        "                         exit; needs no display and opens no catalogue\n"
        "  --import-access OLD NEW  copy the old Access catalogue OLD into the new\n"
        "                         catalogue NEW (never overwritten), print a summary\n"
        "                         and exit; OLD is only read\n"
        "  --accept-null          with --import-access: store values a catalogue\n"
        "                         refuses (empty or over 255 characters) as Null\n"
        "                         instead of stopping\n"
        "  --export-csv CATALOGUE OUT  write every record of CATALOGUE, ordered by\n"
        "                         title, to OUT as CSV (UTF-8) and exit\n"
        "  -h, --help             show this help and exit\n");
}

} // namespace quelto::app
