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
    if (paths.size() > 1)
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
        "\n"
        "Quelto, a catalogue of recorded movies.\n"
        "\n"
        "  PATH, --database PATH  open the catalogue at PATH (created there when no\n"
        "                         file exists) instead of the stored one; the stored\n"
        "                         catalogue setting is left as it is\n"
        "  -h, --help             show this help and exit\n");
}

} // namespace quelto::app
