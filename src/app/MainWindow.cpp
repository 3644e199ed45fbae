#include "app/MainWindow.h"

#include "app/CatalogSafety.h"
#include "app/CatalogueLocator.h"
#include "app/CatalogueSwitcher.h"
#include "app/CollectionMenu.h"
#include "app/DatabaseDialog.h"
#include "app/EmptyCatalogueHint.h"
#include "app/HelpCommands.h"
#include "app/MainMenu.h"
#include "app/RecentCatalogues.h"
#include "app/RecordNotices.h"
#include "app/ResizeRule.h"
#include "app/ScreenFit.h"
#include "app/Settings.h"
#include "app/Twips.h"
#include "app/WindowPlacement.h"
#include "catalog/CatalogFileCheck.h"
#include "catalog/CatalogLoader.h"
#include "catalog/EngineError.h"
#include "catalog/KeptOrder.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorFeatures.h"
#include "collection/CoversCommands.h"
#include "editing/CommandBar.h"
#include "editing/FormKeyboard.h"
#include "editing/MediaTab.h"
#include "editing/MovieTab.h"
#include "editing/OptionFields.h"
#include "editing/OptionListCommands.h"
#include "editing/PersonalTab.h"
#include "editing/RecordCommands.h"
#include "refresh/GrabAgainCommand.h"
#include "editing/StatusShape.h"
#include "editing/UnsavedChanges.h"
#include "editing/UserPrompts.h"
#include "editing/WindowParts.h"
#include "exchange/ConversionLeftovers.h"
#include "exchange/CsvCommands.h"
#include "groups/GroupPane.h"
#include "history/HistoryCommands.h"
#include "importing/ImportCommands.h"
#include "printing/PrintCommands.h"
#include "search/OrderRefresher.h"
#include "statistics/KeptStatistics.h"
#include "statistics/KeptStatisticsRefresher.h"
#include "search/RecordListCommands.h"
#include "search/RecordListPane.h"
#include "search/SearchCommands.h"
#include "tasks/CommandRunner.h"
#include "weblookup/LookupStatus.h"
#include "weblookup/LookupTab.h"
#include "weblookup/LookupWorkflow.h"
#include "weblookup/ProfileList.h"
#include "webcatalogue/WebCatalogueCommand.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStyle>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>

namespace quelto::app {
namespace {

using catalog::CatalogLoader;
using catalog::EngineError;

// The record list's columns: which are shown, their order and widths.
const QString ListSection = QStringLiteral("Settings");
const QString ListColumnsKey = QStringLiteral("ListColumns");

bool isFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

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
    m_commandBar = new editing::CommandBar(m_form, client);
    m_tabs = new QTabWidget(client);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    // The field tabs scroll when the window is smaller than their fields need.
    const auto scrolling = [this](QWidget* page) {
        auto* area = new QScrollArea(m_tabs);
        area->setObjectName(page->objectName() + QStringLiteral("Scroll"));
        area->setFrameShape(QFrame::NoFrame);
        area->setWidgetResizable(true);
        area->setWidget(page);
        m_scrollAreas << area;
        return area;
    };
    auto* mediaTab = new editing::MediaTab(m_form, m_tabs);
    m_tabs->addTab(scrolling(mediaTab), QStringLiteral("Media"));
    m_tabs->addTab(scrolling(new editing::MovieTab(m_form, m_tabs)), QStringLiteral("Movie"));
    m_tabs->addTab(scrolling(new editing::PersonalTab(m_form, m_tabs)), QStringLiteral("&Personal"));
    m_lookup = new weblookup::LookupTab(m_form, m_prompts, m_tabs);
    connect(m_lookup, &weblookup::LookupTab::siteChosen, this, [this](const QUrl& server) {
        m_settings.setMovieSite(server);
        m_settings.sync();
    });
    m_tabs->addTab(m_lookup, QStringLiteral("IMDb"));
    // The List tab: the group pane beside the record list.
    auto* listSplitter = new QSplitter(Qt::Horizontal, m_tabs);
    listSplitter->setObjectName(QStringLiteral("listSplitter"));
    listSplitter->setChildrenCollapsible(false);
    auto* groupPane = new groups::GroupPane(listSplitter);
    m_listPane = new search::RecordListPane(listSplitter);
    listSplitter->setStretchFactor(1, 1);
    m_tabs->addTab(listSplitter, QStringLiteral("List"));
    setTabOrder(m_form.title, m_tabs);
    m_keyboard = new editing::FormKeyboard(m_form, m_state, m_tabs,
                                           {m_commandBar, m_tabs->widget(0), m_tabs->widget(1),
                                            m_tabs->widget(PersonalTabIndex), m_tabs->findChild<QTabBar*>()},
                                           this);

