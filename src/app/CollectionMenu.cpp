#include "app/CollectionMenu.h"

#include "app/MainMenu.h"
#include "app/MainWindow.h"
#include "app/CatalogueSwitcher.h"
#include "app/Settings.h"
#include "catalog/CatalogState.h"
#include "catalog/RecordSet.h"
#include "catalog/EngineError.h"
#include "editing/CatalogueCompletion.h"
#include "editing/MediaTab.h"
#include "editing/SpellingDialog.h"
#include "editing/RecordDisplay.h"
#include "editing/UserPrompts.h"
#include "groups/GroupCommands.h"
#include "groups/GroupFilter.h"
#include "groups/GroupPane.h"
#include "loans/LoanCommands.h"
#include "loans/LoanPanel.h"
#include "loans/LoanRules.h"
#include "loans/LoanStore.h"
#include "loans/LoansWindow.h"
#include "loans/LoanText.h"
#include "search/RecordListCommands.h"
#include "search/RecordListModel.h"
#include "statistics/ChartPrinter.h"
#include "statistics/StatisticsWindow.h"
#include "weblookup/LookupTab.h"
#include "weblookup/LookupWorkflow.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>

namespace quelto::app {
namespace {

const QString Section = QStringLiteral("Settings");
const QString GroupFieldKey = QStringLiteral("GroupField");
const QString GroupOrderKey = QStringLiteral("GroupOrder");
const QString GroupPaneKey = QStringLiteral("GroupPane");
const QString ListSplitKey = QStringLiteral("ListSplit");
const QString LoanPeriodKey = QStringLiteral("LoanPeriodDays");
const QString GrabAliasesKey = QStringLiteral("GrabAliases");

} // namespace

CollectionMenu::CollectionMenu(MainWindow& window, editing::MediaTab& mediaTab, groups::GroupPane& groupPane,
                               QSplitter& listSplitter)
    : QObject(&window), m_window(window), m_groupPane(groupPane), m_splitter(listSplitter),
      m_loans(new loans::LoanCommands(window.state(), window.prompts(), &window)),
      m_panel(new loans::LoanPanel(window.state(), *m_loans, &mediaTab)),
      m_groups(
          new groups::GroupCommands(window.state(), window.recordList(), window.prompts(), groupPane, this)),
      m_printer(std::make_unique<statistics::SystemChartPrinter>()), m_notice(new QLabel(&window))
{
    mediaTab.addFullRow(m_panel);
    m_notice->setObjectName(QStringLiteral("overdueNotice"));
    m_notice->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0);"));
    m_notice->setTextFormat(Qt::RichText);
    m_notice->setToolTip(QStringLiteral("Show the tapes out now"));
    m_notice->hide();
    window.statusBar()->addPermanentWidget(m_notice);
    connect(m_notice, &QLabel::linkActivated, this, &CollectionMenu::showLoans);
    addMenus();
    restoreSettings();
    m_groups->setHistory(
        &window.history(), [&window] { return window.catalogueSwitcher().mayReplaceRecord(); },
        [&window] {
            // The record on show stays, with what the merge made of it.
            catalog::RecordSet& set = *window.state().current;
            const qint64 shown = set.hasCurrentRow() ? set.bookmark() : 0;
            try {
                set.requery();
                if (shown != 0)
                    set.setBookmark(shown);
            } catch (const catalog::EngineError&) {
                // Not in the set any more: it shows the first record.
            }
            if (set.bof() && set.eof())
                window.display().clearFields();
            else
                window.display().recordToForm();
            window.display().showRecordCount();
            window.recordList().model().reread();
            window.recordList().follow();
        });

    window.display().addShownListener([this] { afterShown(); });
    // The form's people, company and genre fields offer the catalogue's values.
    m_completion = new editing::CatalogueCompletion(window.form(), this);
    window.display().addShownListener([this] {
        if (m_completionPath != m_window.state().databasePath) {
            m_completionPath = m_window.state().databasePath;
            m_completion->readCatalogue(m_completionPath);
        }
        m_completion->noteShownRecord();
    });
    // A grab's values take the spellings in use.
    connect(&window.lookupTab().workflow(), &weblookup::LookupWorkflow::grabFinished, this,
            [this] { m_completion->respellGrabbed(m_spellings); });
    connect(m_loans, &loans::LoanCommands::loansChanged, this, [this] {
        updateOverdueNotice();
        m_window.recordList().model().reread(); // the Loan column
        if (m_groups->field().kind == groups::GroupField::Kind::Borrower)
            m_groups->recount();
    });
    connect(m_loans, &loans::LoanCommands::defaultPeriodChanged, this,
            [this](int days) { storeSetting(LoanPeriodKey, QString::number(days)); });
    connect(m_groups, &groups::GroupCommands::fieldChanged, this,
            [this](const QString& id) { storeSetting(GroupFieldKey, id); });
    connect(m_groups, &groups::GroupCommands::orderChanged, this, [this](groups::GroupCounts::Order order) {
        storeSetting(GroupOrderKey, order == groups::GroupCounts::Order::ByCount ? QStringLiteral("count")
                                                                                 : QStringLiteral("name"));
    });
    connect(&m_splitter, &QSplitter::splitterMoved, this,
            [this] { storeSetting(ListSplitKey, QString::fromLatin1(m_splitter.saveState().toBase64())); });
}

