#include "search/RecordListCommands.h"

#include "catalog/ArchiveKeys.h"
#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/KeyQueryRunner.h"
#include "catalog/SqliteConnection.h"
#include "editing/RecordDisplay.h"
#include "editing/UserPrompts.h"
#include "search/QuickFilter.h"
#include "search/RecordListModel.h"
#include "search/RecordListPane.h"
#include "search/SearchCommands.h"
#include "search/SearchQuery.h"
#include "search/SortOrder.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QTableView>
#include <QTimer>
#include <QWidget>

namespace quelto::search {

using catalog::EngineError;

RecordListCommands::RecordListCommands(catalog::CatalogState& state, editing::RecordDisplay& display,
                                       SearchCommands& search, editing::UserPrompts& prompts, RecordListPane& pane,
                                       QWidget* window)
    : QObject(window),
      m_state(state),
      m_display(display),
      m_search(search),
      m_prompts(prompts),
      m_pane(pane),
      m_window(window),
      m_model(new RecordListModel(state, this))
{
    QTableView* table = pane.table();
    table->setModel(m_model);
    pane.showDefaultColumns(RecordListModel::DefaultColumnCount);
    pane.setStretchColumn(RecordListModel::columnOf(QStringLiteral("title")));
    table->horizontalHeader()->setSectionHidden(RecordListModel::columnOf(QStringLiteral("quelto_loan")), false);
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_following && current.isValid())
                    chooseRow(current.row());
            });
    connect(table, &QTableView::activated, this, [this](const QModelIndex& index) {
        if (!index.isValid())
            return;
        chooseRow(index.row());
        if (m_model->currentRow() == index.row())
            emit rowOpened();
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        selectCurrentRow();
        showSortIndicator();
    });
    connect(table->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section >= 0 && section < int(RecordListModel::columns().size()) &&
            !RecordListModel::columns()[size_t(section)].isWorkedOut())
            sortByColumn(RecordListModel::columns()[size_t(section)].name);
        else
            showSortIndicator();
    });

    m_filterDelay = new QTimer(this);
    m_filterDelay->setSingleShot(true);
    m_filterDelay->setInterval(FilterDelayMs);
    connect(m_filterDelay, &QTimer::timeout, this, &RecordListCommands::runFilter);
    connect(pane.filterField(), &QLineEdit::textEdited, m_filterDelay, qOverload<>(&QTimer::start));
    // The clear button empties the field without an edit signal of its own.
    connect(pane.filterField(), &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty() && !m_following)
            m_filterDelay->start();
    });

    display.addShownListener([this] { follow(); });
}

RecordListCommands::~RecordListCommands() = default;

void RecordListCommands::follow()
{
    m_following = true;
    if (!m_model->refresh())
        selectCurrentRow();
    QLineEdit* field = m_pane.filterField();
    field->setEnabled(!m_state.newRecordMode);
    if (!quickFilterInForce() && !m_filterDelay->isActive() && m_awaitedTicket == 0) {
        // Another search or "All Data" has replaced the field's filter.
        if (!field->text().isEmpty())
            field->clear();
        if (hasRestriction()) {
            m_restriction.clear();
            m_restrictionLabel.clear();
            emit restrictionDropped();
        }
    }
    showSortIndicator();
    m_following = false;
}

void RecordListCommands::selectCurrentRow()
{
    const bool wasFollowing = m_following;
    m_following = true;
    QTableView* table = m_pane.table();
    const int row = m_model->currentRow();
    if (row < 0 || m_state.newRecordMode) {
        table->selectionModel()->clear();
    } else {
        // The selection's current cell in the first column on show.
        const QHeaderView* header = table->horizontalHeader();
        int column = 0;
        for (int visual = 0; visual < header->count(); ++visual) {
            if (!header->isSectionHidden(header->logicalIndex(visual))) {
                column = header->logicalIndex(visual);
                break;
            }
        }
        const QModelIndex index = m_model->index(row, column);
        table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
        table->scrollTo(index);
    }
    m_following = wasFollowing;
}

