#pragma once

#include "history/ArchiveRow.h"
#include "history/CatalogChange.h"
#include "history/CompanionRows.h"

namespace quelto::history {

// Save of a shown record: the row before and after, and what its companion
// tables held for it before and after (its cover, its tape's length).
class RecordEdit : public CatalogChange
{
public:
    RecordEdit(ArchiveRow before, ArchiveRow after, CompanionRows companionsBefore = {},
               CompanionRows companionsAfter = {});

    QString name() const override; // Save "Casablanca (1942)"
    void undo(catalog::SqliteConnection& connection, bool force) override;
    void redo(catalog::SqliteConnection& connection, bool force) override;
    qint64 record() const override { return m_after.rowid; }
    qint64 recordAfterUndo() const override { return m_before.rowid; }
    qint64 recordAfterRedo() const override { return m_after.rowid; }

private:
    // Puts target in place of expected; the row may have gone meanwhile.
    void replace(catalog::SqliteConnection& connection, const ArchiveRow& expected, ArchiveRow& target,
                 const CompanionRows& expectedCompanions, const CompanionRows& targetCompanions, bool force);

    ArchiveRow m_before;
    ArchiveRow m_after;
    CompanionRows m_companionsBefore;
    CompanionRows m_companionsAfter;
};

} // namespace quelto::history
