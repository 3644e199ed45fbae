#include "groups/GroupCommands.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "editing/UserPrompts.h"
#include "groups/GroupChangeLog.h"
#include "groups/GroupCounter.h"
#include "groups/GroupFilter.h"
#include "groups/GroupModel.h"
#include "groups/GroupPane.h"
#include "groups/MergeDialog.h"
#include "history/CatalogHistory.h"
#include "history/ValueRename.h"
#include "groups/RawQuery.h"
#include "groups/ReadWorker.h"
#include "loans/LoanStore.h"
#include "search/RecordListCommands.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTreeView>

namespace quelto::groups {

using catalog::EngineError;

namespace {

const QString FinishNewRecord = QStringLiteral("Please save or cancel the new record first.");

qint64 pragmaValue(catalog::SqliteConnection& connection, const char* name)
{
    RawQuery query(connection, QStringLiteral("pragma %1").arg(QLatin1String(name)));
    return query.step() ? query.integer(0) : -1;
}

} // namespace

GroupCommands::GroupCommands(catalog::CatalogState& state, search::RecordListCommands& list,
                             editing::UserPrompts& prompts, GroupPane& pane, QObject* parent)
    : QObject(parent), m_state(state), m_list(list), m_prompts(prompts), m_pane(pane),
      m_worker(std::make_unique<ReadWorker>()), m_field(&GroupField::defaultField())
{
    m_pane.fieldBox()->setCurrentIndex(m_pane.fieldBox()->findData(m_field->id));
    connect(m_pane.fieldBox(), &QComboBox::currentIndexChanged, this,
            [this](int index) { setField(m_pane.fieldBox()->itemData(index).toString()); });
    connect(m_pane.orderBox(), &QComboBox::currentIndexChanged, this, [this](int index) {
        setOrder(index == 1 ? GroupCounts::Order::ByCount : GroupCounts::Order::ByName);
    });
    connect(m_pane.groupList()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_selecting && current.isValid())
                    choose(current.row());
            });
    connect(&m_pane, &GroupPane::shown, this, &GroupCommands::sync);
    connect(&m_pane, &GroupPane::mergeRequested, this, &GroupCommands::mergeGroup);
    connect(&m_list, &search::RecordListCommands::restrictionDropped, this, &GroupCommands::dropChoice);
}

GroupCommands::~GroupCommands() = default;

void GroupCommands::setField(const QString& id)
{
    const GroupField* field = GroupField::byId(id);
    if (!field || field == m_field)
        return;
    m_field = field;
    const QSignalBlocker block(m_pane.fieldBox());
    m_pane.fieldBox()->setCurrentIndex(m_pane.fieldBox()->findData(id));
    m_stale = true;
    m_pane.model().clear();
    emit fieldChanged(id);
    sync();
}

void GroupCommands::setOrder(GroupCounts::Order order)
{
    if (order == m_order)
        return;
    m_order = order;
    const QSignalBlocker block(m_pane.orderBox());
    m_pane.orderBox()->setCurrentIndex(order == GroupCounts::Order::ByCount ? 1 : 0);
    emit orderChanged(order);
    if (!m_counting && !m_stale)
        show();
}

void GroupCommands::sync()
{
    if (!m_state.database) {
        m_pane.model().clear();
        m_stale = true;
        return;
    }
    try {
        catalog::SqliteConnection& connection = *m_state.database->connection();
        if (&connection != m_connection || connection.generation() != m_generation ||
            pragmaValue(connection, "schema_version") != m_schemaVersion ||
            pragmaValue(connection, "data_version") != m_dataVersion) {
            m_stale = true; // another file, a new column, or another program's writes
        } else if (connection.totalChanges() != m_totalChanges && !m_counting && !m_stale) {
            m_stale = !applyLog(connection);
        }
    } catch (const EngineError&) {
        m_stale = true;
    }
    if (m_stale && m_pane.isVisible())
        recount();
}

