#pragma once

#include "history/ArchiveRow.h"

#include <vector>

namespace quelto::history {

// A record as a whole: its archive row with every column it has, and the
// rows of its companion tables (RecordCompanions).
struct RecordSnapshot
{
    ArchiveRow row;
    std::vector<ArchiveRow> companions;

    bool isValid() const { return row.isValid(); }
    QString describe() const { return row.describe(); }

    // The record with the key as it is stored now; invalid when it is gone.
    // Companion rows keyed by a value another archive row shares stay out:
    // they belong to that row as well.
    static RecordSnapshot take(catalog::SqliteConnection& connection, qint64 rowid);
    // Removes the companions' rows (the caller removes the archive row).
    void removeCompanions(catalog::SqliteConnection& connection) const;
    // Removes the record with its companions; false when it was gone.
    bool remove(catalog::SqliteConnection& connection) const;
    // Puts the record and its companions back; the key of the row, which is
    // its old one when that is free. Inside a write transaction.
    qint64 restore(catalog::SqliteConnection& connection);
};

} // namespace quelto::history
