#pragma once

#include <QString>

namespace quelto::app {

// Program entry after the command line: the splash, the main window's load
// step, then the main window on screen until the program ends.
class StartSequence
{
public:
    struct Options
    {
        QString databasePath; // from the command line; empty for the stored one
        bool showSplash = true;
    };

    // Runs the program; returns its exit code.
    static int run(const Options& options);
};

} // namespace quelto::app
