#include "app/MainWindow.h"

#include "app/AccessConversionFlow.h"
#include "app/CatalogueSwitcher.h"
#include "app/CatalogSafety.h"
#include "app/CollectorFeatures.h"
#include "app/CommandBar.h"
#include "app/CsvCommands.h"
#include "app/DatabaseDialog.h"
#include "app/FormKeyboard.h"
#include "app/GlanceFeatures.h"
#include "app/HelpCommands.h"
#include "app/LookupStatus.h"
#include "app/LookupTab.h"
#include "app/MainMenu.h"
#include "app/MediaTab.h"
#include "app/MovieTab.h"
#include "app/PersonalTab.h"
#include "app/ResizeRule.h"
#include "app/Settings.h"
#include "app/Twips.h"
#include "app/WindowPlacement.h"
#include "catalog/CatalogFileCheck.h"
#include "catalog/CatalogLoader.h"
#include "catalog/EngineError.h"
#include "catalog/KeptOrder.h"
#include "catalog/SqliteConnection.h"
#include "editing/OptionFields.h"
#include "editing/OptionListCommands.h"
#include "editing/RecordCommands.h"
#include "editing/StatusShape.h"
#include "editing/UnsavedChanges.h"
#include "editing/UserPrompts.h"
#include "glance/GroupPane.h"
#include "printing/PrintCommands.h"
#include "search/RecordListCommands.h"
#include "weblookup/ProfileList.h"
#include "search/RecordListPane.h"
#include "search/OrderRefresher.h"
#include "search/SearchCommands.h"
#include "tasks/CommandRunner.h"
#include "weblookup/LookupWorkflow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>

