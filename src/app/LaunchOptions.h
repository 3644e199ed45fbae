#pragma once

#include "printing/PdfExportRequest.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace quelto::app {

// The command line: quelto [PATH | --database PATH] [--help], or
// quelto --lookup URL, or quelto --import-access OLD NEW [--accept-null], or
// quelto --export-csv CATALOGUE OUT, or quelto --export-pdf ... [--database PATH].
struct LaunchOptions
{
    QString databasePath; // empty: the stored catalogue
    QString lookupUrl;    // --lookup: the title page to read; no window, no catalogue
    QStringList importAccess; // --import-access: the Access file and the new catalogue
    bool acceptNull = false;  // --accept-null: refused values of the import become Null
    QStringList exportCsv;    // --export-csv: the catalogue and the CSV file
    std::optional<printing::PdfExportRequest> exportPdf; // --export-pdf: a PDF file, no window
    bool help = false;
    QString error;        // set when the command line cannot be used

    static LaunchOptions parse(const QStringList& arguments);
    static QString usage();
};

} // namespace quelto::app
