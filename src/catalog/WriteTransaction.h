#pragma once

#include <memory>

namespace quelto::catalog {

class SqliteConnection;

// A write transaction that takes the file's write lock at once ("begin
// immediate"), so that what is read in it cannot change before it is written,
// and passes the connection's write checks (SqliteConnection::beginWrite):
// a refused file is not locked, let alone written. Inside a transaction the
// caller already runs it only passes the checks. Rolled back unless committed.
class WriteTransaction
{
public:
    explicit WriteTransaction(SqliteConnection& connection);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    void commit();

private:
    void rollbackQuietly();

    SqliteConnection* m_connection; // null when the transaction is not ours or is over
};

} // namespace quelto::catalog
