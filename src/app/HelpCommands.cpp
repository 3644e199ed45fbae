#include "app/HelpCommands.h"

#include "app/AboutDialog.h"
#include "app/MainMenu.h"
#include "editing/UserPrompts.h"

#include <QAction>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>

namespace quelto::app {

HelpCommands::HelpCommands(MainMenu& menu, editing::UserPrompts& prompts, QWidget* window,
                           SystemInfoLauncher::Environment environment)
    : QObject(window), m_prompts(prompts), m_window(window), m_sysInfo(std::move(environment))
{
    connect(menu.action(QStringLiteral("mnuHelpCont")), &QAction::triggered, this, &HelpCommands::showContents);
    connect(menu.action(QStringLiteral("mnuAbout")), &QAction::triggered, this, &HelpCommands::showAbout);
}

HelpCommands::~HelpCommands()
{
    delete m_help;
}

void HelpCommands::showContents()
{
    if (!m_help) {
        // A window of its own, like a separate help viewer: the main window
        // stays usable while it is open.
        m_help = new HelpBrowser(m_parts);
        m_help->setObjectName(QStringLiteral("helpViewer"));
        m_help->setWindowTitle(QStringLiteral("Quelto Help"));
        m_help->setOpenExternalLinks(true);
        m_help->document()->setDocumentMargin(16);
        m_help->setSource(QUrl(QStringLiteral("qrc:/help/") + HelpFile));
        m_help->resize(640, 720);
    }
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void HelpCommands::showAbout()
{
    if (!m_about) {
        m_about = std::make_unique<AboutDialog>(m_window);
        connect(m_about->sysInfoButton(), &QPushButton::clicked, this, &HelpCommands::startSysInfo);
    }
    m_prompts.showModal(*m_about);
}

void HelpCommands::startSysInfo()
{
    if (!m_sysInfo.startSysInfo())
        m_prompts.message(SystemInfoLauncher::Unavailable);
}

} // namespace quelto::app
