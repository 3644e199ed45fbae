#pragma once

#include "catalog/EngineError.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_file;

namespace quelto::catalog {

class SqliteConnection;

// One prepared statement; values go in and come out as QVariant (Null as an
// invalid QVariant, text as QString, whole numbers as qlonglong, real numbers
// as double, BLOBs as QByteArray).
class SqliteStatement
{
public:
    SqliteStatement(std::shared_ptr<SqliteConnection> connection, sqlite3_stmt* statement);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    void bind(int index, const QVariant& value); // 1-based
    void bindInt64(int index, qint64 value);
    void bindBlob(int index, const QByteArray& value);
    bool step(); // true while a row is ready; throws EngineError on failure
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QVariant value(int column) const;
    qint64 int64(int column) const;
    // For the engine's own passes over a table, which read values in place.
    sqlite3_stmt* handle() const { return m_statement; }

private:
    std::shared_ptr<SqliteConnection> m_connection;
    sqlite3_stmt* m_statement;
};

// An open SQLite database with the catalogue's text order and like operator
// installed on it.
//
// Reads go through the engine's own page reads, never a memory map: a file
// that shrinks or is replaced while open gives an error, not a crash.
//
// Every write starts with beginWrite(), which refuses while writes are barred
// (a read-only, damaged or foreign-made file), waits for the checks still
// running on the file, and takes the first-change steps until a change has
// been stored: the first-write hook (the backup copy) and, for a file without
// one, the application id, written in the transaction of the change.
class SqliteConnection : public std::enable_shared_from_this<SqliteConnection>
{
public:
    enum class Mode
    {
        OpenExisting,
        OpenReadOnly,
        CreateNew
    };
    // How long a write waits for another program's lock before it gives up.
    static constexpr int LockWaitMs = 2000;

    static std::shared_ptr<SqliteConnection> open(const QString& path, Mode mode);
    ~SqliteConnection();

    const QString& path() const { return m_path; }
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
    bool inTransaction() const;
    sqlite3* handle() const { return m_db; }
    // The main file's handle as SQLite holds it, for reading the file
    // through it (opening the file a second time in this process and closing
    // it would drop the locks SQLite holds on it); nothing for a database of
    // no file.
    sqlite3_file* mainFile() const;
    // Counts the reopenings, so that holders of prepared statements know
    // when theirs belong to a closed handle.
    int generation() const { return m_generation; }

    // The error for a failed call that returned rc, with its kind told from
    // the engine's code, the system's error number and the file's state.
    EngineError failure(int rc) const;
    // Who else has the file open, as the lock message names it.
    void setOtherHolder(const QString& description) { m_otherHolder = description; }

    // Writes are refused with this error until allowWrites().
    void refuseWrites(const EngineError& reason);
    void allowWrites();
    bool writesRefused() const { return m_refusal != nullptr; }
    const EngineError* refusal() const { return m_refusal.get(); }
    // Throws the refusal, if any.
    void requireWritable() const;
    // Runs before the first write of each transaction until a change has been
    // stored: a failed first change does not use it up.
    void setFirstWriteHook(std::function<void()> hook) { m_firstWriteHook = std::move(hook); }
    // Runs before every write, before the refusal is looked at: it may wait
    // for a check still running on the file and refuse writes.
    void setWriteGate(std::function<void()> gate) { m_writeGate = std::move(gate); }
    // Run before every write, first of all: the program's own readers of
    // the file give way (a write must not wait for them).
    void addBeforeWrite(std::function<void()> hook) { m_beforeWrite.push_back(std::move(hook)); }
    // The id a file without an application id takes with its first stored change.
    void setApplicationId(int id) { m_applicationId = id; }
    // Reconnects to a file put back after it vanished, passes the write gate
    // and throws the refusal, if any: what a write checks before it locks.
    void checkWritable();
    // Before every write: reconnects to a file put back after it vanished,
    // passes the write gate, throws when writes are refused, and takes the
    // first-change steps.
    void beginWrite();
    // A change has been committed through this connection.
    bool changeStored() const { return m_stored; }

    // When the file was deleted or moved away and a file is at the path again,
    // opens that one instead. True when it did.
    bool reopenIfMoved();

private:
    SqliteConnection(sqlite3* db, QString path, Mode mode) : m_db(db), m_path(std::move(path)), m_mode(mode) {}
    static sqlite3* openHandle(const QString& path, Mode mode);
    static int onCommit(void* self);
    static void onRollback(void* self);
    void installCatalogFunctions();
    void adoptApplicationId();
    friend class SqliteStatement;

    sqlite3* m_db;
    QString m_path;
    Mode m_mode;
    int m_generation = 0;
    QString m_otherHolder;
    std::unique_ptr<EngineError> m_refusal;
    std::function<void()> m_firstWriteHook;
    std::function<void()> m_writeGate;
    std::vector<std::function<void()>> m_beforeWrite;
    int m_applicationId = 0;

    // The first-change state. A commit that fails after the commit hook has
    // run is rolled back within the same call, so the rollback hook puts back
    // what the commit hook took for stored.
    bool m_writeBegun = false;  // beginWrite() ran for the change under way
    bool m_hookRan = false;     // the first-write hook ran for it
    bool m_idWritten = false;   // the application id is written in it
    bool m_stored = false;      // a change has been committed
    bool m_idSettled = false;   // the file carries an application id
    bool m_afterCommit = false; // the commit hook ran in the call under way
    bool m_storedBefore = false;
    bool m_idSettledBefore = false;
};

} // namespace quelto::catalog
