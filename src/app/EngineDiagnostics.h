#pragma once

namespace quelto::app {

// The browser engine reports on the terminal at every start (Chromium's own
// log lines, Qt WebEngine's context report and sandbox notice, page console
// messages). Those are
// for whoever debugs the engine: they stay off unless asked for with
// --verbose or QUELTO_VERBOSE=1.
class EngineDiagnostics
{
public:
    // True when QUELTO_VERBOSE is set to anything but "" or "0".
    static bool requestedByEnvironment();

    // Call before the application object exists. Quiet: Chromium logs fatal
    // errors only, and the engine's Qt logging categories are off (rules in
    // QT_LOGGING_RULES still win).
    static void apply(bool verbose);
};

} // namespace quelto::app
