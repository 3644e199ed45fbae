#pragma once

#include <QString>
#include <QStringList>

namespace quelto::app {

// The command line: quelto [PATH | --database PATH] [--help], or
// quelto --lookup URL [--profile NAME].
struct LaunchOptions
{
    QString databasePath; // empty: the stored catalogue
    QString lookupUrl;    // --lookup: the title page to read; no window, no catalogue
    QString lookupProfile; // --profile: the site profile that reads it
    bool help = false;
    QString error;        // set when the command line cannot be used

    static LaunchOptions parse(const QStringList& arguments);
    static QString usage();
};

} // namespace quelto::app
