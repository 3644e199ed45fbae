#pragma once

#include "history/CatalogChange.h"
#include "history/RecordSnapshot.h"

namespace quelto::history {

// A record deleted through the window, kept whole: every column of its row
// and its companions' rows.
class RecordDeletion : public CatalogChange
{
public:
    explicit RecordDeletion(RecordSnapshot deleted);

    QString name() const override; // Delete "Casablanca (1942)"
    void undo(catalog::SqliteConnection& connection, bool force) override;
    void redo(catalog::SqliteConnection& connection, bool force) override;
    qint64 record() const override { return m_record.row.rowid; }
    qint64 recordAfterUndo() const override { return m_record.row.rowid; }

private:
    RecordSnapshot m_record;
};

} // namespace quelto::history
