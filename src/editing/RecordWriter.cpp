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
#include "history/RecordCompanions.h"

namespace quelto::editing {

using catalog::EngineError;
using catalog::RecordSet;
using collection::CollectorSchema;
using collection::RecordIdentity;

RecordWriter::RecordWriter(catalog::CatalogState& state, RecordDisplay& display) : m_state(state), m_display(display)
{
    // A record's cover goes with it on a delete and comes back on its undo;
    // the tape's length stays with the tape, but a save's undo puts back the
    // length it changed.
    history::RecordCompanions::add(
        {CollectorSchema::CoversTable, QStringLiteral("record_id"), CollectorSchema::IdColumn});
    history::RecordCompanions::add(
        {CollectorSchema::TapesTable, QStringLiteral("catalog"), QStringLiteral("catalog"), true});
}

QList<history::CompanionRows::Key> RecordWriter::companionKeys() const
{
    QList<history::CompanionRows::Key> keys;
    const RecordSet& set = *m_state.current;
    for (const history::RecordCompanions::Companion& companion : history::RecordCompanions::all()) {
        if (set.hasField(companion.recordColumn))
            keys.append({companion.recordColumn, set.value(companion.recordColumn)});
    }
    return keys;
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
    m_companionsBefore = {};
    try {
        connection.beginWrite();
        catalog::WriteTransaction transaction(connection);
        QList<history::CompanionRows::Key> keys;
        if (!asNew && set.hasCurrentRow())
            keys = companionKeys(); // as stored
        if (own && CollectorSchema::ensure(db)) {
            schemaChanged = true;
            set.columnsChanged();
        } else if (own && !set.hasField(CollectorSchema::IdColumn)) {
            set.columnsChanged(); // another program added the own columns since the set was read
        }
        if (asNew)
            set.addNew();
        else
            set.edit();
        m_display.formToRecord();
        qint64 id = 0;
        qint64 copiedFrom = 0;
        if (set.hasField(CollectorSchema::IdColumn)) {
            id = set.value(CollectorSchema::IdColumn).toLongLong();
            // Shown before another program gave the row its identity (with a
            // cover, say): the row keeps the one it has.
            if (!asNew && id <= 0 && current > 0) {
                id = RecordIdentity::of(connection, current);
                if (id > 0)
                    set.setValue(CollectorSchema::IdColumn, id);
            }
            // A row copied by another tool shares its original's identity:
            // it gets one of its own, and the cover it showed with it.
            const bool copy = !asNew && id > 0 && RecordIdentity::isCopy(connection, current, id);
            if (own && (id <= 0 || copy)) {
                if (copy)
                    copiedFrom = id;
                id = RecordIdentity::next(connection);
                set.setValue(CollectorSchema::IdColumn, id);
            }
        }
        // What the companions hold for the record as stored and as it is
        // about to be, before anything of theirs is written.
        keys += companionKeys();
        m_companionsBefore = history::CompanionRows::take(connection, keys);
        if (copiedFrom > 0) {
            if (const auto cover = collection::CoverStore::load(connection, copiedFrom))
                collection::CoverStore::store(connection, id, *cover);
        }
        if (checkShown) {
            set.expect(m_display.shownValues());
            // The cover, the personal data and the tape count as the row does.
            for (const FormSection* section : m_display.sections()) {
                if (section->changedElsewhere(db, current))
                    throw EngineError(EngineError::Kind::Changed,
                                      QStringLiteral("The record has been changed elsewhere."));
            }
        }
        set.update();
        for (FormSection* section : m_display.sections())
            section->stored(db, id);
        transaction.commit();
    } catch (const EngineError&) {
        m_companionsBefore = {};
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

history::RecordSnapshot RecordWriter::deleteCurrent(const std::function<void(catalog::SqliteConnection&)>& alongside)
{
    RecordSet& set = *m_state.current;
    catalog::SqliteConnection& connection = *m_state.database->connection();
    connection.beginWrite();
    catalog::WriteTransaction transaction(connection);
    history::RecordSnapshot deleted;
    if (set.hasCurrentRow()) {
        deleted = history::RecordSnapshot::take(connection, set.bookmark());
        deleted.removeCompanions(connection);
    }
    if (alongside)
        alongside(connection);
    set.deleteRecord();
    transaction.commit();
    return deleted;
}

} // namespace quelto::editing
