#pragma once

#include <QString>
#include <QVariant>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace quelto::catalog {

class SqliteConnection;

// One prepared statement; values go in and come out as QVariant (Null as an
// invalid QVariant, text as QString, whole numbers as qlonglong).
class SqliteStatement
{
public:
    SqliteStatement(std::shared_ptr<SqliteConnection> connection, sqlite3_stmt* statement);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    void bind(int index, const QVariant& value); // 1-based
    void bindInt64(int index, qint64 value);
    bool step(); // true while a row is ready; throws EngineError on failure
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QVariant value(int column) const;
    qint64 int64(int column) const;

private:
    std::shared_ptr<SqliteConnection> m_connection;
    sqlite3_stmt* m_statement;
};

// An open SQLite database with the catalogue's text order and like operator
// installed on it.
class SqliteConnection : public std::enable_shared_from_this<SqliteConnection>
{
public:
    enum class Mode
    {
        OpenExisting,
        CreateNew
    };
    static std::shared_ptr<SqliteConnection> open(const QString& path, Mode mode);
    ~SqliteConnection();

    void exec(const QString& sql);
    std::unique_ptr<SqliteStatement> prepare(const QString& sql);
    qint64 lastInsertRowId() const;
    int changes() const;
    // Rows changed through this connection since it was opened.
    qint64 totalChanges() const;
    // Makes a statement running on another thread stop with an error.
    void interrupt();
    QString errorMessage() const;
    bool isReadOnly() const;
    sqlite3* handle() const { return m_db; }

private:
    explicit SqliteConnection(sqlite3* db) : m_db(db) {}
    void installCatalogFunctions();

    sqlite3* m_db;
};

} // namespace quelto::catalog