    m_display = std::make_unique<editing::RecordDisplay>(m_form, m_state);
    m_parts = std::make_unique<editing::WindowParts>(
        editing::WindowParts{m_state, m_form, *m_display, m_prompts, *this});
    m_safety = std::make_unique<CatalogSafety>(m_state, m_prompts);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    m_runner = new tasks::CommandRunner(this, statusBar(), this);
    m_runner->setFailureReport([this](const QString& failure) { m_prompts.exclamation(failure); });
    m_search = new search::SearchCommands(m_state, *m_display, m_prompts, *m_runner, this);
    m_refresher = new search::OrderRefresher(m_state, *m_runner, this);
    m_display->addShownListener([this] { m_refresher->fileMayHaveChanged(); });
    m_keptStatistics =
        new statistics::KeptStatisticsRefresher(m_state, [this] { return m_runner->isBusy(); }, this);
    m_display->addShownListener([this] { m_keptStatistics->fileMayHaveChanged(); });
    m_search->connectCommands();
    auto* records = new editing::RecordCommands(m_form, m_state, *m_display, m_prompts, this);
    records->setHistory(&m_history);
    // Delete's long steps and the recount run away from the window's thread.
    records->setCommandRunner(m_runner, [this] { return m_safety->writePreparation(); });
    m_display->setCommandRunner(m_runner);
    m_unsaved = std::make_unique<editing::UnsavedChanges>(*m_display, *records, m_prompts);
    m_display->setUnsavedChanges(m_unsaved.get());
    // Escape leaves a new record, but asks first when something was typed.
    m_keyboard->setLeaveNewRecord([this, records] {
        if (m_unsaved->settle() && m_state.newRecordMode)
            records->deleteOrCancel();
    });
    // A new record is typed on a tab with fields: without its media ID, which
    // it needs, from the Media tab's first field; else from the title on.
    connect(records, &editing::RecordCommands::newRecordStarted, this, [this] {
        if (m_form.catalog->text().trimmed().isEmpty() && m_keyboard->focusFirstField(MediaTabIndex))
            return;
        const int shown = m_tabs->currentIndex();
        if (shown != MediaTabIndex && shown != MovieTabIndex && shown != PersonalTabIndex)
            m_tabs->setCurrentIndex(MovieTabIndex);
        m_form.title->setFocus(Qt::OtherFocusReason);
    });
    m_collector = new collection::CollectorFeatures(
        *m_parts, *m_tabs, *m_lookup,
        [this](const QString& path, const QString& problems) { m_safety->damageFound(path, problems); },
        this);
    connect(&m_collector->covers(), &collection::CoversCommands::recordOpened, this,
            [this] { m_tabs->setCurrentIndex(MovieTabIndex); });
    // A grab fills the new record being entered; into a shown record it
    // replaces what was typed there.
    m_lookup->workflow().setGrabCheck([this] { return m_state.newRecordMode || m_unsaved->settle(); });
    m_grabAgain = new refresh::GrabAgainCommand(*m_parts, *m_lookup, *records, this);
    m_list = new search::RecordListCommands(m_state, *m_display, *m_search, m_prompts, *m_listPane, this);
    m_collector->setRecordList(*m_list);
    m_listPane->restoreColumnState(
        QByteArray::fromBase64(m_settings.value(ListSection, ListColumnsKey).toLatin1()));
    connect(m_listPane, &search::RecordListPane::columnsChanged, this, [this] {
        m_settings.setValue(ListSection, ListColumnsKey,
                            QString::fromLatin1(m_listPane->columnState().toBase64()));
        m_settings.sync();
    });
    // Enter on a row opens the record.
    connect(m_list, &search::RecordListCommands::rowOpened, this,
            [this] { m_tabs->setCurrentIndex(MovieTabIndex); });
    auto* printCommands = new printing::PrintCommands(m_state, *m_display, m_prompts, this);
    printCommands->setCommandRunner(m_runner);
    auto* optionLists = new editing::OptionListCommands(m_form, m_state, m_prompts, this);
    optionLists->setHistory(&m_history);
    m_help = new HelpCommands(*m_menu, m_prompts, this);
    m_help->setHelpPart(QStringLiteral("site-profiles"),
                        [this] { return weblookup::profileListHtml(m_lookup->workflow().profiles()); });
    m_switcher = new CatalogueSwitcher(*this);
    new history::HistoryCommands(
        *m_parts, m_history, [this] { return m_switcher->mayReplaceRecord(); }, this);
    m_recent = new RecentCatalogues(m_settings, m_menu->menu(QStringLiteral("mnRecent")), this);
    connect(m_recent, &RecentCatalogues::openRequested, this, &MainWindow::openRecent);
    // Another catalogue: this run's changes belonged to the one before.
    connect(m_switcher, &CatalogueSwitcher::catalogueSwitched, this, [this] {
        m_history.clear();
        m_recent->opened(m_state.databasePath);
    });
    const auto mayReplaceRecord = [this] { return m_switcher->mayReplaceRecord(); };
    new exchange::CsvCommands(*m_parts, m_history, mayReplaceRecord, this);
    new webcatalogue::WebCatalogueCommand(*m_parts, this);
    new importing::ImportCommands(*m_parts, m_history, mayReplaceRecord, this);
    m_collectionMenu = new CollectionMenu(*this, *mediaTab, *groupPane, *listSplitter);
    // Grab Again spells a page's values as "Grab Data !" does.
    m_grabAgain->setRespelling([menu = m_collectionMenu](const QComboBox* box, const QString& value) {
        return menu->respelled(box, value);
    });
    connect(m_menu->quit(), &QAction::triggered, this, &MainWindow::quit);
    new weblookup::LookupStatus(m_lookup->workflow(), statusBar());
    // An empty catalogue says how to begin.
    m_emptyHint = new EmptyCatalogueHint(m_state, m_form.dbNew, m_menu->menu(QStringLiteral("mnImport")),
                                         m_menu->action(QStringLiteral("mnOpenCatalogue")), client);
    m_display->addShownListener([this] {
        if (m_emptyHint->follow())
            applyResizeRule();
    });
    // What the status bar says of one record goes with it.
    auto* notices = new RecordNotices(m_state, statusBar(), this);
    m_display->addShownListener([notices] { notices->shown(); });
    connect(m_switcher, &CatalogueSwitcher::catalogueSwitched, notices, &RecordNotices::clear);

