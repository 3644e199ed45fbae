#pragma once

#include <QString>
#include <QStringList>

namespace quelto::app {

// The command line: quelto [PATH | --database PATH] [--help], or
// quelto --lookup URL, or quelto --import-access OLD NEW [--accept-null], or
// quelto --export-csv CATALOGUE OUT.
struct LaunchOptions
{
    QString databasePath; // empty: the stored catalogue
    QString lookupUrl;    // --lookup: the title page to read; no window, no catalogue
    QStringList importAccess; // --import-access: the Access file and the new catalogue
    bool acceptNull = false;  // --accept-null: refused values of the import become Null
    QStringList exportCsv;    // --export-csv: the catalogue and the CSV file
    bool help = false;
    QString error;        // set when the command line cannot be used

    static LaunchOptions parse(const QStringList& arguments);
    static QString usage();
};

} // namespace quelto::app
