#pragma once

#include "printing/PdfExportRequest.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace quelto::app {

// The command line, read once Qt has taken its own options (-style,
// -platform, -reverse, ...):
//   quelto [PATH | --database PATH]
//   quelto --lookup URL [--profile NAME]
//   quelto --import-access OLD NEW [--accept-null]
//   quelto --export-csv CATALOGUE OUT
//   quelto --export-html CATALOGUE FOLDER [--covers] [--search TEXT]
//   quelto --import FILE CATALOGUE [--prefix P]
//   quelto --statistics CATALOGUE
//   quelto --export-pdf long|short OUT [--covers] [--database PATH]
//   quelto --export-pdf labels MEDIA-ID OUT [--vhs|--8mm] [--back] [--face] [--box] [--database PATH]
//   quelto --help | --version
// To add an option: a field here, its QCommandLineOption in
// LaunchOptions.cpp (makeOptions), its reading in parse(), and, when it runs
// without the main window, a clause in runsWithoutWindow() (and in
// runsOnCoreAlone() when it needs no painting, fonts or browser).
struct LaunchOptions
{
    QString databasePath; // empty: the stored catalogue
    QString lookupUrl;    // --lookup: the title page to read; no window, no catalogue
    QString lookupProfile; // --profile: the site profile that reads it
    QStringList importAccess; // --import-access: the Access file and the new catalogue
    bool acceptNull = false;  // --accept-null: refused values of the import become Null
    QStringList exportCsv;    // --export-csv: the catalogue and the CSV file
    QStringList exportHtml;   // --export-html: the catalogue and the web catalogue's folder
    bool htmlCovers = false;  // --covers with --export-html
    QString htmlSearch;       // --search: only the records whose title holds it
    QStringList importFile;   // --import: another program's file and the catalogue
    QString importPrefix = QStringLiteral("I-"); // --prefix: media IDs of movies without a number
    std::optional<printing::PdfExportRequest> exportPdf; // --export-pdf: a PDF file, no window
    QString statistics;       // --statistics: the catalogue whose figures are printed as JSON
    bool help = false;
    bool version = false;
    bool verbose = false; // the browser engine's diagnostics on the terminal
    QString error;        // set when the command line cannot be used

    // Reads the arguments (the program's name first). Every option that was
    // understood is filled in even when error is set, so the raw command line
    // can be read before the application object exists.
    static LaunchOptions parse(const QStringList& arguments);
    static QString usage();
    static QString versionText(); // "quelto 1.2.0"

    // True when the program prints something and exits instead of opening
    // the main window, so no display is needed.
    bool runsWithoutWindow() const;
    // True for the commands that neither paint nor browse (statistics, the
    // Access import, the CSV export), and for help and version, which come
    // before any command: they run on Qt's core alone, without a platform,
    // fonts or icons to set up and take down.
    bool runsOnCoreAlone() const;
};

} // namespace quelto::app
