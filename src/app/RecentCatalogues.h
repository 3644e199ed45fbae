#pragma once

#include <QObject>
#include <QStringList>

class QMenu;

namespace quelto::app {

class Settings;

// File > Recent Catalogues: the last five catalogues opened, the newest
// first, kept in the settings (section "RecentCatalogues", keys "File1" to
// "File5"). Choosing one asks for it to be opened; a file that is gone is
// said so and leaves the list.
class RecentCatalogues : public QObject
{
    Q_OBJECT
public:
    static constexpr int Kept = 5;
    static inline const QString Section = QStringLiteral("RecentCatalogues");
    static inline const QString Missing = QStringLiteral("The catalogue \"%1\" is no longer there.");

    RecentCatalogues(Settings& settings, QMenu* menu, QObject* parent = nullptr);

    QStringList paths() const { return m_paths; }
    // The catalogue in use now goes to the top of the list.
    void opened(const QString& path);
    // Takes a path off the list.
    void forget(const QString& path);

signals:
    void openRequested(const QString& path);

private:
    void store();
    void showMenu();

    Settings& m_settings;
    QMenu* m_menu;
    QStringList m_paths;
};

} // namespace quelto::app
