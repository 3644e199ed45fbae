#include "loans/LoansWindow.h"

#include "catalog/BackgroundQuery.h"
#include "catalog/EngineError.h"
#include "loans/LoanCommands.h"
#include "loans/LoanStore.h"
#include "loans/LoanText.h"
#include "tasks/BackgroundTask.h"
#include "loans/PagedChoices.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QScrollBar>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quelto::loans {
namespace {

const QColor Overdue(192, 0, 0);

QTreeWidget* makeList(const char* name, const QString& accessibleName, const QStringList& headers, QWidget* parent)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setAccessibleName(accessibleName);
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(true);
    return list;
}

QString titlesText(const QHash<QByteArray, QStringList>& titles, const QString& catalog)
{
    const QStringList list = titles.value(LoanStore::tapeKey(catalog));
    return list.isEmpty() ? QStringLiteral("(no longer in the catalogue)") : list.join(QStringLiteral("; "));
}

// The movies column of a row whose titles are still being read.
constexpr int MoviesColumn = 4;
constexpr int TitlesPending = Qt::UserRole + 1;
const QString Pending = QStringLiteral("...");

// The tapes out now are read a page at a time: the window opens at once
// however many there are, and scrolling reads on.
constexpr int LoansPage = 200;

// The tapes or borrowers to choose from, read a page at a time as the list
// is scrolled: a history tab opens at once however many loans there are.
void useChoices(QComboBox* box, PagedChoices::Fetch fetch)
{
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(24);
    box->setModel(new PagedChoices(std::move(fetch), box));
}

void restartChoices(QComboBox* box)
{
    const QString kept = box->currentText();
    const QSignalBlocker block(box);
    auto* choices = static_cast<PagedChoices*>(box->model());
    choices->restart();
    box->setCurrentIndex(kept.isEmpty() ? (choices->rowCount() > 0 ? 0 : -1) : choices->include(kept));
}

} // namespace

LoansWindow::LoansWindow(LoanCommands& commands, QWidget* parent)
    : QWidget(parent, Qt::Window), m_commands(commands), m_tabs(new QTabWidget(this))
{
    setObjectName(QStringLiteral("loansWindow"));
    setWindowTitle(QStringLiteral("Loans"));
    m_tabs->setObjectName(QStringLiteral("loansTabs"));
    m_tabs->addTab(makeCurrentTab(), QStringLiteral("&Out now"));
    m_tabs->addTab(makeTapeTab(), QStringLiteral("&Tape history"));
    m_tabs->addTab(makeBorrowerTab(), QStringLiteral("&Borrower history"));
    // The tapes and borrowers ever lent are read when a history is looked at.
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab > 0)
            fillChoices();
    });

    m_period = new QSpinBox(this);
    m_period->setObjectName(QStringLiteral("loanPeriod"));
    m_period->setRange(0, 365);
    m_period->setSuffix(QStringLiteral(" days"));
    m_period->setSpecialValueText(QStringLiteral("no due date"));
    m_period->setAccessibleName(QStringLiteral("Default loan period"));
    m_period->setValue(commands.defaultPeriod());
    auto* periodLabel = new QLabel(QStringLiteral("Default loan &period:"), this);
    periodLabel->setBuddy(m_period);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("loansClose"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(periodLabel);
    bottom->addWidget(m_period);
    bottom->addStretch(1);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(bottom);
    resize(760, 420);

    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    connect(m_period, &QSpinBox::valueChanged, &commands, &LoanCommands::setDefaultPeriod);
    connect(&commands, &LoanCommands::defaultPeriodChanged, m_period, &QSpinBox::setValue);
    connect(&commands, &LoanCommands::loansChanged, this, [this] {
        if (isVisible())
            refresh();
    });
}

