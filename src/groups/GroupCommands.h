#pragma once

#include "groups/GroupCounts.h"
#include "groups/GroupField.h"
#include "groups/GroupKeying.h"

#include <QByteArray>
#include <QObject>
#include <functional>
#include <memory>

namespace quelto::catalog {
struct CatalogState;
class SqliteConnection;
} // namespace quelto::catalog
namespace quelto::editing {
class UserPrompts;
}
namespace quelto::search {
class RecordListCommands;
}
namespace quelto::history {
class CatalogHistory;
}

namespace quelto::groups {

class GroupPane;
class ReadWorker;

// What the group pane does: counts the records by the chosen field on a
// worker thread, keeps the counts in step with saves and deletes through the
// change log (a full count only when many rows changed, the schema changed or
// another program wrote to the file), and filters the record list by the
// group chosen, together with the filter field's text.
class GroupCommands : public QObject
{
    Q_OBJECT
public:
    GroupCommands(catalog::CatalogState& state, search::RecordListCommands& list, editing::UserPrompts& prompts,
                  GroupPane& pane, QObject* parent = nullptr);
    ~GroupCommands() override;

    const GroupField& field() const { return *m_field; }
    void setField(const QString& id);
    void setOrder(GroupCounts::Order order);
    GroupCounts::Order order() const { return m_order; }

    // Brings the counts in line with the catalogue; called after every command.
    void sync();
    // Counts afresh (on the worker; the pane says so meanwhile).
    void recount();
    // Makes a row of the pane the filter of the list ("All records": none).
    void choose(int row);

    // "Merge into...": asks for the value the group's records get instead of
    // theirs, says how many records change and asks to go on, then renames
    // the value in every record of the catalogue as one step of the history.
    void mergeGroup(int row);
    // Where merges are kept for Undo, and the question before the record on
    // show is replaced (typed changes saved or dropped).
    // afterMerge shows the catalogue as the merge left it.
    void setHistory(history::CatalogHistory* history, std::function<bool()> mayReplaceRecord,
                    std::function<void()> afterMerge);

    const GroupCounts& counts() const { return m_counts; }
    bool isCounting() const { return m_counting; }
    // Full counts made so far (the rest followed the change log).
    int fullCounts() const { return m_fullCounts; }

signals:
    void fieldChanged(const QString& id);
    void orderChanged(GroupCounts::Order order);
    // New counts are on show.
    void countsShown();

private:
    void show();
    void selectChosen();
    bool applyLog(catalog::SqliteConnection& connection);
    void dropChoice();

    catalog::CatalogState& m_state;
    search::RecordListCommands& m_list;
    editing::UserPrompts& m_prompts;
    history::CatalogHistory* m_history = nullptr;
    std::function<bool()> m_mayReplaceRecord;
    std::function<void()> m_afterMerge;
    GroupPane& m_pane;
    std::unique_ptr<ReadWorker> m_worker;
    const GroupField* m_field;
    GroupCounts::Order m_order = GroupCounts::Order::ByName;
    GroupCounts m_counts;
    std::unique_ptr<GroupKeying> m_keying;

    // What the counts were made from.
    const catalog::SqliteConnection* m_connection = nullptr;
    int m_generation = -1;
    qint64 m_schemaVersion = -1;
    qint64 m_dataVersion = -1;
    qint64 m_totalChanges = -1;
    bool m_stale = true;
    bool m_counting = false;
    int m_fullCounts = 0;

    QByteArray m_chosenKey; // the group in force, of m_chosenField
    QString m_chosenField;
    bool m_hasChoice = false;
    bool m_selecting = false;
};

} // namespace quelto::groups
