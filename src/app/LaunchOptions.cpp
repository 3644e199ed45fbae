#include "app/LaunchOptions.h"

#include <algorithm>
#include <iterator>

namespace quelto::app {

LaunchOptions LaunchOptions::parse(const QStringList& arguments)
{
    LaunchOptions options;
    QStringList paths;
    QStringList databaseOptions;
    QString exportWhat;
    bool exporting = false;
    bool vhs = false, eightMm = false, back = false, face = false, box = false;
    const std::pair<const char*, bool*> labelFlags[] = {
        {"--vhs", &vhs}, {"--8mm", &eightMm}, {"--back", &back}, {"--face", &face}, {"--box", &box}};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
        } else if (argument == QLatin1String("--database")) {
            if (i + 1 >= arguments.size()) {
                options.error = QStringLiteral("--database needs the path of a catalogue.");
                return options;
            }
            databaseOptions << arguments.at(++i);
        } else if (argument.startsWith(QLatin1String("--database="))) {
            databaseOptions << argument.mid(int(qstrlen("--database=")));
        } else if (argument == QLatin1String("--export-pdf")) {
            if (i + 1 >= arguments.size()) {
                options.error = QStringLiteral("--export-pdf needs long, short or labels.");
                return options;
            }
            exporting = true;
            exportWhat = arguments.at(++i);
        } else if (std::any_of(std::begin(labelFlags), std::end(labelFlags),
                               [&argument](const auto& flag) { return argument == QLatin1String(flag.first); })) {
            for (const auto& [name, value] : labelFlags)
                *value = *value || argument == QLatin1String(name);
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
    if (exporting) {
        options.exportPdf =
            printing::PdfExportRequest::fromArguments(exportWhat, paths, vhs, eightMm, back, face, box, options.error);
        paths = databaseOptions;
    } else if (vhs || eightMm || back || face || box) {
        options.error = QStringLiteral("--vhs, --8mm, --back, --face and --box go with --export-pdf labels.");
        return options;
    } else {
        paths = databaseOptions + paths;
    }
    if (!options.error.isEmpty())
        return options;
    const int commands = int(!options.lookupUrl.isEmpty()) + int(!options.importAccess.isEmpty()) +
                         int(!options.exportCsv.isEmpty()) + int(exporting);
    if (commands > 1)
        options.error = QStringLiteral("Give one of --lookup, --import-access, --export-csv and --export-pdf.");
    else if (options.acceptNull && options.importAccess.isEmpty())
        options.error = QStringLiteral("--accept-null goes with --import-access.");
    else if (commands == 1 && !exporting && !paths.isEmpty())
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
        "       quelto --export-pdf long|short OUT.pdf [--database PATH]\n"
        "       quelto --export-pdf labels MEDIA-ID OUT.pdf [--vhs|--8mm] [--back] [--face]\n"
        "              [--box] [--database PATH]\n"
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
        "  --export-pdf long|short OUT.pdf\n"
        "                         write the long or short list of every record, by\n"
        "                         title, to the PDF file OUT.pdf, as printed, and exit\n"
        "  --export-pdf labels MEDIA-ID OUT.pdf\n"
        "                         write the labels of the tape MEDIA-ID to OUT.pdf:\n"
        "                         --vhs or --8mm sets the form factor (else the\n"
        "                         medium's type does), --back, --face and --box pick\n"
        "                         the labels (else VHS prints back and face label,\n"
        "                         8 mm back label and box insert)\n"
        "  -h, --help             show this help and exit\n");
}

} // namespace quelto::app
