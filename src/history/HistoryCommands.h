#pragma once

#include "editing/WindowParts.h"

#include <functional>

#include <QObject>
#include <QString>

namespace quelto::history {
class CatalogChange;
class CatalogHistory;
} // namespace quelto::history

namespace quelto::history {

// Edit > Undo and Redo (Ctrl+Z, Ctrl+Shift+Z) of this run's saves, new
// records, deletes, CSV imports and option-list edits, each named in the menu:
// Undo Delete "Casablanca (1942)". What is typed and not saved is settled
// first, as before any command that replaces the record on screen. A change
// another window or program made since is told, and undone over only when
// the user says so. The window then shows the record the step brought back or
// changed, in the search and order in force.
class HistoryCommands : public QObject
{
    Q_OBJECT
public:
    static inline const QString CannotUndo = QStringLiteral("Cannot undo: %1");
    static inline const QString CannotRedo = QStringLiteral("Cannot redo: %1");
    static inline const QString UndoAnyway = QStringLiteral("&Undo Anyway");
    static inline const QString RedoAnyway = QStringLiteral("&Redo Anyway");

    HistoryCommands(const editing::WindowParts& parts, history::CatalogHistory& history,
                    std::function<bool()> mayReplaceRecord, QObject* parent = nullptr);

    void undo(); // mnUndo
    void redo(); // mnRedo

    // "&Undo Delete "Casablanca (1942)"", with any "&" of the name kept as text.
    static QString itemText(const QString& verb, const QString& name);

private:
    void run(bool undoing);
    void showAfter(const history::CatalogChange& change, bool undone);
    // Puts the change's one record in or out of the set on show; false when
    // the set must run its query again.
    bool placeOnly(const history::CatalogChange& change);
    void showMenuState();

    editing::WindowParts m_window;
    std::function<bool()> m_mayReplaceRecord;
    history::CatalogHistory& m_history;
};

} // namespace quelto::history