bool GroupCommands::applyLog(catalog::SqliteConnection& connection)
{
    const std::optional<std::vector<GroupChangeLog::Change>> changes = GroupChangeLog::take(connection);
    m_totalChanges = connection.totalChanges();
    if (!changes || !m_keying)
        return false;
    if (changes->empty())
        return true;
    std::vector<Group> groups;
    for (const GroupChangeLog::Change& change : *changes) {
        for (const GroupChangeLog::Value* value : {&change.before, &change.after}) {
            if (!value->present)
                continue;
            groups.clear();
            m_keying->groupsOf({value->text.constData(), size_t(value->text.size())}, value->isNull, groups);
            for (const Group& group : groups)
                m_counts.add(group, value == &change.before ? -1 : 1);
        }
        if (!change.before.present)
            m_counts.addRecords(1);
        if (!change.after.present)
            m_counts.addRecords(-1);
    }
    show();
    return true;
}

void GroupCommands::recount()
{
    if (!m_state.database)
        return;
    catalog::SqliteConnection& connection = *m_state.database->connection();
    const GroupField* field = m_field;
    try {
        GroupChangeLog::install(connection, *field,
                                RawQuery::tableColumns(connection, QStringLiteral("archive")));
        m_connection = &connection;
        m_generation = connection.generation();
        m_schemaVersion = pragmaValue(connection, "schema_version");
        m_dataVersion = pragmaValue(connection, "data_version");
    } catch (const EngineError& error) {
        m_pane.statusLabel()->setText(error.message());
        return;
    }
    const qint64 changesAtRequest = connection.totalChanges();
    m_totalChanges = changesAtRequest;
    m_stale = false;
    m_counting = true;
    m_pane.statusLabel()->setText(QStringLiteral("Counting\u2026"));
    auto counts = std::make_shared<GroupCounts>();
    auto borrowers = std::make_shared<QHash<QByteArray, QString>>();
    m_worker->run(
        m_state.database->path(),
        [field, counts, borrowers](catalog::SqliteConnection& reader) {
            *counts = GroupCounter::count(reader, *field);
            if (field->kind == GroupField::Kind::Borrower)
                *borrowers = GroupCounter::currentBorrowers(reader);
        },
        [this, field, counts, borrowers, changesAtRequest, &connection] {
            m_counting = false;
            if (field != m_field || !m_state.database || m_state.database->connection().get() != &connection)
                return; // a newer request follows
            if (connection.totalChanges() != changesAtRequest) {
                recount(); // changed while counting: the log and the count may overlap
                return;
            }
            m_counts = std::move(*counts);
            m_keying = std::make_unique<GroupKeying>(*field, std::move(*borrowers));
            ++m_fullCounts;
            show();
        },
        [this](const QString& message) {
            m_counting = false;
            m_stale = true;
            m_pane.statusLabel()->setText(QStringLiteral("The groups could not be counted: %1").arg(message));
        });
}

void GroupCommands::show()
{
    m_pane.model().setCounts(m_counts, m_order);
    const int groups = m_counts.groupCount();
    m_pane.statusLabel()->setText(groups == 1 ? QStringLiteral("1 group")
                                              : QStringLiteral("%1 groups").arg(groups));
    selectChosen();
    emit countsShown();
}

void GroupCommands::selectChosen()
{
    m_selecting = true;
    QTreeView* view = m_pane.groupList();
    const int row = !m_hasChoice ? -1 : m_chosenField != m_field->id ? -1 : m_pane.model().rowOf(m_chosenKey);
    if (row < 0) {
        view->selectionModel()->clear();
    } else {
        const QModelIndex index = m_pane.model().index(row, 0);
        view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
        view->scrollTo(index);
    }
    m_selecting = false;
}

void GroupCommands::dropChoice()
{
    m_hasChoice = false;
    m_chosenKey.clear();
    selectChosen();
}