CollectionMenu::~CollectionMenu() = default;

QString CollectionMenu::respelled(const QComboBox* box, const QString& value) const
{
    return m_completion->respelled(box, value, m_spellings);
}

void CollectionMenu::addMenus()
{
    MainMenu& menu = m_window.menu();
    if (QMenu* search = menu.menu(QStringLiteral("mnSearch"))) {
        search->addSeparator();
        QAction* onLoan = search->addAction(QStringLiteral("On &Loan"));
        onLoan->setObjectName(QStringLiteral("mnSrchOnLoan"));
        QAction* overdue = search->addAction(QStringLiteral("O&verdue"));
        overdue->setObjectName(QStringLiteral("mnSrchOverdue"));
        connect(onLoan, &QAction::triggered, this, &CollectionMenu::searchOnLoan);
        connect(overdue, &QAction::triggered, this, &CollectionMenu::searchOverdue);
    }
    QMenuBar* bar = m_window.menuBar();
    auto* collection = new QMenu(QStringLiteral("Collect&ion"), bar);
    collection->setObjectName(QStringLiteral("mnCollection"));
    collection->menuAction()->setObjectName(QStringLiteral("mnCollection"));
    QMenu* help = menu.menu(QStringLiteral("mnuHelp"));
    bar->insertMenu(help ? help->menuAction() : nullptr, collection);
    QAction* loans = collection->addAction(QStringLiteral("&Loans..."));
    loans->setObjectName(QStringLiteral("mnLoans"));
    QAction* statistics = collection->addAction(QStringLiteral("&Statistics..."));
    statistics->setObjectName(QStringLiteral("mnStatistics"));
    collection->addSeparator();
    QAction* pane = collection->addAction(QStringLiteral("&Group Pane"));
    pane->setObjectName(QStringLiteral("mnGroupPane"));
    pane->setCheckable(true);
    pane->setChecked(true);
    pane->setToolTip(QStringLiteral("Show the groups beside the record list"));
    connect(loans, &QAction::triggered, this, &CollectionMenu::showLoans);
    connect(statistics, &QAction::triggered, this, &CollectionMenu::showStatistics);
    connect(pane, &QAction::toggled, this, &CollectionMenu::setGroupPaneVisible);
    collection->addSeparator();
    QAction* spellings = collection->addAction(QStringLiteral("Grab S&pellings..."));
    spellings->setObjectName(QStringLiteral("mnGrabSpellings"));
    spellings->setToolTip(QStringLiteral("The spellings a grab stores a page's values under"));
    connect(spellings, &QAction::triggered, this, &CollectionMenu::editSpellings);
}

void CollectionMenu::editSpellings()
{
    editing::SpellingDialog dialog(completion::SpellingMap::format(m_spellings.aliases()), &m_window);
    m_window.prompts().showModal(dialog);
    if (dialog.result() != QDialog::Accepted)
        return;
    m_spellings = completion::SpellingMap(completion::SpellingMap::parse(dialog.aliases()));
    storeSetting(GrabAliasesKey, completion::SpellingMap::format(m_spellings.aliases()));
}

void CollectionMenu::restoreSettings()
{
    Settings& settings = m_window.settings();
    bool ok = false;
    const int period = settings.value(Section, LoanPeriodKey).toInt(&ok);
    m_loans->setDefaultPeriod(ok ? period : loans::LoanRules::DefaultPeriodDays);
    const QString field = settings.value(Section, GroupFieldKey);
    if (groups::GroupField::byId(field))
        m_groups->setField(field);
    if (settings.value(Section, GroupOrderKey) == QLatin1String("count"))
        m_groups->setOrder(groups::GroupCounts::Order::ByCount);
    const QByteArray split = QByteArray::fromBase64(settings.value(Section, ListSplitKey).toLatin1());
    if (split.isEmpty() || !m_splitter.restoreState(split))
        m_splitter.setSizes({220, 600});
    const QString noAliases = QStringLiteral("\x01"); // none stored yet: the defaults
    if (const QString aliases = settings.value(Section, GrabAliasesKey, noAliases); aliases != noAliases)
        m_spellings = completion::SpellingMap(completion::SpellingMap::parse(aliases));
    const bool visible = settings.value(Section, GroupPaneKey, QStringLiteral("1")) != QLatin1String("0");
    if (QAction* item = m_window.menu().action(QStringLiteral("mnGroupPane")))
        item->setChecked(visible);
    m_groupPane.setVisible(visible);
}