    // A field that takes the focus in a scrolled tab comes into view.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        for (QScrollArea* area : std::as_const(m_scrollAreas)) {
            if (now && area->widget()->isAncestorOf(now)) {
                // The whole field, not only its text cursor.
                const QRect field(now->mapTo(area->widget(), QPoint(0, 0)), now->size());
                area->ensureVisible(field.center().x(), field.center().y(), field.width() / 2 + 8,
                                    field.height() / 2 + 8);
            }
        }
    });
    m_help->setSectionOfTab([this] { return helpSection(m_tabs->currentIndex()); });

    setMinimumSize(minimumWindowSize());
    resize(firstWindowSize());
    // The window and every dialog fit the screen, at any scale factor.
    ScreenFit::install();
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
    // The size and maximised state of the last run, where there was one; the
    // place as stored beside them.
    const bool kept = restoreGeometry(QByteArray::fromBase64(m_settings.value(ListSection, GeometryKey).toLatin1()));
    move(WindowPlacement::visiblePosition(QRect(stored, frameGeometry().size()), screens));
    m_state.databasePath = m_settings.databaseFilename();
    m_state.mediaDefaults = m_settings.mediaDefaults();
    m_lookup->setServer(m_settings.movieSite());
    m_lookup->goHome();
    m_form.catalog->setEnabled(false);
    m_state.newRecordMode = false;
    m_state.newDatabase = false;
    // What a conversion killed in an earlier run left behind.
    exchange::ConversionLeftovers::removeStale();

    try {
        if (!CatalogueLocator(m_settings, m_prompts, this).locate(m_state, databaseOverride))
            return LoadResult::Cancelled;
        CatalogLoader::open(m_state, m_safety->questions(m_state.databasePath, m_state.newDatabase));
        editing::OptionFields::fillAll(m_state, m_form);
        m_form.dbNoFilter->setEnabled(false);
        m_display->recordToForm();
        m_tabs->setCurrentIndex(MovieTabIndex);
        m_display->showRecordCount();
        // The first window: as large as the Movie tab's fields (and a hint above them) need.
        if (!kept)
            resize(firstWindowSize());
        m_switcher->showCatalogueName();
        m_safety->followCheck(this, m_runner->patience());
        m_safety->tellAfterOpening();
        m_safety->tidyUp();
    } catch (const EngineError& error) {
        const QString file = QDir::toNativeSeparators(m_state.databasePath);
        QString text = error.message();
        if (file.isEmpty() || !text.contains(file))
            text = QStringLiteral("Quelto cannot start with the catalogue \"%1\":\n%2").arg(file, text);
        m_prompts.error(text);
        return LoadResult::Failed;
    }
    m_loaded = true;
    m_recent->opened(m_state.databasePath);
    return LoadResult::Loaded;
}