void GroupCommands::choose(int row)
{
    if (m_state.newRecordMode) {
        m_prompts.exclamation(FinishNewRecord);
        selectChosen();
        return;
    }
    if (!m_state.database)
        return;
    const std::optional<Group> group = m_pane.model().groupAt(row);
    if (!group) {
        m_hasChoice = false;
        m_list.clearRestriction();
        return;
    }
    try {
        const QStringList columns =
            RawQuery::tableColumns(*m_state.database->connection(), QStringLiteral("archive"));
        bool present = true;
        for (const QString& column : m_field->columns())
            present = present && columns.contains(column);
        const QString condition = GroupFilter::condition(*m_field, *group, present,
                                                         m_state.database->hasTable(loans::LoanStore::Table));
        m_hasChoice = true;
        m_chosenKey = group->key;
        m_chosenField = m_field->id;
        m_list.setRestriction(GroupFilter::restriction(condition), GroupFilter::label(*m_field, *group));
    } catch (const EngineError& error) {
        m_prompts.exclamation(error.message());
    }
}

void GroupCommands::setHistory(history::CatalogHistory* history, std::function<bool()> mayReplaceRecord,
                               std::function<void()> afterMerge)
{
    m_history = history;
    m_mayReplaceRecord = std::move(mayReplaceRecord);
    m_afterMerge = std::move(afterMerge);
}

void GroupCommands::mergeGroup(int row)
{
    const std::optional<Group> group = m_pane.model().groupAt(row);
    if (!group || group->isNone() || !m_state.database)
        return;
    // Values as stored, of the movie and its medium; a media ID or a personal
    // field is not renamed for all records at once.
    const bool mergeable = m_field->kind == GroupField::Kind::Cast ||
                           (m_field->kind == GroupField::Kind::Text &&
                            (m_field->column.startsWith(QLatin1String("mv_")) ||
                             m_field->column.startsWith(QLatin1String("md_"))));
    if (!mergeable) {
        m_prompts.exclamation(QStringLiteral("The groups of %1 cannot be merged.").arg(m_field->caption));
        return;
    }
    if (m_state.newRecordMode) {
        m_prompts.exclamation(FinishNewRecord);
        return;
    }
    QStringList others;
    for (const Group& other : m_counts.sorted(GroupCounts::Order::ByName)) {
        if (!other.isNone() && other.key != group->key)
            others << other.label;
    }
    MergeDialog dialog(group->label, others, m_pane.window());
    m_prompts.showModal(dialog);
    const QString into = dialog.value();
    if (dialog.result() != QDialog::Accepted || into.isEmpty())
        return;
    if (m_mayReplaceRecord && !m_mayReplaceRecord())
        return;
    catalog::SqliteConnection& connection = *m_state.database->connection();
    try {
        const QStringList columns = m_field->columns();
        const int records = history::ValueRename::recordsHolding(connection, columns, group->value);
        if (records == 0) {
            m_prompts.exclamation(QStringLiteral("No record holds \"%1\" any more.").arg(group->value));
            recount();
            return;
        }
        const QString question = records == 1
                                     ? QStringLiteral("Merge \"%1\" into \"%2\" in 1 record?")
                                     : QStringLiteral("Merge \"%1\" into \"%2\" in %3 records?");
        if (!m_prompts.confirm(records == 1 ? question.arg(group->value, into)
                                            : question.arg(group->value, into).arg(records)))
            return;
        auto change = std::make_unique<history::ValueRename>(columns, group->value, into);
        change->apply(connection);
        if (m_history)
            m_history->add(std::move(change));
    } catch (const EngineError& error) {
        m_prompts.exclamation(QStringLiteral("The groups were not merged: %1").arg(error.message()));
        return;
    }
    if (m_hasChoice && m_chosenKey == group->key)
        m_list.clearRestriction();
    if (m_afterMerge)
        m_afterMerge();
    recount();
}

} // namespace quelto::groups
