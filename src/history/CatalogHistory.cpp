#include "history/CatalogHistory.h"

#include "catalog/EngineError.h"

namespace quelto::history {

void CatalogHistory::changed() const
{
    if (m_listener)
        m_listener();
}

void CatalogHistory::add(std::unique_ptr<CatalogChange> change)
{
    m_undone.clear();
    m_done.push_back(std::move(change));
    if (m_done.size() > MaxSteps)
        m_done.erase(m_done.begin());
    changed();
}

void CatalogHistory::clear()
{
    m_done.clear();
    m_undone.clear();
    changed();
}

QString CatalogHistory::undoName() const { return m_done.empty() ? QString() : m_done.back()->name(); }

QString CatalogHistory::redoName() const { return m_undone.empty() ? QString() : m_undone.back()->name(); }

const CatalogChange& CatalogHistory::undo(catalog::SqliteConnection& connection, bool force)
{
    if (m_done.empty())
        throw catalog::EngineError(QStringLiteral("There is nothing to undo."));
    m_done.back()->undo(connection, force);
    std::unique_ptr<CatalogChange> change = std::move(m_done.back());
    m_done.pop_back();
    if (change->canRedo()) {
        m_undone.push_back(std::move(change));
        changed();
        return *m_undone.back();
    }
    // Nothing to redo it with, and nothing older can be redone past it.
    m_undone.clear();
    m_lastDropped = std::move(change);
    changed();
    return *m_lastDropped;
}

const CatalogChange& CatalogHistory::redo(catalog::SqliteConnection& connection, bool force)
{
    if (m_undone.empty())
        throw catalog::EngineError(QStringLiteral("There is nothing to redo."));
    m_undone.back()->redo(connection, force);
    m_done.push_back(std::move(m_undone.back()));
    m_undone.pop_back();
    changed();
    return *m_done.back();
}

} // namespace quelto::history
