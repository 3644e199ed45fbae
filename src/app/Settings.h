#pragma once

#include "catalog/MediaDefaults.h"

#include <QSettings>
#include <QString>
#include <QUrl>

namespace quelto::app {

// The settings kept between runs, as strings in the per-user store of the
// application "Quelto", in the sections "Settings", "Database" and
// "Mediadefaults".
class Settings
{
public:
    static constexpr double DefaultPosition = 1000; // twips

    Settings();

    // Points every Settings made afterwards at a folder of its own (tests).
    static void setLocation(const QString& folder);
    QString fileName() const { return m_store.fileName(); }

    // The stored position in twips; absent, not a number or not a sensible
    // one (infinite, or beyond a million twips) gives 1000.
    double mainLeft() const;
    double mainTop() const;
    void storeWindow(double left, double top, double width, double height);

    QString databaseFilename() const;
    void setDatabaseFilename(const QString& path);

    // The movie site's server (section "Settings", key "MovieSite"): the
    // public site when nothing usable is stored; a stored empty text gives an
    // empty URL, which keeps the browser pane blank.
    QUrl movieSite() const;
    void setMovieSite(const QUrl& server);

    catalog::MediaDefaults mediaDefaults() const;
    void storeMediaDefaults(const catalog::MediaDefaults& defaults);

    // Raw access by section and key, as the store holds them.
    QString value(const QString& section, const QString& key, const QString& fallback = {}) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    void sync() { m_store.sync(); }

private:
    double position(const QString& key) const;

    mutable QSettings m_store;
};

} // namespace quelto::app
