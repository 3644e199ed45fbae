#pragma once

#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

namespace quelto::catalog {

class SqliteConnection;
class SqliteStatement;

// Reads the columns of a table's row by its key, with one statement kept
// prepared for as long as the connection's schema stays, and keeps the row
// read last until it is dropped.
class KeyedRowReader
{
public:
    KeyedRowReader();
    ~KeyedRowReader();
    KeyedRowReader(const KeyedRowReader&) = delete;
    KeyedRowReader& operator=(const KeyedRowReader&) = delete;

    // The row with a key; a key no row has is thrown as EngineError of Kind::Deleted.
    const std::vector<QVariant>& row(SqliteConnection& connection, const QString& table, qint64 key);
    // Drops the row read last, so the next row() reads the file.
    void drop() { m_valid = false; }
    // Drops the row and the statement (another query, other columns).
    void reset();

private:
    std::unique_ptr<SqliteStatement> m_statement;
    int m_statementGeneration = 0;
    std::vector<QVariant> m_row;
    qint64 m_key = 0;
    bool m_valid = false;
};

} // namespace quelto::catalog