void MainWindow::openRecent(const QString& path)
{
    if (!m_switcher->mayReplaceRecord())
        return;
    if (!isFile(path)) {
        m_prompts.exclamation(RecentCatalogues::Missing.arg(QDir::toNativeSeparators(path)));
        m_recent->forget(path);
        return;
    }
    m_switcher->switchTo(path);
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
    QRect tabs = rule.tabs;
    // Larger fonts make the command strip taller than the rule's top margin:
    // the tabs then start below it rather than over it.
    const int strip = m_commandBar->minimumSizeHint().height();
    if (tabs.top() < strip)
        tabs.setTop(strip);
    const QRect commandArea(tabs.left(), 0, tabs.width(), tabs.top());
    // The hint of an empty catalogue between the command strip and the tabs.
    QRect browser = rule.browser;
    if (m_emptyHint && !m_emptyHint->isHidden()) {
        const int wrapped = m_emptyHint->heightForWidth(tabs.width());
        const int height = (wrapped > 0 ? wrapped : m_emptyHint->sizeHint().height()) + 4;
        m_emptyHint->setGeometry(tabs.left(), tabs.top(), tabs.width(), height - 4);
        tabs.setTop(tabs.top() + height);
        browser.setHeight(std::max(0, browser.height() - height));
    }
    // On a short screen (a large scale factor) the tabs take the rule's
    // bottom margin where the Movie tab's fields would be cut otherwise.
    if (const QScrollArea* movie = m_scrollAreas.value(MovieTabIndex)) {
        const int frame = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8;
        const int needed = movie->widget()->sizeHint().height() + m_tabs->tabBar()->sizeHint().height() + frame;
        const int room = centralWidget()->height() - 4 - tabs.bottom();
        const int taken = std::clamp(needed - tabs.height(), 0, std::max(0, room));
        tabs.setHeight(tabs.height() + taken);
        browser.setHeight(browser.height() + taken);
    }
    m_tabs->setGeometry(tabs);
    m_lookup->setBrowserArea(browser);
    m_commandBar->setGeometry(commandArea);
}