namespace quelto::app {
namespace {

using catalog::CatalogLoader;
using catalog::EngineError;

// Thrown when the user cancels the database dialog.
struct DialogCancelled
{
};

// The record list's columns: which are shown, their order and widths.
const QString ListSection = QStringLiteral("Settings");
const QString ListColumnsKey = QStringLiteral("ListColumns");

bool isFile(const QString& path) { return QFileInfo(path).isFile(); }

QString absolute(const QString& path) { return QFileInfo(path).absoluteFilePath(); }

} // namespace

MainWindow::MainWindow(Settings& settings, editing::UserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quelto 1.2"));
    m_menu = new MainMenu(menuBar());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    m_commandBar = new CommandBar(m_form, client);
    m_tabs = new QTabWidget(client);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    auto* mediaTab = new MediaTab(m_form, m_tabs);
    m_tabs->addTab(mediaTab, QStringLiteral("Media"));
    m_tabs->addTab(new MovieTab(m_form, m_tabs), QStringLiteral("Movie"));
    m_tabs->addTab(new PersonalTab(m_form, m_tabs), QStringLiteral("&Personal"));
    m_lookup = new LookupTab(m_form, m_prompts, m_settings, m_tabs);
    m_tabs->addTab(m_lookup, QStringLiteral("IMDb"));
    // The List tab: the group pane beside the record list.
    auto* listSplitter = new QSplitter(Qt::Horizontal, m_tabs);
    listSplitter->setObjectName(QStringLiteral("listSplitter"));
    listSplitter->setChildrenCollapsible(false);
    auto* groupPane = new glance::GroupPane(listSplitter);
    m_listPane = new search::RecordListPane(listSplitter);
    listSplitter->setStretchFactor(1, 1);
    m_tabs->addTab(listSplitter, QStringLiteral("List"));
    setTabOrder(m_form.title, m_tabs);
    m_keyboard = new FormKeyboard(m_form, m_state, m_tabs,
                                  {m_commandBar, m_tabs->widget(0), m_tabs->widget(1), m_tabs->widget(PersonalTabIndex),
                                   m_tabs->findChild<QTabBar*>()},
                                  this);

    m_display = std::make_unique<editing::RecordDisplay>(m_form, m_state);
    m_safety = std::make_unique<CatalogSafety>(m_state, m_prompts);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    m_runner = new tasks::CommandRunner(this, statusBar(), this);
    m_runner->setFailureReport([this](const QString& failure) { m_prompts.exclamation(failure); });
    m_search = new search::SearchCommands(m_state, *m_display, m_prompts, *m_runner, this);
    m_refresher = new search::OrderRefresher(m_state, *m_runner, this);
    m_display->addShownListener([this] { m_refresher->fileMayHaveChanged(); });
    m_search->connectCommands();
    auto* records = new editing::RecordCommands(m_form, m_state, *m_display, m_prompts, this);
    m_unsaved = std::make_unique<editing::UnsavedChanges>(*m_display, *records, m_prompts);
    m_display->setUnsavedChanges(m_unsaved.get());
    m_collector = new CollectorFeatures(*this);
    // A grab fills the new record being entered; into a shown record it
    // replaces what was typed there.
    m_lookup->workflow().setGrabCheck([this] { return m_state.newRecordMode || m_unsaved->settle(); });
    m_list = new search::RecordListCommands(m_state, *m_display, *m_search, m_prompts, *m_listPane, this);
    m_listPane->restoreColumnState(QByteArray::fromBase64(m_settings.value(ListSection, ListColumnsKey).toLatin1()));
    connect(m_listPane, &search::RecordListPane::columnsChanged, this, [this] {
        m_settings.setValue(ListSection, ListColumnsKey, QString::fromLatin1(m_listPane->columnState().toBase64()));
        m_settings.sync();
    });
    // Enter on a row opens the record.
    connect(m_list, &search::RecordListCommands::rowOpened, this, [this] { m_tabs->setCurrentIndex(MovieTabIndex); });
    auto* printCommands = new printing::PrintCommands(m_state, *m_display, m_prompts, this);
    printCommands->setCommandRunner(m_runner);
    new editing::OptionListCommands(m_form, m_state, m_prompts, this);
    m_help = new HelpCommands(*m_menu, m_prompts, this);
    m_help->setHelpPart(QStringLiteral("site-profiles"),
                        [this] { return weblookup::profileListHtml(m_lookup->workflow().profiles()); });
    m_switcher = new CatalogueSwitcher(*this);
    new CsvCommands(*this, [this] { return m_switcher->mayReplaceRecord(); });
    m_glance = new GlanceFeatures(*this, *mediaTab, *groupPane, *listSplitter);
    connect(m_menu->quit(), &QAction::triggered, this, &MainWindow::quit);
    new LookupStatus(m_lookup->workflow(), statusBar());

    const QSize design(twips::toPixels(DesignWidth, logicalDpiX()), twips::toPixels(DesignHeight, logicalDpiY()));
    resize(design.width(), design.height() + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    // Small enough for any screen, large enough that the command strip fits.
    setMinimumSize(m_commandBar->minimumSizeHint().width() + twips::toPixels(270, logicalDpiX()), 320);
}

MainWindow::~MainWindow() = default;

MainWindow::LoadResult MainWindow::load(const QString& databaseOverride)
{
    // At the stored position, unless that would leave the window off every screen.
    const QPoint stored(twips::toPixels(m_settings.mainLeft(), logicalDpiX()),
                        twips::toPixels(m_settings.mainTop(), logicalDpiY()));
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    move(WindowPlacement::visiblePosition(QRect(stored, frameGeometry().size()), screens));
    m_state.databasePath = m_settings.databaseFilename();
    m_state.mediaDefaults = m_settings.mediaDefaults();
    m_lookup->setServer(m_settings.movieSite());
    m_lookup->goHome();
    m_form.catalog->setEnabled(false);
    m_state.newRecordMode = false;
    m_state.newDatabase = false;

    try {
        locateDatabase(databaseOverride);
        CatalogLoader::open(m_state, m_safety->questions(m_state.databasePath));
        editing::OptionFields::fillAll(m_state, m_form);
        m_form.dbNoFilter->setEnabled(false);
        m_display->recordToForm();
        m_tabs->setCurrentIndex(MovieTabIndex);
        m_display->showRecordCount();
        m_switcher->showCatalogueName();
        m_safety->followCheck(this, m_runner->patience());
        m_safety->tellAfterOpening();
        m_safety->tidyUp();
    } catch (const DialogCancelled&) {
        return LoadResult::Cancelled;
    } catch (const EngineError& error) {
        const QString file = QDir::toNativeSeparators(m_state.databasePath);
        QString text = error.message();
        if (file.isEmpty() || !text.contains(file))
            text = QStringLiteral("Quelto cannot start with the catalogue \"%1\":\n%2").arg(file, text);
        m_prompts.error(text);
        return LoadResult::Failed;
    }
    m_loaded = true;
    return LoadResult::Loaded;
}

// An old Access file is offered for conversion: the new catalogue is the file
// to open, and its path is stored. Nothing when the user declined.
std::optional<QString> MainWindow::convertedIfAccess(const QString& path)
{
    using catalog::CatalogFileCheck;
    if (!isFile(path) || CatalogFileCheck::inspect(path) != CatalogFileCheck::Kind::AccessDatabase)
        return path;
    const std::optional<QString> converted = AccessConversionFlow(m_prompts, this).convert(path);
    if (converted) {
        m_settings.setDatabaseFilename(*converted);
        m_settings.sync();
    }
    return converted;
}

void MainWindow::locateDatabase(const QString& databaseOverride)
{
    if (!databaseOverride.isEmpty()) {
        m_state.databasePath = absolute(databaseOverride);
        if (!isFile(m_state.databasePath)) {
            CatalogLoader::createCatalogFile(m_state.databasePath);
            m_state.newDatabase = true;
        }
        const std::optional<QString> catalogue = convertedIfAccess(m_state.databasePath);
        if (!catalogue)
            throw DialogCancelled();
        m_state.databasePath = *catalogue;
        return;
    }
    if (!m_state.databasePath.isEmpty() && isFile(m_state.databasePath)) {
        const std::optional<QString> catalogue = convertedIfAccess(m_state.databasePath);
        if (!catalogue)
            throw DialogCancelled();
        m_state.databasePath = *catalogue;
        return;
    }

    // A choice that cannot be used is explained and the dialog comes back, as
    // does an Access file the user declines to convert.
    for (;;) {
        const std::optional<QString> typed = m_prompts.chooseDatabase();
        if (!typed)
            throw DialogCancelled();
        if (typed->trimmed().isEmpty()) {
            m_prompts.exclamation(NoCatalogueNamed);
            continue;
        }
        try {
            const std::optional<QString> chosen = convertedIfAccess(DatabaseDialog::fullPath(*typed));
            if (!chosen)
                continue;
            const QString path = absolute(*chosen);
            if (isFile(path)) {
                CatalogLoader::checkCatalogFile(path);
            } else {
                CatalogLoader::createCatalogFile(path);
                m_state.newDatabase = true;
            }
            m_state.databasePath = path;
            break;
        } catch (const EngineError& error) {
            m_prompts.exclamation(error.message());
        }
    }
    m_settings.setDatabaseFilename(m_state.databasePath);
    m_settings.sync();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (!isMinimized())
        applyResizeRule();
}

void MainWindow::applyResizeRule()
{
    const ResizeRule rule = ResizeRule::forWindow(ruleSize(), logicalDpiX(), logicalDpiY());
    m_tabs->setGeometry(rule.tabs);
    m_lookup->setBrowserArea(rule.browser);
    m_commandBar->setGeometry(rule.tabs.left(), 0, rule.tabs.width(), rule.tabs.top());
}

QSize MainWindow::ruleSize() const
{
    // The status bar comes below the client area the rule was made for.
    return frameGeometry().size() - QSize(0, statusBar()->sizeHint().height());
}

void MainWindow::quit()
{
    if (m_loaded && !m_unsaved->settle())
        return;
    keepOrders(0); // at once: only an order found already
    m_quitting = true;
    emit quitRequested();
}

bool MainWindow::focusNextPrevChild(bool next)
{
    return m_keyboard->crossTabs(next) || QMainWindow::focusNextPrevChild(next);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_loaded && !m_quitting) {
        if (!m_unsaved->settle()) {
            event->ignore();
            return;
        }
        storeOnClose();
        keepOrders(KeepOrderWaitMs);
    }
    event->accept();
}

void MainWindow::keepOrders(int waitMs)
{
    if (!m_loaded || !m_state.database)
        return;
    catalog::SqliteConnection& connection = *m_state.database->connection();
    if (!connection.changeStored() || connection.writesRefused())
        return; // a run that changed nothing writes nothing
    m_refresher->waitFor(waitMs);
    try {
        catalog::KeptOrder::keep(connection, m_refresher->signatures());
    } catch (const catalog::EngineError&) {
        // The next run sorts as it would anyway.
    }
}

void MainWindow::storeOnClose()
{
    // The other windows first, the most recent one first.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (*it != this && (*it)->isVisible())
            (*it)->close();
    }
    if (!isMinimized()) {
        const QRect frame = frameGeometry();
        const double dpiX = logicalDpiX();
        const double dpiY = logicalDpiY();
        m_settings.storeWindow(twips::fromPixels(frame.left(), dpiX), twips::fromPixels(frame.top(), dpiY),
                               twips::fromPixels(frame.width(), dpiX), twips::fromPixels(frame.height(), dpiY));
    }
    m_settings.storeMediaDefaults(m_state.mediaDefaults);
    m_settings.setValue(ListSection, ListColumnsKey, QString::fromLatin1(m_listPane->columnState().toBase64()));
    m_settings.sync();
}

} // namespace quelto::app
