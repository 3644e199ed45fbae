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
                              QStringLiteral("Read the movie's title page at URL with the site profile that "
                                             "recognises it, then the further pages the profile names (credits, "
                                             "companies, ...), print the fields as a JSON object keyed by archive "
                                             "column, with the profile, each field's source and the pages that "
                                             "failed under \"lookup\", and exit; needs no display and opens no "
                                             "catalogue."),
                              QStringLiteral("URL")};
    QCommandLineOption profile{QStringLiteral("profile"),
                               QStringLiteral("With --lookup: read the page with the site profile NAME (classic, "
                                              "IMDb, schema.org or one of the user's)."),
                               QStringLiteral("NAME")};
    // Two paths each: the option's value and the one argument after it.
    QCommandLineOption importAccess{QStringLiteral("import-access"),
                                    QStringLiteral("--import-access OLD NEW: copy the old Access catalogue OLD into "
                                                   "the new catalogue NEW (never overwritten), print a summary and "
                                                   "exit; OLD is only read."),
                                    QStringLiteral("OLD")};
    QCommandLineOption acceptNull{QStringLiteral("accept-null"),
                                  QStringLiteral("With --import-access: store values a catalogue refuses (empty or "
                                                 "over 255 characters) as Null instead of stopping.")};
    QCommandLineOption exportCsv{QStringLiteral("export-csv"),
                                 QStringLiteral("--export-csv CATALOGUE OUT: write every record of CATALOGUE, "
                                                "ordered by title, to OUT as CSV (UTF-8) and exit."),
                                 QStringLiteral("CATALOGUE")};
    QCommandLineOption exportHtml{QStringLiteral("export-html"),
                                  QStringLiteral("--export-html CATALOGUE FOLDER: write the records of CATALOGUE, "
                                                 "ordered by title, as a web catalogue (index.html and its files) "
                                                 "to FOLDER and exit. A folder holding other files than an earlier "
                                                 "web catalogue is left alone."),
                                  QStringLiteral("CATALOGUE")};
    QCommandLineOption search{QStringLiteral("search"),
                              QStringLiteral("With --export-html: only the records whose title holds TEXT (case "
                                             "aside), as Search > by Title finds them."),
                              QStringLiteral("TEXT")};
    QCommandLineOption importFile{QStringLiteral("import"),
                                  QStringLiteral("--import FILE CATALOGUE: bring the movies of another catalogue "
                                                 "program's FILE (Tellico, Letterboxd, IMDb, Kodi .nfo, GCstar, DVD "
                                                 "Profiler, ...) into CATALOGUE, made when missing, and exit."),
                                  QStringLiteral("FILE")};
    QCommandLineOption prefix{QStringLiteral("prefix"),
                              QStringLiteral("With --import: the media IDs of movies the file gives no number of "
                                             "their own are P and a number (default I-: I-1, I-2, ...)."),
                              QStringLiteral("P")};
    QCommandLineOption statistics{QStringLiteral("statistics"),
                                  QStringLiteral("Print the statistics of CATALOGUE (counts and shares by medium, "
                                                 "genre, decade and country, the most frequent directors and cast "
                                                 "members, ratings, seen, tapes and free minutes, loans) as JSON "
                                                 "and exit; the catalogue is only read."),
                                  QStringLiteral("CATALOGUE")};
    QCommandLineOption exportPdf{QStringLiteral("export-pdf"),
                                 QStringLiteral("--export-pdf long|short OUT.pdf: write the long or short list of "
                                                "every record, by title, to the PDF file OUT.pdf, as printed, and "
                                                "exit. --export-pdf labels MEDIA-ID OUT.pdf: write the labels of the "
                                                "tape MEDIA-ID to OUT.pdf. Both read the catalogue of --database, "
                                                "else the stored one."),
                                 QStringLiteral("WHAT")};
    QCommandLineOption vhs{QStringLiteral("vhs"), QStringLiteral("With --export-pdf labels: VHS labels (else the "
                                                                 "medium's type sets the form factor).")};
    QCommandLineOption eightMm{QStringLiteral("8mm"), QStringLiteral("With --export-pdf labels: 8 mm labels.")};
    QCommandLineOption back{QStringLiteral("back"), QStringLiteral("With --export-pdf labels: the back label.")};
    QCommandLineOption face{QStringLiteral("face"), QStringLiteral("With --export-pdf labels: the face label.")};
    QCommandLineOption box{QStringLiteral("box"),
                           QStringLiteral("With --export-pdf labels: the box insert (without --back, --face and "
                                          "--box: VHS prints back and face label, 8 mm back label and box insert).")};
    QCommandLineOption covers{QStringLiteral("covers"),
                              QStringLiteral("With --export-pdf long: each record's cover at the left of its "
                                             "block. With --export-html: the covers' thumbnails.")};
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
    parser.addOption(options.profile);
    parser.addOption(options.importAccess);
    parser.addOption(options.acceptNull);
    parser.addOption(options.exportCsv);
    parser.addOption(options.exportHtml);
    parser.addOption(options.search);
    parser.addOption(options.importFile);
    parser.addOption(options.prefix);
    parser.addOption(options.statistics);
    for (const QCommandLineOption* option :
         {&options.exportPdf, &options.covers, &options.vhs, &options.eightMm, &options.back, &options.face,
          &options.box})
        parser.addOption(*option);
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
    options.lookupProfile = parser.value(known.profile);
    options.acceptNull = parser.isSet(known.acceptNull);
    if (parser.isSet(known.prefix))
        options.importPrefix = parser.value(known.prefix);
    QStringList paths = parser.values(known.database) + parser.positionalArguments();

    // --import-access and --export-csv take the first argument that follows
    // as their second path.
    const auto takePair = [&](const QCommandLineOption& option, QStringList& pair) {
        if (!parser.isSet(option))
            return true;
        if (parser.value(option).isEmpty() || parser.positionalArguments().size() != 1
            || parser.positionalArguments().first().isEmpty())
            return false;
        pair = {parser.value(option), parser.positionalArguments().first()};
        paths.clear();
        return true;
    };
    const bool importComplete = takePair(known.importAccess, options.importAccess);
    const bool exportComplete = takePair(known.exportCsv, options.exportCsv);
    const bool exportHtmlComplete = takePair(known.exportHtml, options.exportHtml);
    options.htmlCovers = parser.isSet(known.exportHtml) && parser.isSet(known.covers);
    options.htmlSearch = parser.value(known.search);
    const bool importFileComplete = takePair(known.importFile, options.importFile);
    const int commands = int(parser.isSet(known.lookup)) + int(parser.isSet(known.importAccess))
        + int(parser.isSet(known.exportCsv)) + int(parser.isSet(known.importFile)) + int(parser.isSet(known.exportPdf))
        + int(parser.isSet(known.statistics)) + int(parser.isSet(known.exportHtml));
    options.statistics = parser.value(known.statistics);
    const bool labelFlags = parser.isSet(known.vhs) || parser.isSet(known.eightMm) || parser.isSet(known.back)
        || parser.isSet(known.face) || parser.isSet(known.box);
    // --export-pdf takes the arguments that follow; the catalogue comes from
    // --database only.
    QString pdfError;
    if (parser.isSet(known.exportPdf) && commands == 1) {
        options.exportPdf = printing::PdfExportRequest::fromArguments(
            parser.value(known.exportPdf), parser.positionalArguments(), parser.isSet(known.vhs),
            parser.isSet(known.eightMm), parser.isSet(known.back), parser.isSet(known.face), parser.isSet(known.box),
            pdfError);
        if (options.exportPdf && parser.isSet(known.covers)) {
            if (options.exportPdf->what == printing::PdfExportRequest::What::LongList)
                options.exportPdf->covers = true;
            else
                pdfError = QStringLiteral("--covers goes with --export-pdf long.");
        }
        paths = parser.values(known.database);
    }

    if (!understood)
        options.error = parser.errorText();
    else if (commands > 1)
        options.error =
            QStringLiteral("Give one of --lookup, --import-access, --export-csv, --export-html, --import, "
                           "--export-pdf and --statistics.");
    else if (!pdfError.isEmpty())
        options.error = pdfError;
    else if (parser.isSet(known.covers) && !parser.isSet(known.exportPdf) && !parser.isSet(known.exportHtml))
        options.error = QStringLiteral("--covers goes with --export-pdf long or --export-html.");
    else if (parser.isSet(known.search) && (!parser.isSet(known.exportHtml) || options.htmlSearch.isEmpty()))
        options.error = QStringLiteral("--search goes with --export-html and names the text to find in titles.");
    else if (labelFlags && !parser.isSet(known.exportPdf))
        options.error = QStringLiteral("--vhs, --8mm, --back, --face and --box go with --export-pdf labels.");
    else if (parser.isSet(known.lookup) && options.lookupUrl.isEmpty())
        options.error = QStringLiteral("--lookup needs the address of a title page.");
    else if (parser.isSet(known.profile) && (options.lookupProfile.isEmpty() || !parser.isSet(known.lookup)))
        options.error = QStringLiteral("--profile goes with --lookup and names a site profile.");
    else if (!importComplete)
        options.error = QStringLiteral("--import-access needs the Access file and the new catalogue.");
    else if (!exportComplete)
        options.error = QStringLiteral("--export-csv needs the catalogue and the CSV file.");
    else if (!exportHtmlComplete)
        options.error = QStringLiteral("--export-html needs the catalogue and the folder.");
    else if (!importFileComplete)
        options.error = QStringLiteral("--import needs the file to import and the catalogue.");
    else if (parser.isSet(known.statistics) && options.statistics.isEmpty())
        options.error = QStringLiteral("--statistics needs the catalogue.");
    else if (parser.isSet(known.statistics) && !paths.isEmpty())
        options.error = QStringLiteral("--statistics names its catalogue itself.");
    else if (parser.isSet(known.prefix) && !parser.isSet(known.importFile))
        options.error = QStringLiteral("--prefix goes with --import.");
    else if (options.acceptNull && options.importAccess.isEmpty())
        options.error = QStringLiteral("--accept-null goes with --import-access.");
    else if (!options.lookupUrl.isEmpty() && !paths.isEmpty())
        options.error = QStringLiteral("--lookup opens no catalogue in a window.");
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
                                "       quelto --lookup URL [--profile NAME]\n"
                                "       quelto --import-access OLD.mdb NEW.mdb [--accept-null]\n"
                                "       quelto --export-csv CATALOGUE OUT.csv\n"
                                "       quelto --export-html CATALOGUE FOLDER [--covers] [--search TEXT]\n"
                                "       quelto --import FILE CATALOGUE [--prefix P]\n"
                                "       quelto --statistics CATALOGUE\n"
                                "       quelto --export-pdf long|short OUT.pdf [--covers] [--database PATH]\n"
                                "       quelto --export-pdf labels MEDIA-ID OUT.pdf [--vhs|--8mm] [--back] [--face]\n"
                                "              [--box] [--database PATH]\n"));
    return text;
}

QString LaunchOptions::versionText()
{
    return QStringLiteral("quelto " QUELTO_VERSION);
}

bool LaunchOptions::runsWithoutWindow() const
{
    return help || version || !lookupUrl.isEmpty() || !importAccess.isEmpty() || !exportCsv.isEmpty() || !exportHtml.isEmpty()
        || !importFile.isEmpty() || exportPdf.has_value() || !statistics.isEmpty();
}

bool LaunchOptions::runsOnCoreAlone() const
{
    if (!error.isEmpty())
        return false;
    if (help || version)
        return true; // printed before any command is run
    const int commands = int(!lookupUrl.isEmpty()) + int(!importAccess.isEmpty()) + int(!exportCsv.isEmpty())
        + int(!exportHtml.isEmpty()) + int(!importFile.isEmpty()) + int(exportPdf.has_value())
        + int(!statistics.isEmpty());
    return commands == 1 && (!importAccess.isEmpty() || !exportCsv.isEmpty() || !statistics.isEmpty());
}

} // namespace quelto::app