QWidget* LoansWindow::makeCurrentTab()
{
    auto* tab = new QWidget(this);
    m_current = makeList("currentLoans", QStringLiteral("Tapes out now"),
                         {QStringLiteral("Media-ID"), QStringLiteral("Borrower"), QStringLiteral("Lent"),
                          QStringLiteral("Due"), QStringLiteral("Movies")},
                         tab);
    m_return = new QPushButton(QStringLiteral("&Return..."), tab);
    m_return->setObjectName(QStringLiteral("loansReturn"));
    m_return->setAccessibleName(QStringLiteral("Return the chosen tape"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_return);
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(m_current, 1);
    layout->addLayout(buttons);
    connect(m_return, &QPushButton::clicked, this, &LoansWindow::returnSelected);
    connect(m_current, &QTreeWidget::itemActivated, this, &LoansWindow::returnSelected);
    connect(m_current, &QTreeWidget::currentItemChanged, this, &LoansWindow::updateButtons);
    connect(m_current->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value >= m_current->verticalScrollBar()->maximum() - 10)
            fetchMoreCurrent();
    });
    return tab;
}

QWidget* LoansWindow::makeTapeTab()
{
    auto* tab = new QWidget(this);
    m_tapeChoice = new QComboBox(tab);
    m_tapeChoice->setObjectName(QStringLiteral("tapeChoice"));
    m_tapeChoice->setAccessibleName(QStringLiteral("Tape"));
    m_tapeHistory = makeList("tapeHistory", QStringLiteral("Loans of the tape"),
                             {QStringLiteral("Borrower"), QStringLiteral("Lent"), QStringLiteral("Due"),
                              QStringLiteral("Returned"), QStringLiteral("Note")},
                             tab);
    auto* form = new QFormLayout;
    auto* label = new QLabel(QStringLiteral("&Media-ID:"), tab);
    label->setBuddy(m_tapeChoice);
    form->addRow(label, m_tapeChoice);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(form);
    layout->addWidget(m_tapeHistory, 1);
    useChoices(m_tapeChoice, [this](const QString& after, int count) {
        return m_tapes ? m_tapes->page(after, count) : QStringList();
    });
    connect(m_tapeChoice, &QComboBox::currentIndexChanged, this, &LoansWindow::fillTapeHistory);
    return tab;
}

QWidget* LoansWindow::makeBorrowerTab()
{
    auto* tab = new QWidget(this);
    m_borrowerChoice = new QComboBox(tab);
    m_borrowerChoice->setObjectName(QStringLiteral("borrowerChoice"));
    m_borrowerChoice->setAccessibleName(QStringLiteral("Borrower"));
    m_borrowerHistory = makeList("borrowerHistory", QStringLiteral("Loans to the borrower"),
                                 {QStringLiteral("Media-ID"), QStringLiteral("Lent"), QStringLiteral("Due"),
                                  QStringLiteral("Returned"), QStringLiteral("Movies")},
                                 tab);
    auto* form = new QFormLayout;
    auto* label = new QLabel(QStringLiteral("Borro&wer:"), tab);
    label->setBuddy(m_borrowerChoice);
    form->addRow(label, m_borrowerChoice);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(form);
    layout->addWidget(m_borrowerHistory, 1);
    useChoices(m_borrowerChoice, [this](const QString& after, int count) {
        return m_borrowers ? m_borrowers->page(after, count) : QStringList();
    });
    connect(m_borrowerChoice, &QComboBox::currentIndexChanged, this, &LoansWindow::fillBorrowerHistory);
    return tab;
}

void LoansWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

void LoansWindow::refresh()
{
    const QString selected = m_current->currentItem() ? m_current->currentItem()->text(0) : QString();
    stopReadingTitles(m_current);
    m_current->clear();
    m_currentFetched = 0;
    m_currentComplete = false;
    try {
        const LoanStore store = m_commands.store();
        fetchMoreCurrent();
        // The loan that was chosen stays chosen when it is among the first pages.
        for (int i = 0; i < m_current->topLevelItemCount() && !selected.isEmpty(); ++i) {
            if (m_current->topLevelItem(i)->text(0) == selected) {
                m_current->setCurrentItem(m_current->topLevelItem(i));
                break;
            }
        }
    } catch (const catalog::EngineError& error) {
        m_currentComplete = true;
        new QTreeWidgetItem(m_current, {QString(), error.message()});
    }
    for (int c = 0; c < 4; ++c)
        m_current->resizeColumnToContents(c);
    m_choicesRead = false;
    if (m_tabs->currentIndex() > 0)
        fillChoices();
    updateButtons();
}

