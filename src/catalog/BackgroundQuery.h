#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

namespace quelto::tasks {
class TaskControl;
}

namespace quelto::catalog {

class SqliteConnection;

// A query run away from the window's thread, on a read-only connection of
// its own to the catalogue file: the rows of a search or sort as
// ArchiveQuery answers it (or SQLite, for a query it leaves to SQLite), and
// a column's values. Cancel interrupts the query under way (TaskCancelled).
// Throws EngineError.
class BackgroundQuery
{
public:
    // The row keys of a translated (Database::translate) "select * from TABLE ...".
    static std::vector<qint64> keys(const QString& path, const QString& translatedSql,
                                    tasks::TaskControl& control);
    // The columns of the rows of a translated "select * from TABLE ...", one
    // list of values a row, in the query's order.
    static std::vector<QVariantList> rows(const QString& path, const QString& translatedSql,
                                          const QStringList& columns, tasks::TaskControl& control);
    // The same on a connection the caller has (the window's, for a query it
    // must answer at once).
    static std::vector<QVariantList> rows(SqliteConnection& connection, const QString& translatedSql,
                                          const QStringList& columns, tasks::TaskControl* control = nullptr);
    // The values of a translated query's first column, one a row.
    static std::vector<QVariant> values(const QString& path, const QString& translatedSql,
                                        tasks::TaskControl& control);
    // Any reading work on a connection of its own to the file, cancelled as
    // the others are.
    static void run(const QString& path, tasks::TaskControl& control,
                    const std::function<void(SqliteConnection&)>& work);
};

} // namespace quelto::catalog
