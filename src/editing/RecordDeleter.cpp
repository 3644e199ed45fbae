#include "editing/RecordDeleter.h"

#include "catalog/BackgroundQuery.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "history/CatalogHistory.h"
#include "history/RecordDeletion.h"
#include "editing/RecordDisplay.h"
#include "editing/RecordWriter.h"
#include "editing/UserPrompts.h"
#include "loans/LoanStore.h"
#include "tasks/CommandRunner.h"

namespace quelto::editing {

using catalog::EngineError;
using catalog::RecordSet;

RecordDeleter::RecordDeleter(catalog::CatalogState& state, RecordDisplay& display, UserPrompts& prompts,
                             RecordWriter& writer)
    : m_state(state), m_display(display), m_prompts(prompts), m_writer(writer)
{
}

QString RecordDeleter::confirmDeleteOf(const QString& title, const QString& mediaId)
{
    const QString name = title.trimmed().isEmpty() ? QStringLiteral("(no title)") : QStringLiteral("\"%1\"").arg(title.trimmed());
    const QString id = mediaId.trimmed();
    return ConfirmDelete + QStringLiteral("\n\n") + (id.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, id));
}

void RecordDeleter::deleteShown()
{
    RecordSet& set = *m_state.current;
    if (!set.hasCurrentRow()) {
        m_display.recordToForm();
        m_display.showRecordCount();
        return;
    }
    {
        const int position = set.absolutePosition();
        const qint64 key = set.bookmark();
        try {
            // A loan is not left without its tape: asked about, and ended with the tape's last record.
            std::optional<loans::Loan> loan;
            try {
                loan = loans::LoanStore(*m_state.database).loanOfLastRecord(key);
            } catch (const EngineError&) {
                // Unreadable loans: the delete itself tells what is wrong.
            }
            if (loan && !m_prompts.confirm(LastOfLentTape.arg(loan->catalog, loan->borrower)))
                return;
            const auto endLoan = [&loan](catalog::SqliteConnection& connection) {
                if (loan)
                    loans::LoanStore::closeKept(connection, loan->id, std::max(QDate::currentDate(), loan->lent));
            };
            // The record goes whole, with its companions' rows, and is kept so
            // that Undo brings it back with every column it had.
            history::RecordSnapshot deleted = m_writer.deleteCurrent(endLoan);
            if (m_history && deleted.isValid())
                m_history->add(std::make_unique<history::RecordDeletion>(std::move(deleted)));
        } catch (const EngineError& error) {
            m_prompts.exclamation(CannotDelete.arg(error.message()));
            // Nothing was deleted: the set shows the file as it is.
            try {
                set.requery();
                set.setBookmark(key);
            } catch (const EngineError&) {
            }
            m_display.showCurrent();
            return;
        }
        // The set without the row is what a requery would find, unless
        // another program has changed the file meanwhile.
        if (set.changedElsewhere()) {
            if (m_runner) {
                showAfterDelete(position);
                findRowsAgain();
                return;
            }
            set.requery(); // keeps the set's search and order
        }
        showAfterDelete(position);
    }
}

void RecordDeleter::findRowsAgain()
{
    // Away from the window's thread, with the set's search and order; the
    // record on show stays on show if the rows found still hold it.
    catalog::Database& db = *m_state.database;
    RecordSet& set = *m_state.current;
    const QString path = db.path();
    const QString sql = set.sql();
    const QString translated = db.translate(sql);
    const quint64 asked = set.generation();
    m_runner->run<std::vector<qint64>>(
        QObject::tr("Finding the records again..."),
        [path, translated](tasks::TaskControl& control) {
            return catalog::BackgroundQuery::keys(path, translated, control);
        },
        [this, asked, sql](std::vector<qint64>& keys) {
            if (!m_state.current || m_state.current->generation() != asked || !m_state.database ||
                m_state.newRecordMode)
                return; // the set has changed or been replaced meanwhile
            RecordSet& shown = *m_state.current;
            const qint64 key = shown.hasCurrentRow() ? shown.bookmark() : 0;
            const int position = shown.hasCurrentRow() ? shown.absolutePosition() : 0;
            try {
                std::unique_ptr<RecordSet> found = m_state.database->openRecordSet(sql, std::move(keys));
                shown.close();
                m_state.current = std::move(found);
                bool stillThere = false;
                try {
                    if (key != 0) {
                        m_state.current->setBookmark(key);
                        stillThere = true;
                    }
                } catch (const EngineError&) {
                    // deleted by the other program: the row in its place then
                }
                if (stillThere) {
                    m_display.recordToForm();
                    m_display.showRecordCount();
                } else {
                    showAfterDelete(position);
                }
            } catch (const EngineError& error) {
                m_prompts.exclamation(error.message());
            }
        },
        [this](const QString& failure) { m_prompts.exclamation(failure); });
}

void RecordDeleter::showAfterDelete(int position)
{
    RecordSet& set = *m_state.current;
    if (set.bof() && set.eof()) {
        m_display.clearFields();
        m_display.showRecordCount();
        return;
    }
    // The row that followed the deleted one, or the new last row.
    set.moveFirst();
    if (position > 0)
        set.move(position);
    if (set.eof())
        set.moveLast();
    m_display.recordToForm();
    m_display.showRecordCount();
}

} // namespace quelto::editing
