#pragma once

#include "history/ArchiveRow.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <vector>

namespace quelto::history {

// What the companion tables (RecordCompanions, shared ones included) hold
// for some of a record's key values: the rows a save may change beside the
// archive row (its cover, its tape's length). Taken before and after a save
// with the keys of both states (a save may give the record another media ID
// or a first identity), so that undo and redo put back exactly those rows.
class CompanionRows
{
public:
    struct Key
    {
        QString column; // the archive column a companion names the record by
        QVariant value;
    };

    // The companions' rows for the keys, as the file holds them now (of the
    // shared companions only, when asked). A Null or empty value names
    // nothing; a missing table holds nothing.
    static CompanionRows take(catalog::SqliteConnection& connection, const QList<Key>& keys, bool sharedOnly = false);
    // The same rows as they are now.
    CompanionRows again(catalog::SqliteConnection& connection) const
    {
        return take(connection, m_keys, m_sharedOnly);
    }
    // These rows without those of companions that are the record's own.
    CompanionRows sharedOnly() const;

    const QList<Key>& keys() const { return m_keys; }
    bool sameData(const CompanionRows& other) const;

    // Replaces the rows the file holds for these keys with these, inside the
    // caller's write transaction. A table gone since is passed over.
    void restore(catalog::SqliteConnection& connection) const;

private:
    struct Part
    {
        QString table;
        QString keyColumn;
        QVariant key;
        bool shared = false;
        std::vector<ArchiveRow> rows;
    };

    QList<Key> m_keys;
    bool m_sharedOnly = false;
    std::vector<Part> m_parts;
};

} // namespace quelto::history
