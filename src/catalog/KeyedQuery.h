#pragma once

#include <QString>

namespace quelto::catalog {

// A translated "select * from TABLE rest" over one table: its rows are kept
// by row key, and a set of them is updatable. Any other query (a column
// list, grouping, a join, a union) is not keyed.
struct KeyedQuery
{
    QString table;    // unquoted; empty when the query is not keyed
    QString keyQuery; // "select rowid from TABLE rest", as SQLite reads it

    static KeyedQuery parse(const QString& translatedSql);
};

} // namespace quelto::catalog
