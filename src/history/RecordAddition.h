#pragma once

#include "history/CatalogChange.h"
#include "history/RecordSnapshot.h"

namespace quelto::history {

// A new record stored through the window.
class RecordAddition : public CatalogChange
{
public:
    explicit RecordAddition(RecordSnapshot added);

    QString name() const override; // New Record "Casablanca (1942)"
    void undo(catalog::SqliteConnection& connection, bool force) override;
    void redo(catalog::SqliteConnection& connection, bool force) override;
    qint64 recordAfterRedo() const override { return m_record.row.rowid; }

private:
    RecordSnapshot m_record;
};

} // namespace quelto::history
