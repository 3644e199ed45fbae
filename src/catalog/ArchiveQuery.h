#pragma once

#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

namespace quelto::tasks {
class TaskControl;
}

namespace quelto::catalog {

class SqliteConnection;

// Answers the queries over archive that the window asks most (every search,
// sort, the quick filter, All Data, the label lookup and the list of a
// column's values) with one pass over the table and the sorting done here,
// instead of SQLite's row-by-row evaluation with the catalogue's Unicode
// like and collation (ArchiveQueryPlan says which). Results are exactly
// SQLite's: the same rows, ordered by the same comparison, rows that compare
// equal in the order of their keys. What a pass learns is kept in the
// OrderCache for the next query on the unchanged file.
//
// Safe to call on any thread with a connection of that thread. With a task
// control it reports its progress and stops (TaskCancelled) when asked.
class ArchiveQuery
{
public:
    // The row keys of a translated "select * from archive ..." in its order;
    // nothing when the query is not one of those (SQLite answers it then).
    // Throws EngineError.
    static std::optional<std::vector<qint64>> keys(SqliteConnection& connection, const QString& translatedSql,
                                                   tasks::TaskControl* control = nullptr);

    // The values of "select c from archive group by c order by c", one for
    // each group of values the column's collation calls equal (the one of the
    // group's first row), Null first; nothing for other queries.
    static std::optional<std::vector<QVariant>> groupValues(SqliteConnection& connection,
                                                            const QString& translatedSql,
                                                            tasks::TaskControl* control = nullptr);

    // The number of records, when a pass has counted them in the file as it
    // is now.
    static std::optional<qint64> knownCount(SqliteConnection& connection);
};

} // namespace quelto::catalog
