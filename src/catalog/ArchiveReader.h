#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace quelto::catalog {

class SqliteConnection;

// Reads rows of archive one at a time, for the long commands that go through
// a whole record set (exports, printed lists, an import's search for records
// it holds already) on a worker thread. It reads on a connection of its own,
// opened read-only, inside one read transaction, so that it sees one state of
// the file and never holds up the window's connection. Only the current row
// is in memory.
class ArchiveReader
{
public:
    // columns: what each row holds; a column archive lacks reads as Null.
    // Throws EngineError when the file cannot be read.
    ArchiveReader(const QString& path, const QStringList& columns);
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // What to read: the rows with these keys in this order (a key whose row is
    // gone is passed over), the rows of an SQL text "select * from archive ..."
    // as SQLite reads it (Database::translate), or every row in table order.
    void readKeys(std::vector<qint64> keys);
    void readQuery(const QString& translatedSql);
    void readAll();

    // Moves to the next row; false after the last one.
    bool next();
    qint64 rowid() const;
    bool isNull(int column) const;
    // The column's text as UTF-8, valid until the next move; empty for Null.
    QByteArrayView utf8(int column) const;
    QString text(int column) const; // Null reads as empty
    QVariant value(int column) const;
    int columnCount() const { return int(m_columns.size()); }
    const QStringList& columns() const { return m_columns; }

    // For progress: keys given and keys passed so far (0 when reading a query).
    qint64 keyCount() const { return qint64(m_keys.size()); }
    qint64 keysDone() const { return qint64(m_nextKey); }
    // The largest rowid of archive: with readAll() rows come in rowid order.
    qint64 maxRowid();

    SqliteConnection& connection() { return *m_connection; }

    // The row keys a key query ("select rowid from archive ...", as
    // RecordSet::keyQuery() gives it) finds, read on a connection of its own:
    // a record set's rows after a long command changed the file, found off
    // the window's thread.
    static std::vector<qint64> keysOf(const QString& path, const QString& keyQuery);

private:
    void prepare(const QString& sql);
    void finish();
    QString selectList() const;

    std::shared_ptr<SqliteConnection> m_connection;
    QStringList m_columns;
    std::vector<int> m_statementColumn; // per column: its column in the statement, or -1
    sqlite3_stmt* m_statement = nullptr;
    bool m_inTransaction = false;
    bool m_byKey = false;
    bool m_onRow = false;
    std::vector<qint64> m_keys;
    size_t m_nextKey = 0;
};

} // namespace quelto::catalog
