#include "AppFixture.h"

#include "weblookup/LookupTab.h"
#include "app/MainMenu.h"
#include "exchange/ConversionLeftovers.h"
#include "statistics/KeptStatistics.h"
#include "tasks/CommandRunner.h"
#include "weblookup/BrowserProfile.h"
#include "weblookup/LookupWorkflow.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QWebEngineView>

namespace quelto::test {

AppFixture::AppFixture()
{
    app::Settings::setLocation(m_dir.filePath(QStringLiteral("settings")));
    weblookup::BrowserProfile::setLocation(m_dir.filePath(QStringLiteral("browser")));
    exchange::ConversionLeftovers::setLocation(m_dir.filePath(QStringLiteral("conversions")));
    statistics::KeptStatistics::setLocation(m_dir.filePath(QStringLiteral("statistics")));
    m_settings = std::make_unique<app::Settings>();
    useMovieSite(QUrl());
}

void AppFixture::useMovieSite(const QUrl& server)
{
    m_settings->setMovieSite(server);
    m_settings->sync();
}

AppFixture::~AppFixture()
{
    discardWindow();
    // The browser engine writes the last of its profile a moment after the
    // profile is gone; wait for it, so that the folder goes as a whole.
    for (int attempt = 0; attempt < 10 && QDir(m_dir.path()).exists(); ++attempt) {
        QEventLoop wait;
        QTimer::singleShot(50, &wait, &QEventLoop::quit);
        wait.exec();
        m_dir.remove();
    }
}

app::MainWindow::LoadResult AppFixture::start(const QString& databaseOverride)
{
    discardWindow();
    m_window = std::make_unique<app::MainWindow>(*m_settings, m_prompts);
    // Commands that run in the background finish before the call that asked
    // for them returns, unless a test says otherwise: what the window shows
    // meanwhile is the subject of tests of its own.
    m_window->commandRunner().setPatience(Patient);
    return m_window->load(databaseOverride);
}

void AppFixture::discardWindow()
{
    if (!m_window)
        return;
    m_window->lookupTab().workflow().stop();
    m_window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString AppFixture::stored(const QString& section, const QString& key) const
{
    m_settings->sync();
    app::Settings fresh;
    return fresh.value(section, key, QStringLiteral("<absent>"));
}

QAction* AppFixture::menu(const char* name) const
{
    QAction* action = m_window ? m_window->menu().action(QString::fromLatin1(name)) : nullptr;
    if (!action)
        qFatal("no menu item %s", name);
    return action;
}

} // namespace quelto::test
