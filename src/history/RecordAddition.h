#pragma once

#include "history/CatalogChange.h"
#include "history/CompanionRows.h"
#include "history/RecordSnapshot.h"

namespace quelto::history {

// A new record stored through the window, with what its save changed in
// shared companion tables (the tape's length), before and after.
class RecordAddition : public CatalogChange
{
public:
    explicit RecordAddition(RecordSnapshot added, CompanionRows companionsBefore = {},
                            CompanionRows companionsAfter = {});

    QString name() const override; // New Record "Casablanca (1942)"
    void undo(catalog::SqliteConnection& connection, bool force) override;
    void redo(catalog::SqliteConnection& connection, bool force) override;
    qint64 record() const override { return m_record.row.rowid; }
    qint64 recordAfterRedo() const override { return m_record.row.rowid; }

private:
    RecordSnapshot m_record;
    CompanionRows m_companionsBefore;
    CompanionRows m_companionsAfter;
};

} // namespace quelto::history
