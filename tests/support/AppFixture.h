#pragma once

#include "ScriptedPrompts.h"
#include "app/MainWindow.h"
#include "app/Settings.h"

#include <QTemporaryDir>

class QAction;
#include <memory>

namespace quelto::test {

// A fresh settings store, browser profile and folder per test, and the real main window on
// scripted prompts. The browser pane stays blank unless a test names a movie
// site before start().
class AppFixture
{
public:
    AppFixture();
    ~AppFixture();

    QString file(const QString& name) const { return m_dir.filePath(name); }
    app::Settings& settings() { return *m_settings; }
    ScriptedPrompts& prompts() { return m_prompts; }
    // The movie site the next start() reads from the settings.
    void useMovieSite(const QUrl& server);

    // How long a command waits for its background work before the window
    // shows itself busy, in the windows of these tests.
    static constexpr int Patient = 60000;

    // Makes the main window (a new one each call) and runs its load step.
    app::MainWindow::LoadResult start(const QString& databaseOverride = {});
    app::MainWindow& window() { return *m_window; }
    // Drops the window without its close step, as when the program ends.
    void discardWindow();

    // Settings as a new run would read them.
    QString stored(const QString& section, const QString& key) const;

    // A menu item of the window by its object name.
    QAction* menu(const char* name) const;

    template <typename T>
    T* find(const QString& name) const
    {
        return m_window ? m_window->findChild<T*>(name) : nullptr;
    }

private:
    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    std::unique_ptr<app::Settings> m_settings;
    std::unique_ptr<app::MainWindow> m_window;
};

} // namespace quelto::test
