#include "history/HistoryCommands.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "editing/OptionFields.h"
#include "editing/RecordDisplay.h"
#include "editing/RecordForm.h"
#include "editing/RecordPlacement.h"
#include "editing/UserPrompts.h"
#include "history/CatalogHistory.h"

#include <QAction>

namespace quelto::history {

using catalog::EngineError;

HistoryCommands::HistoryCommands(const editing::WindowParts& parts, history::CatalogHistory& history,
                                 std::function<bool()> mayReplaceRecord, QObject* parent)
    : QObject(parent), m_window(parts), m_mayReplaceRecord(std::move(mayReplaceRecord)), m_history(history)
{
    connect(parts.menuAction(QStringLiteral("mnUndo")), &QAction::triggered, this, &HistoryCommands::undo);
    connect(parts.menuAction(QStringLiteral("mnRedo")), &QAction::triggered, this, &HistoryCommands::redo);
    m_history.setListener([this] { showMenuState(); });
    showMenuState();
}

QString HistoryCommands::itemText(const QString& verb, const QString& name)
{
    QString shown = name;
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    return name.isEmpty() ? QLatin1Char('&') + verb : QLatin1Char('&') + verb + QLatin1Char(' ') + shown;
}

void HistoryCommands::showMenuState()
{
    QAction* undoItem = m_window.menuAction(QStringLiteral("mnUndo"));
    QAction* redoItem = m_window.menuAction(QStringLiteral("mnRedo"));
    undoItem->setText(itemText(QStringLiteral("Undo"), m_history.undoName()));
    undoItem->setEnabled(m_history.canUndo());
    redoItem->setText(itemText(QStringLiteral("Redo"), m_history.redoName()));
    redoItem->setEnabled(m_history.canRedo());
}

void HistoryCommands::undo()
{
    run(true);
}

void HistoryCommands::redo()
{
    run(false);
}

void HistoryCommands::run(bool undoing)
{
    if (undoing ? !m_history.canUndo() : !m_history.canRedo())
        return;
    // What is typed is saved or dropped first; a new record is finished first.
    if ((m_mayReplaceRecord && !m_mayReplaceRecord()))
        return;
    catalog::CatalogState& state = m_window.state;
    if (!state.database)
        return;
    catalog::SqliteConnection& connection = *state.database->connection();
    editing::UserPrompts& prompts = m_window.prompts;
    const QString& failure = undoing ? CannotUndo : CannotRedo;
    bool force = false;
    for (;;) {
        try {
            const history::CatalogChange& change =
                undoing ? m_history.undo(connection, force) : m_history.redo(connection, force);
            showAfter(change, undoing);
            return;
        } catch (const EngineError& error) {
            if (error.kind() != EngineError::Kind::Changed || force) {
                prompts.exclamation(failure.arg(error.message()));
                return;
            }
            const QString question =
                error.message() + (undoing
                                       ? QStringLiteral("\n\nUndo all the same? That change is then lost.")
                                       : QStringLiteral("\n\nRedo all the same? That change is then lost."));
            if (prompts.choose(question, {undoing ? UndoAnyway : RedoAnyway, QStringLiteral("&Cancel")}) != 0)
                return;
            force = true;
        }
    }
}

bool HistoryCommands::placeOnly(const history::CatalogChange& change)
{
    // One record added, removed or changed, and nothing else changed in the
    // file: the set takes it in or out at its place in the order, without
    // running its query again (a pass over a million records).
    catalog::CatalogState& state = m_window.state;
    catalog::RecordSet& set = *state.current;
    const qint64 key = change.record();
    if (key == 0 || !set.isOpen() || !set.isUpdatable() ||
        set.table().compare(QLatin1String("archive"), Qt::CaseInsensitive) != 0 || set.changedElsewhere())
        return false;
    try {
        catalog::SqliteConnection& connection = *state.database->connection();
        auto stored = connection.prepare(QStringLiteral("select 1 from archive where rowid = ?"));
        stored->bindInt64(1, key);
        const bool exists = stored->step();
        stored.reset();
        if (exists)
            editing::RecordPlacement::place(set, connection, key);
        else
            set.dropRow(key);
        return true;
    } catch (const EngineError&) {
        return false; // the query again
    }
}

void HistoryCommands::showAfter(const history::CatalogChange& change, bool undone)
{
    catalog::CatalogState& state = m_window.state;
    editing::RecordDisplay& display = m_window.display;
    if (!change.optionList().isEmpty()) {
        // Every drop-down of the list offers its entries as they are now.
        try {
            catalog::RecordSet& list = state.optionSet(change.optionList());
            list.requery();
            editing::OptionFields::fill(list, m_window.form.boxesFor(change.optionList()));
        } catch (const EngineError& error) {
            m_window.prompts.exclamation(error.message());
        }
        return;
    }
    catalog::RecordSet& set = *state.current;
    if (placeOnly(change)) {
        if (set.bof() && set.eof())
            display.clearFields();
        else
            display.recordToForm();
        display.showRecordCount();
        return;
    }
    const qint64 shown = set.hasCurrentRow() ? set.bookmark() : 0;
    const qint64 changed = undone ? change.recordAfterUndo() : change.recordAfterRedo();
    try {
        set.requery(); // the search and order in force stay
        bool placed = false;
        for (qint64 key : {changed, shown}) {
            if (placed || key == 0)
                continue;
            try {
                set.setBookmark(key);
                placed = true;
            } catch (const EngineError&) {
                // Not in the set: the search in force leaves it out, or it is gone.
            }
        }
    } catch (const EngineError& error) {
        m_window.prompts.exclamation(error.message());
    }
    if (set.bof() && set.eof())
        display.clearFields();
    else
        display.recordToForm();
    display.showRecordCount();
}

} // namespace quelto::history
