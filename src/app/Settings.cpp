#include "app/Settings.h"

#include "app/WindowPlacement.h"
#include "weblookup/MovieSite.h"

namespace quelto::app {
namespace {

const QString SettingsSection = QStringLiteral("Settings");
const QString DatabaseSection = QStringLiteral("Database");
const QString MediaSection = QStringLiteral("Mediadefaults");

// Window values are written as the text of a single-precision number.
QString numberText(double value) { return QString::number(float(value)); }

} // namespace

Settings::Settings() : m_store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quelto"), QStringLiteral("Quelto")) {}

void Settings::setLocation(const QString& folder)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

QString Settings::value(const QString& section, const QString& key, const QString& fallback) const
{
    return m_store.value(section + QLatin1Char('/') + key, fallback).toString();
}

void Settings::setValue(const QString& section, const QString& key, const QString& value)
{
    m_store.setValue(section + QLatin1Char('/') + key, value);
}

double Settings::position(const QString& key) const
{
    return WindowPlacement::sensibleTwips(value(SettingsSection, key), DefaultPosition);
}

double Settings::mainLeft() const { return position(QStringLiteral("MainLeft")); }
double Settings::mainTop() const { return position(QStringLiteral("MainTop")); }

void Settings::storeWindow(double left, double top, double width, double height)
{
    setValue(SettingsSection, QStringLiteral("MainLeft"), numberText(left));
    setValue(SettingsSection, QStringLiteral("MainTop"), numberText(top));
    setValue(SettingsSection, QStringLiteral("MainWidth"), numberText(width));
    setValue(SettingsSection, QStringLiteral("MainHeight"), numberText(height));
}

QString Settings::databaseFilename() const { return value(DatabaseSection, QStringLiteral("Filename")); }

void Settings::setDatabaseFilename(const QString& path) { setValue(DatabaseSection, QStringLiteral("Filename"), path); }

QUrl Settings::movieSite() const
{
    using weblookup::MovieSite;
    const QString stored = value(SettingsSection, QStringLiteral("MovieSite"), MovieSite::PublicAddress);
    if (stored.trimmed().isEmpty())
        return {};
    return MovieSite::parseServer(stored).value_or(QUrl(MovieSite::PublicAddress));
}

void Settings::setMovieSite(const QUrl& server)
{
    setValue(SettingsSection, QStringLiteral("MovieSite"), server.toString());
}

catalog::MediaDefaults Settings::mediaDefaults() const
{
    const catalog::MediaDefaults fallback;
    return {value(MediaSection, QStringLiteral("Media"), fallback.media),
            value(MediaSection, QStringLiteral("Image"), fallback.image),
            value(MediaSection, QStringLiteral("Format"), fallback.format),
            value(MediaSection, QStringLiteral("Sound"), fallback.sound),
            value(MediaSection, QStringLiteral("Language"), fallback.language)};
}

void Settings::storeMediaDefaults(const catalog::MediaDefaults& defaults)
{
    setValue(MediaSection, QStringLiteral("Media"), defaults.media);
    setValue(MediaSection, QStringLiteral("Image"), defaults.image);
    setValue(MediaSection, QStringLiteral("Format"), defaults.format);
    setValue(MediaSection, QStringLiteral("Sound"), defaults.sound);
    setValue(MediaSection, QStringLiteral("Language"), defaults.language);
}

} // namespace quelto::app
