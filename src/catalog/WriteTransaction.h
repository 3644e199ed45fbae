#pragma once

#include <memory>

namespace quelto::catalog {

class SqliteConnection;

// A write transaction that takes the file's write lock at once ("begin
// immediate"), so that what is read in it cannot change before it is written.
// Inside a transaction the caller already runs it does nothing of its own.
// Rolled back unless committed.
class WriteTransaction
{
public:
    explicit WriteTransaction(SqliteConnection& connection);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    void commit();

private:
    SqliteConnection* m_connection; // null when the transaction is not ours or is over
};

} // namespace quelto::catalog