void RecordListCommands::keepSelectionOnShownRecord()
{
    selectCurrentRow();
    // A click selects its row after the press has been handled, that is after
    // the question was answered: the shown record's row is marked again then.
    QTimer::singleShot(0, this, [this] { selectCurrentRow(); });
}

void RecordListCommands::chooseRow(int row)
{
    if (row == m_model->currentRow() && !m_state.newRecordMode)
        return;
    if (!m_display.settleUnsavedChanges()) {
        keepSelectionOnShownRecord();
        return;
    }
    if (m_state.newRecordMode) {
        m_prompts.exclamation(SearchCommands::FinishNewRecord);
        keepSelectionOnShownRecord();
        return;
    }
    catalog::RecordSet* set = m_state.current.get();
    if (!set || row < 0 || row >= set->recordCount() || row == m_model->currentRow())
        return;
    try {
        set->moveFirst();
        if (row > 0)
            set->move(row);
    } catch (const EngineError& error) {
        m_prompts.exclamation(error.message());
    }
    m_display.recordToForm();
}

void RecordListCommands::sortByColumn(const QString& column)
{
    try {
        // The cover is no order; a personal column the file lacks yet is
        // empty everywhere, so the records keep the order in force.
        if (column == RecordListModel::CoverColumn || !m_model->hasColumn(column)) {
            showSortIndicator();
            return;
        }
        // One of the Sort menu's orders when it starts with the column, else by the column.
        const int index = RecordListModel::columnOf(column);
        SortOrder order{QString(), index >= 0 ? RecordListModel::columns()[size_t(index)].caption : column,
                        QStringLiteral("order by ") + column};
        for (const SortOrder& menuOrder : SortOrder::all()) {
            if (SortOrder::firstColumn(menuOrder.clause).compare(column, Qt::CaseInsensitive) == 0) {
                order = menuOrder;
                break;
            }
        }
        // A second click on the column in force reverses its order.
        const QString inForce = m_state.orderClause;
        if (SortOrder::ascending(inForce).compare(order.clause, Qt::CaseInsensitive) == 0 &&
            !SortOrder::isDescending(inForce))
            order.clause = SortOrder::reversed(order.clause);
        m_search.sortBy(order);
    } catch (const EngineError& error) {
        m_prompts.exclamation(error.message());
    }
    showSortIndicator();
}

void RecordListCommands::showSortIndicator()
{
    // The arrow shows the order in force, whoever set it.
    QHeaderView* header = m_pane.table()->horizontalHeader();
    const int section = RecordListModel::columnOf(SortOrder::firstColumn(m_state.orderClause));
    header->setSortIndicator(section,
                             SortOrder::isDescending(m_state.orderClause) ? Qt::DescendingOrder : Qt::AscendingOrder);
}

bool RecordListCommands::quickFilterInForce() const
{
    return m_state.filterActive && !m_appliedClause.isEmpty() && m_state.filterClause == m_appliedClause;
}

void RecordListCommands::setRestriction(const QString& condition, const QString& label)
{
    m_restriction = condition;
    m_restrictionLabel = label;
    runFilter();
}

void RecordListCommands::clearRestriction()
{
    if (!hasRestriction())
        return;
    m_restriction.clear();
    m_restrictionLabel.clear();
    runFilter();
}

QString RecordListCommands::filterClause(const QString& text) const
{
    // The notes and location only where the file has them.
    const QStringList columns = catalog::ArchiveKeys::searchedColumns(*m_state.database->connection());
    if (!hasRestriction())
        return QuickFilter::clause(text, columns);
    if (text.isEmpty())
        return QStringLiteral("where (%1) ").arg(m_restriction);
    return QStringLiteral("where (%1) and (%2) ").arg(m_restriction, QuickFilter::condition(text, columns));
}

