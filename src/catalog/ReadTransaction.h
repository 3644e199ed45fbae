#pragma once

namespace quelto::catalog {

class SqliteConnection;

// A read transaction for as long as it lives, unless the connection is in
// one already: every statement meanwhile sees the same file, and no other
// program commits between them. SQLite takes the read lock at the first
// read; Lock::Now takes it at once, so that what is read next (the file's
// header through its handle) belongs to the same state of the file.
class ReadTransaction
{
public:
    enum class Lock
    {
        AtFirstRead,
        Now
    };
    explicit ReadTransaction(SqliteConnection& connection, Lock lock = Lock::AtFirstRead);
    ~ReadTransaction() { finish(); }
    // Ends it early: what is to be read has been read.
    void finish();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    SqliteConnection* m_connection;
};

} // namespace quelto::catalog
