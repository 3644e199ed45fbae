#include "app/SystemInfoLauncher.h"

#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace quelto::app {

SystemInfoLauncher::Environment SystemInfoLauncher::systemEnvironment()
{
    Environment env;
    env.setting = [](const QString& section, const QString& key) {
        const QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quelto"),
                              QStringLiteral("Quelto"));
        return store.value(section + QLatin1Char('/') + key).toString();
    };
    env.findExecutable = [](const QString& program) { return QStandardPaths::findExecutable(program); };
    env.isExecutable = [](const QString& path) {
        const QFileInfo info(path);
        return info.isFile() && info.isExecutable();
    };
    env.start = [](const QString& path) { return QProcess::startDetached(path, {}); };
    return env;
}

const QStringList& SystemInfoLauncher::knownPrograms()
{
    static const QStringList programs = {
        QStringLiteral("hardinfo"),         QStringLiteral("kinfocenter"),         QStringLiteral("gnome-system-monitor"),
        QStringLiteral("plasma-systemmonitor"), QStringLiteral("xfce4-taskmanager"), QStringLiteral("lxtask"),
    };
    return programs;
}

SystemInfoLauncher::SystemInfoLauncher(Environment environment) : m_env(std::move(environment)) {}

QString SystemInfoLauncher::locate() const
{
    const QString configured = m_env.setting(QStringLiteral("SystemInfo"), QStringLiteral("Path")).trimmed();
    if (!configured.isEmpty())
        return configured; // whether it exists shows when it is started
    for (const QString& program : knownPrograms()) {
        const QString path = m_env.findExecutable(program);
        if (!path.isEmpty() && m_env.isExecutable(path))
            return path;
    }
    return {};
}

bool SystemInfoLauncher::startSysInfo() const
{
    const QString path = locate();
    if (path.isEmpty() || !m_env.isExecutable(path))
        return false;
    return m_env.start(path);
}

} // namespace quelto::app
