#pragma once

#include "history/CompanionRows.h"
#include "history/RecordSnapshot.h"

#include <QString>
#include <functional>

namespace quelto::catalog {
struct CatalogState;
class SqliteConnection;
} // namespace quelto::catalog

namespace quelto::editing {

class RecordDisplay;

// Stores and deletes records with everything that belongs to them: the row of
// archive, the program's own columns (added to the file by the first store
// that needs them), the record's identity and the data kept beside archive
// (the cover, the tape's length), all in one write transaction. Every failure
// is thrown as EngineError; then nothing is stored, and the current record
// set and its edit buffer are as they were.
class RecordWriter
{
public:
    RecordWriter(catalog::CatalogState& state, RecordDisplay& display);

    // The first problem a section of the form has with what was typed
    // (the section shows its field); empty when everything can be stored.
    QString problem() const;

    // The shown fields as a new row of the current record set; the row is
    // the set's lastModified() afterwards.
    void storeNew();
    // The shown fields into the current row; with checkShown only while the
    // row still holds what was shown (else Kind::Changed or Kind::Deleted).
    void storeCurrent(bool checkShown);
    // What the companion tables held, just before the last store wrote, for
    // the record's keys before and after it (its identity, its media ID):
    // with again() after the store, what an undo of the save puts back.
    const history::CompanionRows& companionsBefore() const { return m_companionsBefore; }
    // Deletes the current row with its companions' rows (the cover); returns
    // the record as it was, whole, so that an undo can put it back.
    // alongside runs inside the delete's write transaction.
    history::RecordSnapshot deleteCurrent(const std::function<void(catalog::SqliteConnection&)>& alongside = {});

private:
    void store(bool asNew, bool checkShown);
    bool needsOwnStorage() const;
    // The current values of the archive columns companions name records by.
    QList<history::CompanionRows::Key> companionKeys() const;

    catalog::CatalogState& m_state;
    RecordDisplay& m_display;
    history::CompanionRows m_companionsBefore;
};

} // namespace quelto::editing
