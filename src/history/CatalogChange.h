#pragma once

#include <QString>
#include <functional>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::history {

// A change this run made to the catalogue, which can be taken back and made
// again. Undo and redo each write in one transaction, through the
// connection's write checks (a read-only or damaged file refuses them, and
// nothing is written then). Unless forced, they first make sure the file
// still holds what the change left (undo) or found (redo); when another
// window or program has changed it meanwhile they throw an EngineError of
// kind Changed that says what, and write nothing.
class CatalogChange
{
public:
    virtual ~CatalogChange();

    // What the change was, as the Edit menu names it after "Undo " or
    // "Redo ": Delete "Casablanca (1942)".
    virtual QString name() const = 0;
    virtual void undo(catalog::SqliteConnection& connection, bool force) = 0;
    virtual void redo(catalog::SqliteConnection& connection, bool force) = 0;

    // The record to show once the change was undone or redone; 0 for none.
    virtual qint64 recordAfterUndo() const { return 0; }
    virtual qint64 recordAfterRedo() const { return 0; }
    // The one record the change added, removed or changed; 0 for a change
    // of many records or of an option list.
    virtual qint64 record() const { return 0; }
    // The option list it changed; empty for a change of records.
    virtual QString optionList() const { return {}; }
    // False when an undone change keeps nothing to redo it with.
    virtual bool canRedo() const { return true; }

protected:
    // Runs write inside a write transaction, committed when it returns.
    static void inWriteTransaction(catalog::SqliteConnection& connection, const std::function<void()>& write);
    // The error that stops an undo or redo because of another's change.
    [[noreturn]] static void changedSince(const QString& what);
};

} // namespace quelto::history