QSize MainWindow::minimumWindowSize() const
{
    // The command strip whole, and below it the tabs with a few rows of
    // fields (the rest scrolls); the rule's margins around both.
    const int width = m_commandBar->minimumSizeHint().width() + twips::toPixels(270, logicalDpiX());
    const int tabs = m_tabs->tabBar()->sizeHint().height() + 4 * (fontMetrics().height() + 12);
    const int height =
        std::max(m_commandBar->minimumSizeHint().height(), twips::toPixels(1000, logicalDpiY())) + tabs +
        twips::toPixels(1030, logicalDpiY()) + statusBar()->sizeHint().height();
    return {width, height};
}

QSize MainWindow::firstWindowSize() const
{
    const QSize design(twips::toPixels(DesignWidth, logicalDpiX()),
                       twips::toPixels(DesignHeight, logicalDpiY()) + menuBar()->sizeHint().height() +
                           statusBar()->sizeHint().height());
    // The resize rule's margins around the tabs, the command strip where it
    // is taller than the rule's top margin, the tab bar and the tab's frame.
    const QScrollArea* movie = m_scrollAreas.value(MovieTabIndex);
    const QSize fields = movie ? movie->widget()->sizeHint() : QSize();
    const int frame = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8;
    const int strip = std::max(0, m_commandBar->sizeHint().height() - twips::toPixels(1000, logicalDpiY()));
    const int hint = m_emptyHint && !m_emptyHint->isHidden()
                         ? m_emptyHint->heightForWidth(fields.width() + frame) + 4
                         : 0;
    const QSize needed(fields.width() + twips::toPixels(270, logicalDpiX()) + frame,
                       fields.height() + hint + m_tabs->tabBar()->sizeHint().height() + frame +
                           twips::toPixels(2030, logicalDpiY()) + strip + menuBar()->sizeHint().height() +
                           statusBar()->sizeHint().height());
    QSize size = design.expandedTo(needed).expandedTo(minimumSize());
    if (const QScreen* shown = screen())
        size = size.boundedTo(shown->availableGeometry().size());
    return size;
}

QString MainWindow::helpSection(int tab)
{
    switch (tab) {
    case MediaTabIndex:
    case MovieTabIndex:
        return QStringLiteral("records");
    case LookupTabIndex:
        return QStringLiteral("lookup");
    case ListTabIndex:
        return QStringLiteral("list");
    default:
        return {};
    }
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
    m_keptStatistics->stop();
    try {
        // The kept orders change no figure: the kept statistics stay good.
        const auto figures = statistics::KeptStatistics::beforeOwnWrite(connection);
        if (catalog::KeptOrder::keep(connection, m_refresher->signatures()) && figures)
            statistics::KeptStatistics::afterOwnWrite(connection, *figures);
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
        m_settings.setValue(ListSection, GeometryKey, QString::fromLatin1(saveGeometry().toBase64()));
        const QRect frame = frameGeometry();
        const double dpiX = logicalDpiX();
        const double dpiY = logicalDpiY();
        m_settings.storeWindow(twips::fromPixels(frame.left(), dpiX), twips::fromPixels(frame.top(), dpiY),
                               twips::fromPixels(frame.width(), dpiX),
                               twips::fromPixels(frame.height(), dpiY));
    }
    m_settings.storeMediaDefaults(m_state.mediaDefaults);
    m_settings.setValue(ListSection, ListColumnsKey,
                        QString::fromLatin1(m_listPane->columnState().toBase64()));
    m_settings.sync();
}

} // namespace quelto::app
