#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace quelto::app {

// Starts the system information program for the About box. It is looked up
// first where the user's settings name it (section "SystemInfo", key "Path",
// a full path), then as one of the usual desktop tools on the search path.
class SystemInfoLauncher
{
public:
    static inline const QString Unavailable = QStringLiteral("System Information Is Unavailable At This Time");

    // What the lookup needs from the outside world; the defaults use the
    // settings store, the program search path and QProcess.
    struct Environment
    {
        std::function<QString(const QString& section, const QString& key)> setting;
        std::function<QString(const QString& program)> findExecutable;
        std::function<bool(const QString& path)> isExecutable;
        std::function<bool(const QString& path)> start;
    };
    static Environment systemEnvironment();
    static const QStringList& knownPrograms();

    explicit SystemInfoLauncher(Environment environment);

    // The program that would be started, or empty when none is found.
    QString locate() const;
    // Starts it without waiting; false when none is found or it fails to start.
    bool startSysInfo() const;

private:
    Environment m_env;
};

} // namespace quelto::app