void LoansWindow::fillChoices()
{
    if (m_choicesRead)
        return;
    m_choicesRead = true;
    // Until the new read is over, the lists are paged from the last one.
    restartChoices(m_tapeChoice);
    restartChoices(m_borrowerChoice);
    fillTapeHistory();
    fillBorrowerHistory();
    if (m_choiceRead)
        m_choiceRead->cancel();
    QString path;
    try {
        path = m_commands.store().cataloguePath();
    } catch (const catalog::EngineError&) {
        return;
    }
    // Each column's distinct values in the catalogue's order are a pass over
    // the loans and a sort: at 200,000 loans far too long for the window.
    auto tapes = std::make_shared<QStringList>();
    auto borrowers = std::make_shared<QStringList>();
    m_choiceRead = tasks::BackgroundTask::start([path, tapes, borrowers](tasks::TaskControl& control) {
        catalog::BackgroundQuery::run(path, control, [&](catalog::SqliteConnection& connection) {
            *tapes = LoanStore::lentTapes(connection);
            *borrowers = LoanStore::borrowers(connection);
        });
    });
    m_choiceRead->whenOver(this, [this, weak = std::weak_ptr<tasks::BackgroundTask>(m_choiceRead), tapes, borrowers] {
        const std::shared_ptr<tasks::BackgroundTask> task = weak.lock();
        if (task && task == m_choiceRead && task->outcome() == tasks::BackgroundTask::Outcome::Done)
            choicesRead(ChoicePages(std::move(*tapes)), ChoicePages(std::move(*borrowers)));
    });
}

void LoansWindow::choicesRead(ChoicePages tapes, ChoicePages borrowers)
{
    m_choiceRead.reset();
    m_tapes = std::make_shared<const ChoicePages>(std::move(tapes));
    m_borrowers = std::make_shared<const ChoicePages>(std::move(borrowers));
    const QString tape = m_tapeChoice->currentText();
    const QString borrower = m_borrowerChoice->currentText();
    restartChoices(m_tapeChoice);
    restartChoices(m_borrowerChoice);
    // The histories are read again only when the choice they show has changed.
    if (m_tapeChoice->currentText() != tape)
        fillTapeHistory();
    if (m_borrowerChoice->currentText() != borrower)
        fillBorrowerHistory();
}

void LoansWindow::fetchMoreCurrent()
{
    if (m_currentComplete)
        return;
    const QDate today = m_commands.today();
    try {
        const LoanStore store = m_commands.store();
        const std::vector<Loan> loans = store.currentLoans(m_currentFetched, LoansPage);
        m_currentFetched += int(loans.size());
        m_currentComplete = int(loans.size()) < LoansPage;
        QStringList catalogs;
        for (const Loan& loan : loans) {
            QString due = LoanText::date(loan.due);
            if (const int days = loan.daysOverdue(today); days > 0)
                due += days == 1 ? QStringLiteral(" (1 day overdue)") : QStringLiteral(" (%1 days overdue)").arg(days);
            auto* item = new QTreeWidgetItem(m_current, {loan.catalog, loan.borrower, LoanText::date(loan.lent), due, Pending});
            item->setData(MoviesColumn, TitlesPending, true);
            catalogs << loan.catalog;
            if (!loan.note.isEmpty())
                item->setToolTip(1, loan.note);
            if (loan.isOverdue(today)) {
                for (int c = 0; c < item->columnCount(); ++c)
                    item->setForeground(c, Overdue);
            }
        }
        readTitles(m_current, 0, catalogs);
    } catch (const catalog::EngineError& error) {
        m_currentComplete = true;
        new QTreeWidgetItem(m_current, {QString(), error.message()});
    }
}

