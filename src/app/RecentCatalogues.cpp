#include "app/RecentCatalogues.h"

#include "app/Settings.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace quelto::app {
namespace {

QString keyOf(int index) { return QStringLiteral("File%1").arg(index + 1); }

bool samePath(const QString& a, const QString& b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

RecentCatalogues::RecentCatalogues(Settings& settings, QMenu* menu, QObject* parent)
    : QObject(parent), m_settings(settings), m_menu(menu)
{
    for (int i = 0; i < Kept; ++i) {
        const QString path = m_settings.value(Section, keyOf(i));
        if (!path.isEmpty() && !m_paths.contains(path))
            m_paths << path;
    }
    showMenu();
}

void RecentCatalogues::opened(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_paths.removeIf([&](const QString& known) { return samePath(known, absolute); });
    m_paths.prepend(absolute);
    while (m_paths.size() > Kept)
        m_paths.removeLast();
    store();
    showMenu();
}

void RecentCatalogues::forget(const QString& path)
{
    m_paths.removeIf([&](const QString& known) { return samePath(known, path); });
    store();
    showMenu();
}

void RecentCatalogues::store()
{
    for (int i = 0; i < Kept; ++i)
        m_settings.setValue(Section, keyOf(i), i < m_paths.size() ? m_paths.at(i) : QString());
    m_settings.sync();
}

void RecentCatalogues::showMenu()
{
    m_menu->clear();
    for (qsizetype i = 0; i < m_paths.size(); ++i) {
        const QString path = m_paths.at(i);
        QString name = QFileInfo(path).fileName();
        name.replace(QLatin1Char('&'), QLatin1String("&&"));
        // Two catalogues of one name are told apart by their folders.
        QAction* item = m_menu->addAction(QStringLiteral("&%1 %2  (%3)")
                                              .arg(i + 1)
                                              .arg(name, QDir::toNativeSeparators(QFileInfo(path).absolutePath())));
        item->setObjectName(QStringLiteral("mnRecent%1").arg(i + 1));
        item->setToolTip(QDir::toNativeSeparators(path));
        item->setStatusTip(QDir::toNativeSeparators(path));
        connect(item, &QAction::triggered, this, [this, path] { emit openRequested(path); });
    }
    m_menu->setToolTipsVisible(true);
    m_menu->menuAction()->setEnabled(!m_paths.isEmpty());
}

} // namespace quelto::app
