#pragma once

#include "collection/RecordExtras.h"

#include <QString>

namespace quelto::catalog {
struct CatalogState;
}

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
    // Deletes the current row and its cover; returns what was removed beside
    // the row, so that an undo can put it back (RecordExtras::restore).
    collection::RecordExtras deleteCurrent();

private:
    void store(bool asNew, bool checkShown);
    bool needsOwnStorage() const;

    catalog::CatalogState& m_state;
    RecordDisplay& m_display;
};

} // namespace quelto::editing