void RecordListCommands::runFilter()
{
    m_filterDelay->stop();
    if (!m_state.database || !m_state.current)
        return;
    const QString text = m_pane.filterField()->text();
    // The field emptied shows all records again. They are found like a
    // filter's (off the window's thread, typing never held up), so that
    // what is typed meanwhile is neither lost nor overtaken.
    const bool showingAll = text.isEmpty() && !hasRestriction();
    if (showingAll && (!m_state.filterActive || m_state.newRecordMode)) {
        if (m_runner)
            m_runner->cancel();
        m_awaitedTicket = 0;
        m_appliedClause.clear();
        emit filterShown();
        return;
    }
    if (m_state.newRecordMode)
        return;
    if (!m_display.settleUnsavedChanges()) {
        // The record on screen stays, and so does the filter in force.
        m_following = true;
        m_pane.filterField()->setText(quickFilterInForce() ? m_appliedText : QString());
        m_following = false;
        return;
    }
    try {
        catalog::Database& db = *m_state.database;
        const QString clause = showingAll ? QString() : filterClause(text);
        const QString sql = SearchQuery::sortQuery(clause, m_state.orderClause);
        const QString translated = db.translate(sql);
        if (!m_runner || m_runnerPath != db.path()) {
            m_runner = std::make_unique<catalog::KeyQueryRunner>(db.path());
            m_runnerPath = db.path();
            connect(m_runner.get(), &catalog::KeyQueryRunner::answered, this,
                    &RecordListCommands::applyFilterAnswer);
            connect(m_runner.get(), &catalog::KeyQueryRunner::failed, this,
                    [this](quint64 ticket, const QString& message) {
                        if (ticket != m_awaitedTicket)
                            return;
                        m_awaitedTicket = 0;
                        m_prompts.exclamation(message);
                    });
        }
        if (m_hookedConnection != db.connection().get()) {
            // The filter's reading gives way to the window's own writes.
            m_hookedConnection = db.connection().get();
            QPointer<catalog::KeyQueryRunner> runner = m_runner.get();
            db.connection()->addBeforeWrite([runner] {
                if (runner)
                    runner->yieldToWriter();
            });
        }
        m_requestText = text;
        m_requestLabel = m_restrictionLabel;
        m_requestClause = clause;
        m_requestSql = sql;
        m_changesAtRequest = db.connection()->totalChanges();
        m_awaitedTicket = m_runner->request(translated);
    } catch (const EngineError& error) {
        m_prompts.exclamation(error.message());
    }
}

void RecordListCommands::applyFilterAnswer(quint64 ticket, std::vector<qint64>& keys)
{
    if (ticket != m_awaitedTicket || !m_runner || ticket != m_runner->latestTicket())
        return;
    m_awaitedTicket = 0;
    if (m_state.newRecordMode || !m_state.database || m_filterDelay->isActive() ||
        m_pane.filterField()->text() != m_requestText)
        return; // the user has moved on; a newer request follows
    catalog::Database& db = *m_state.database;
    if (db.connection()->totalChanges() != m_changesAtRequest) {
        runFilter(); // the catalogue changed meanwhile: ask again
        return;
    }
    if (!m_display.settleUnsavedChanges())
        return;
    if (m_requestClause.isEmpty()) {
        try {
            m_appliedClause.clear();
            m_search.showAll(db.openRecordSet(m_requestSql, std::move(keys)));
        } catch (const EngineError& error) {
            m_prompts.exclamation(error.message());
        }
        emit filterShown();
        return;
    }
    try {
        if (m_state.current)
            m_state.current->close();
        m_state.current = db.openRecordSet(m_requestSql, std::move(keys));
        m_state.filterClause = m_requestClause;
        m_appliedClause = m_requestClause;
        m_appliedText = m_requestText;
        m_state.filterActive = true;
        const int count = m_state.current->recordCount();
        if (m_requestLabel.isEmpty())
            m_state.filterDescription = QuickFilter::description(m_requestText, count);
        else if (m_requestText.isEmpty())
            m_state.filterDescription = SearchQuery::description(m_requestLabel, QString(), count);
        else
            m_state.filterDescription =
                m_requestLabel + QStringLiteral(", ") + QuickFilter::description(m_requestText, count);
        m_display.showFilterState();
        if (m_state.current->bof() && m_state.current->eof())
            m_display.clearFields(); // nothing found: no record's values stay on show
    } catch (const EngineError& error) {
        m_prompts.exclamation(error.message());
    }
    emit filterShown();
}

} // namespace quelto::search
