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
    connect(menu.action(QStringLiteral("mnuHelpTab")), &QAction::triggered, this, &HelpCommands::showTabSection);
}

HelpCommands::~HelpCommands()
{
    delete m_help;
}

void HelpCommands::showContents() { showSection(QString()); }

void HelpCommands::showTabSection() { showSection(m_sectionOfTab ? m_sectionOfTab() : QString()); }

void HelpCommands::showSection(const QString& anchor)
{
    const bool first = !m_help;
    if (first) {
        // A window of its own, like a separate help viewer: the main window
        // stays usable while it is open.
        m_help = new HelpBrowser(m_parts);
        m_help->setObjectName(QStringLiteral("helpViewer"));
        m_help->setWindowTitle(QStringLiteral("Quelto Help"));
        m_help->setOpenExternalLinks(true);
        m_help->document()->setDocumentMargin(16);
        // As tall as a page of it reads well, but never more than the screen
        // holds (ScreenFit keeps it there).
        m_help->resize(640, 720);
    }
    QUrl page(QStringLiteral("qrc:/help/") + HelpFile);
    if (!anchor.isEmpty())
        page.setFragment(anchor);
    if (first || m_help->source() != page)
        m_help->setSource(page);
    if (!anchor.isEmpty())
        m_help->scrollToAnchor(anchor);
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
