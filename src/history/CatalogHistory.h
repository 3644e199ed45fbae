#pragma once

#include "history/CatalogChange.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace quelto::history {

// This run's changes of the open catalogue, for Undo and Redo: the newest
// change is undone first, and a new change drops what was undone.
class CatalogHistory
{
public:
    static constexpr size_t MaxSteps = 100;

    void add(std::unique_ptr<CatalogChange> change);
    void clear();

    bool canUndo() const { return !m_done.empty(); }
    bool canRedo() const { return !m_undone.empty(); }
    // The names of the changes Undo and Redo would take back or make again.
    QString undoName() const;
    QString redoName() const;

    // Undoes the newest change and returns it. A failure (an engine error,
    // kind Changed when another program's change is in the way) writes
    // nothing and leaves both lists as they were.
    const CatalogChange& undo(catalog::SqliteConnection& connection, bool force = false);
    const CatalogChange& redo(catalog::SqliteConnection& connection, bool force = false);

    // Told after every change of the lists.
    void setListener(std::function<void()> listener) { m_listener = std::move(listener); }

private:
    void changed() const;

    std::vector<std::unique_ptr<CatalogChange>> m_done;
    std::vector<std::unique_ptr<CatalogChange>> m_undone;
    std::function<void()> m_listener;
    std::unique_ptr<CatalogChange> m_lastDropped; // undone for good, until the next undo
};

} // namespace quelto::history
