#include "editing/RecordWriter.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverStore.h"
#include "collection/RecordIdentity.h"
#include "editing/FormSection.h"
#include "editing/RecordDisplay.h"

namespace quelto::editing {

using catalog::EngineError;
using catalog::RecordSet;
using collection::CollectorSchema;
using collection::RecordIdentity;

RecordWriter::RecordWriter(catalog::CatalogState& state, RecordDisplay& display) : m_state(state), m_display(display)
{
}

QString RecordWriter::problem() const
{
    for (FormSection* section : m_display.sections()) {
        const QString problem = section->problem();
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

bool RecordWriter::needsOwnStorage() const
{
    for (const FormSection* section : m_display.sections()) {
        if (section->needsOwnStorage())
            return true;
    }
    return false;
}

void RecordWriter::storeNew() { store(true, false); }

void RecordWriter::storeCurrent(bool checkShown) { store(false, checkShown); }

void RecordWriter::store(bool asNew, bool checkShown)
{
    RecordSet& set = *m_state.current;
    catalog::Database& db = *m_state.database;
    catalog::SqliteConnection& connection = *db.connection();
    const bool own = needsOwnStorage();
    const int rowsBefore = set.recordCount();
    const qint64 current = set.hasCurrentRow() ? set.bookmark() : 0;
    bool schemaChanged = false;
    try {
        connection.beginWrite();
        catalog::WriteTransaction transaction(connection);
        if (own && CollectorSchema::ensure(db)) {
            schemaChanged = true;
            set.columnsChanged();
        }
        if (asNew)
            set.addNew();
        else
            set.edit();
        m_display.formToRecord();
        qint64 id = 0;
        if (set.hasField(CollectorSchema::IdColumn)) {
            id = set.value(CollectorSchema::IdColumn).toLongLong();
            // A row copied by another tool shares its original's identity:
            // it gets one of its own, and the cover it showed with it.
            const bool copy = !asNew && id > 0 && RecordIdentity::isCopy(connection, current, id);
            if (own && (id <= 0 || copy)) {
                const qint64 fresh = RecordIdentity::next(connection);
                if (copy) {
                    if (const auto cover = collection::CoverStore::load(connection, id))
                        collection::CoverStore::store(connection, fresh, *cover);
                }
                id = fresh;
                set.setValue(CollectorSchema::IdColumn, id);
            }
        }
        if (checkShown)
            set.expect(m_display.shownValues());
        set.update();
        for (FormSection* section : m_display.sections())
            section->stored(db, id);
        transaction.commit();
    } catch (const EngineError&) {
        if (set.isEditing())
            set.cancelUpdate();
        if (schemaChanged) {
            // Rolled back with the rest.
            db.schemaChanged();
            set.columnsChanged();
        }
        if (asNew && set.recordCount() != rowsBefore) {
            // The row the set took in was rolled back.
            set.requery();
            try {
                if (current)
                    set.setBookmark(current);
            } catch (const EngineError&) {
            }
        }
        set.reread();
        throw;
    }
}

collection::RecordExtras RecordWriter::deleteCurrent()
{
    RecordSet& set = *m_state.current;
    catalog::SqliteConnection& connection = *m_state.database->connection();
    connection.beginWrite();
    catalog::WriteTransaction transaction(connection);
    collection::RecordExtras extras;
    if (set.hasCurrentRow())
        extras = collection::RecordExtras::take(connection, set.bookmark());
    set.deleteRecord();
    transaction.commit();
    return extras;
}

} // namespace quelto::editing