void LoansWindow::readTitles(QTreeWidget* list, int catalogColumn, const QStringList& catalogs)
{
    if (catalogs.isEmpty())
        return;
    QString path;
    try {
        path = m_commands.store().cataloguePath();
    } catch (const catalog::EngineError&) {
        return;
    }
    auto titles = std::make_shared<QHash<QByteArray, QStringList>>();
    auto task = tasks::BackgroundTask::start([path, catalogs, titles](tasks::TaskControl& control) {
        catalog::BackgroundQuery::run(path, control, [&](catalog::SqliteConnection& connection) {
            *titles = LoanStore::titlesOf(connection, catalogs);
        });
    });
    m_titleReads[list].push_back(task);
    QSet<QByteArray> asked;
    for (const QString& catalog : catalogs)
        asked.insert(LoanStore::tapeKey(catalog));
    task->whenOver(this, [this, list, catalogColumn, weak = std::weak_ptr<tasks::BackgroundTask>(task), titles, asked] {
        const std::shared_ptr<tasks::BackgroundTask> task = weak.lock();
        if (!task)
            return; // dropped: the list was read again
        auto& reads = m_titleReads[list];
        reads.erase(std::remove(reads.begin(), reads.end(), task), reads.end());
        if (task->outcome() == tasks::BackgroundTask::Outcome::Cancelled)
            return;
        const bool done = task->outcome() == tasks::BackgroundTask::Outcome::Done;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = list->topLevelItem(i);
            if (!item->data(MoviesColumn, TitlesPending).toBool() || !asked.contains(LoanStore::tapeKey(item->text(catalogColumn))))
                continue;
            item->setData(MoviesColumn, TitlesPending, false);
            item->setText(MoviesColumn, done ? titlesText(*titles, item->text(catalogColumn)) : QStringLiteral("(not read: %1)").arg(task->failure()));
            item->setToolTip(MoviesColumn, item->text(MoviesColumn));
        }
    });
}

void LoansWindow::stopReadingTitles(QTreeWidget* list)
{
    for (const auto& task : m_titleReads[list])
        task->cancel();
    m_titleReads[list].clear();
}

void LoansWindow::fillTapeHistory()
{
    m_tapeHistory->clear();
    const QString tape = m_tapeChoice->currentText();
    if (tape.isEmpty())
        return;
    try {
        for (const Loan& loan : m_commands.store().historyOfTape(tape)) {
            new QTreeWidgetItem(m_tapeHistory, {loan.borrower, LoanText::date(loan.lent), LoanText::date(loan.due),
                                                loan.isCurrent() ? QStringLiteral("out now") : LoanText::date(loan.returned),
                                                loan.note});
        }
    } catch (const catalog::EngineError&) {
    }
    for (int c = 0; c < 4; ++c)
        m_tapeHistory->resizeColumnToContents(c);
}

void LoansWindow::fillBorrowerHistory()
{
    stopReadingTitles(m_borrowerHistory);
    m_borrowerHistory->clear();
    const QString borrower = m_borrowerChoice->currentText();
    if (borrower.isEmpty())
        return;
    try {
        const LoanStore store = m_commands.store();
        const std::vector<Loan> loans = store.historyOfBorrower(borrower);
        QStringList catalogs;
        for (const Loan& loan : loans) {
            auto* item = new QTreeWidgetItem(
                m_borrowerHistory,
                {loan.catalog, LoanText::date(loan.lent), LoanText::date(loan.due),
                 loan.isCurrent() ? QStringLiteral("out now") : LoanText::date(loan.returned), Pending});
            item->setData(MoviesColumn, TitlesPending, true);
            if (!catalogs.contains(loan.catalog))
                catalogs << loan.catalog;
        }
        readTitles(m_borrowerHistory, 0, catalogs);
    } catch (const catalog::EngineError&) {
    }
    for (int c = 0; c < 4; ++c)
        m_borrowerHistory->resizeColumnToContents(c);
}

void LoansWindow::showTape(const QString& catalog)
{
    refresh();
    fillChoices();
    m_tapeChoice->setCurrentIndex(static_cast<PagedChoices*>(m_tapeChoice->model())->include(catalog));
    m_tabs->setCurrentIndex(1);
}

void LoansWindow::showBorrower(const QString& borrower)
{
    refresh();
    fillChoices();
    m_borrowerChoice->setCurrentIndex(static_cast<PagedChoices*>(m_borrowerChoice->model())->include(borrower));
    m_tabs->setCurrentIndex(2);
}

void LoansWindow::returnSelected()
{
    const QTreeWidgetItem* item = m_current->currentItem();
    if (!item || item->text(0).isEmpty())
        return;
    m_commands.giveBack(item->text(0));
}

void LoansWindow::updateButtons()
{
    const QTreeWidgetItem* item = m_current->currentItem();
    m_return->setEnabled(item && !item->text(0).isEmpty());
}

} // namespace quelto::loans
