#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::history {

// One row of a table as it was read: every column that holds data, by name,
// with its row key. The engine's helper columns (sort keys, search text) are
// left out: the program's triggers make them again from the data.
struct ArchiveRow
{
    QString table = QStringLiteral("archive");
    qint64 rowid = 0;
    QStringList columns;
    std::vector<QVariant> values;

    bool isValid() const { return rowid != 0 && !columns.isEmpty(); }
    QVariant value(const QString& column) const;
    // Same data, column by column (the key aside).
    bool sameData(const ArchiveRow& other) const;

    // "Casablanca (1942)"; the year only when there is one.
    QString describe() const;

    // The row with the key, or an invalid row when there is none.
    static ArchiveRow read(catalog::SqliteConnection& connection, qint64 rowid,
                           const QString& table = QStringLiteral("archive"));
    // Every row of a table whose column holds the value.
    static std::vector<ArchiveRow> readWhere(catalog::SqliteConnection& connection, const QString& table,
                                             const QString& column, const QVariant& value);
    // Every row of a table, in key order.
    static std::vector<ArchiveRow> readAll(catalog::SqliteConnection& connection, const QString& table);
    // Puts the row back, under its own key when that is free, with the
    // columns the table has now. Returns the key it got. Run inside a write
    // transaction.
    qint64 insert(catalog::SqliteConnection& connection) const;
    // Writes the row's data over the row with its key; false when that row is gone.
    bool overwrite(catalog::SqliteConnection& connection) const;
    // Removes the row with its key; false when it was gone already.
    bool remove(catalog::SqliteConnection& connection) const;

    // Whether a column is one of the engine's helpers rather than data.
    static bool isHelperColumn(const QString& column);
    static QStringList columnsOf(catalog::SqliteConnection& connection, const QString& table);
};

} // namespace quelto::history
