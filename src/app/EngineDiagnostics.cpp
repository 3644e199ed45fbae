#include "app/EngineDiagnostics.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QtGlobal>

namespace quelto::app {

bool EngineDiagnostics::requestedByEnvironment()
{
    const QByteArray value = qgetenv("QUELTO_VERBOSE");
    return !value.isEmpty() && value != "0";
}

void EngineDiagnostics::apply(bool verbose)
{
    if (verbose)
        return;
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    for (const char* flag : {"--disable-logging", "--log-level=3"}) {
        if (!flags.contains(flag))
            flags += (flags.isEmpty() ? "" : " ") + QByteArray(flag);
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    // default.info: the engine's "Sandboxing disabled by user." (the program
    // itself reports nothing at that level).
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webengine*=false\njs=false\ndefault.info=false"));
}

} // namespace quelto::app
