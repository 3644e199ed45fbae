#include "weblookup/BrowserProfile.h"

#include <QDir>
#include <QStandardPaths>
#include <QWebEngineProfile>

namespace quelto::weblookup::BrowserProfile {
namespace {

QString& chosenLocation()
{
    static QString folder;
    return folder;
}

} // namespace

QString location()
{
    if (!chosenLocation().isEmpty())
        return chosenLocation();
    // Next to the user's site profiles: ~/.local/share/quelto/browser.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("quelto/browser"));
}

void setLocation(const QString& folder) { chosenLocation() = folder; }

QWebEngineProfile* create(QObject* parent)
{
    const QString folder = location();
    auto* profile = new QWebEngineProfile(QStringLiteral("quelto"), parent);
    profile->setPersistentStoragePath(folder);
    // Otherwise the cache goes to the user's cache folder, outside location().
    profile->setCachePath(QDir(folder).filePath(QStringLiteral("cache")));
    return profile;
}

} // namespace quelto::weblookup::BrowserProfile
