#include "catalog/WriteTransaction.h"

#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"

namespace quelto::catalog {

WriteTransaction::WriteTransaction(SqliteConnection& connection)
    : m_connection(connection.inTransaction() ? nullptr : &connection)
{
    if (m_connection) {
        // The refusal first: a barred file is not even locked.
        connection.checkWritable();
        m_connection->exec(QStringLiteral("begin immediate"));
    }
    try {
        connection.beginWrite();
    } catch (...) {
        rollbackQuietly();
        throw;
    }
}

void WriteTransaction::rollbackQuietly()
{
    if (!m_connection || !m_connection->inTransaction())
        return;
    try {
        m_connection->exec(QStringLiteral("rollback"));
    } catch (const EngineError&) {
    }
    m_connection = nullptr;
}

WriteTransaction::~WriteTransaction() { rollbackQuietly(); }

void WriteTransaction::commit()
{
    if (!m_connection)
        return;
    SqliteConnection* connection = m_connection;
    m_connection = nullptr;
    try {
        connection->exec(QStringLiteral("commit"));
    } catch (const EngineError&) {
        if (connection->inTransaction()) {
            try {
                connection->exec(QStringLiteral("rollback"));
            } catch (const EngineError&) {
            }
        }
        throw;
    }
}

} // namespace quelto::catalog
