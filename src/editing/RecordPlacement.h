#pragma once

#include <QString>

namespace quelto::catalog {
class RecordSet;
class SqliteConnection;
} // namespace quelto::catalog

namespace quelto::editing {

// A saved record takes its place in the order of the record set on show,
// without running the set's query again: a binary search over the set's rows
// in which SQLite itself compares two rows by the set's order clause, so the
// place is the one the query would give. About twenty two-row queries on a
// million records.
//
// The record stays in the set even when it no longer matches the search in
// force; the next search or sort leaves it out. Without an order clause it
// stays where it is. Among rows equal in the order its place may differ from
// the one the query would give them.
class RecordPlacement
{
public:
    // Moves the row with the key to its place and makes it the current row.
    static void place(catalog::RecordSet& set, catalog::SqliteConnection& connection, qint64 key);

    // The last "order by ..." of an SQL text, outside literals and quoted
    // names; empty when there is none.
    static QString orderClause(const QString& sql);
};

} // namespace quelto::editing