void CollectionMenu::storeSetting(const QString& key, const QString& value)
{
    m_window.settings().setValue(Section, key, value);
    m_window.settings().sync();
}

void CollectionMenu::setGroupPaneVisible(bool visible)
{
    m_groupPane.setVisible(visible);
    if (QAction* item = m_window.menu().action(QStringLiteral("mnGroupPane"));
        item && item->isChecked() != visible)
        item->setChecked(visible);
    storeSetting(GroupPaneKey, visible ? QStringLiteral("1") : QStringLiteral("0"));
}

void CollectionMenu::setToday(std::function<QDate()> today)
{
    m_today = today;
    m_loans->setToday(today);
    if (m_statisticsWindow)
        m_statisticsWindow->setToday(today);
    m_panel->refresh();
    updateOverdueNotice();
}

void CollectionMenu::setChartPrinter(std::unique_ptr<statistics::ChartPrinter> printer)
{
    m_printer = std::move(printer);
}

void CollectionMenu::afterShown()
{
    m_panel->refresh();
    m_groups->sync();
    // A catalogue opened (at start or switched to) gets its notice once.
    if (m_window.state().databasePath != m_noticePath)
        updateOverdueNotice();
}

void CollectionMenu::updateOverdueNotice()
{
    const catalog::CatalogState& state = m_window.state();
    m_noticePath = state.databasePath;
    int overdue = 0;
    try {
        if (state.database)
            overdue = loans::LoanStore(*state.database).overdueCount(m_today());
    } catch (const catalog::EngineError&) {
    }
    const QString text = loans::LoanText::overdueNotice(overdue);
    m_notice->setText(
        text.isEmpty()
            ? QString()
            : QStringLiteral("<a href=\"loans\" style=\"color: rgb(192, 0, 0);\">%1</a>").arg(text));
    m_notice->setAccessibleName(text);
    m_notice->setVisible(!text.isEmpty());
}

loans::LoansWindow& CollectionMenu::loansWindow()
{
    if (!m_loansWindow)
        m_loansWindow = new loans::LoansWindow(*m_loans, &m_window);
    return *m_loansWindow;
}

statistics::StatisticsWindow& CollectionMenu::statisticsWindow()
{
    if (!m_statisticsWindow) {
        m_statisticsWindow =
            new statistics::StatisticsWindow(m_window.state(), m_window.prompts(), *m_printer, &m_window);
        m_statisticsWindow->setToday(m_today);
    }
    return *m_statisticsWindow;
}

void CollectionMenu::showLoans()
{
    loans::LoansWindow& window = loansWindow();
    window.show();
    window.raise();
    window.activateWindow();
}

void CollectionMenu::showStatistics()
{
    statistics::StatisticsWindow& window = statisticsWindow();
    if (window.isVisible())
        window.refresh();
    window.show();
    window.raise();
    window.activateWindow();
}

void CollectionMenu::searchOnLoan()
{
    editing::UserPrompts& prompts = m_window.prompts();
    if (m_window.state().newRecordMode) {
        prompts.exclamation(loans::LoanCommands::FinishNewRecord);
        return;
    }
    try {
        catalog::Database& db = *m_window.state().database;
        if (loans::LoanStore(db).currentLoans(0, 1).empty()) {
            prompts.exclamation(NoTapeOnLoan);
            return;
        }
        m_window.recordList().setRestriction(
            groups::GroupFilter::restriction(groups::GroupFilter::onLoanCondition(true)),
            QStringLiteral("On loan"));
    } catch (const catalog::EngineError& error) {
        prompts.exclamation(error.message());
    }
}

void CollectionMenu::searchOverdue()
{
    editing::UserPrompts& prompts = m_window.prompts();
    if (m_window.state().newRecordMode) {
        prompts.exclamation(loans::LoanCommands::FinishNewRecord);
        return;
    }
    try {
        catalog::Database& db = *m_window.state().database;
        if (loans::LoanStore(db).overdueCount(m_today()) == 0) {
            prompts.exclamation(NoTapeOverdue);
            return;
        }
        m_window.recordList().setRestriction(
            groups::GroupFilter::restriction(
                groups::GroupFilter::overdueCondition(true, loans::LoanText::isoDate(m_today()))),
            QStringLiteral("Overdue"));
    } catch (const catalog::EngineError& error) {
        prompts.exclamation(error.message());
    }
}

} // namespace quelto::app
