#pragma once

#include <QString>

namespace quelto::catalog {
struct CatalogState;
} // namespace quelto::catalog
namespace quelto::history {
class CatalogHistory;
} // namespace quelto::history
namespace quelto::tasks {
class CommandRunner;
} // namespace quelto::tasks

namespace quelto::editing {

class RecordDisplay;
class RecordWriter;
class UserPrompts;

// What Delete does once it is confirmed: the current record goes whole, with
// its companions' rows, and is kept for Undo; then the record that followed
// it shows, or the new last one. When another program has changed the file
// meanwhile, the set's rows are found again first, on the command runner
// when there is one.
class RecordDeleter
{
public:
    static inline const QString ConfirmDelete = QStringLiteral("Are you sure that this entry is to be deleted ?");
    // The question naming the movie as it is stored: "Casablanca" (A1).
    static QString confirmDeleteOf(const QString& title, const QString& mediaId);
    static inline const QString CannotDelete = QStringLiteral("Cannot delete: %1");
    static inline const QString LastOfLentTape =
        QStringLiteral("This is the last record of the tape \"%1\", which is lent to %2.\n\nDeleting it also ends "
                       "the loan: it is marked as returned today. Delete the record?");

    RecordDeleter(catalog::CatalogState& state, RecordDisplay& display, UserPrompts& prompts, RecordWriter& writer);

    // Where deletes are kept for Undo.
    void setHistory(history::CatalogHistory* history) { m_history = history; }
    // Finds the rows again away from the window's thread.
    void setCommandRunner(tasks::CommandRunner* runner) { m_runner = runner; }

    // Deletes the current record, confirmed and prepared.
    void deleteShown();

private:
    // After a delete: the record that followed the deleted one, or the new last one.
    void showAfterDelete(int position);
    // The current set's rows found again on the runner (another program changed the file).
    void findRowsAgain();

    catalog::CatalogState& m_state;
    RecordDisplay& m_display;
    UserPrompts& m_prompts;
    RecordWriter& m_writer;
    history::CatalogHistory* m_history = nullptr;
    tasks::CommandRunner* m_runner = nullptr;
};

} // namespace quelto::editing
