#pragma once

#include "app/HelpBrowser.h"
#include "app/SystemInfoLauncher.h"

#include <QObject>
#include <QPointer>
#include <QTextBrowser>
#include <memory>


class QWidget;

namespace quelto::editing {
class UserPrompts;
}

namespace quelto::app {

class AboutDialog;
class MainMenu;

// The Help menu: the help text in a window of its own, and the About box.
class HelpCommands : public QObject
{
    Q_OBJECT
public:
    static inline const QString HelpFile = QStringLiteral("Quelto.html");

    HelpCommands(MainMenu& menu, editing::UserPrompts& prompts, QWidget* window,
                 SystemInfoLauncher::Environment environment = SystemInfoLauncher::systemEnvironment());
    ~HelpCommands() override;

    // What the program puts into the help page at its "<!--quelto:NAME-->"
    // markers, asked each time the page is loaded.
    void setHelpPart(const QString& name, HelpBrowser::Part part) { m_parts.insert(name, std::move(part)); }

    void showContents(); // mnuHelpCont: does not wait for the reader to close it
    void showAbout();    // mnuAbout
    void startSysInfo(); // cmdSysInfo

    QTextBrowser* helpWindow() const { return m_help; }
    AboutDialog* aboutDialog() const { return m_about.get(); }

private:
    editing::UserPrompts& m_prompts;
    QWidget* m_window;
    SystemInfoLauncher m_sysInfo;
    QPointer<QTextBrowser> m_help;
    QHash<QString, HelpBrowser::Part> m_parts;
    std::unique_ptr<AboutDialog> m_about;
};

} // namespace quelto::app
