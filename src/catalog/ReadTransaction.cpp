#include "catalog/ReadTransaction.h"

#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"

namespace quelto::catalog {

ReadTransaction::ReadTransaction(SqliteConnection& connection, Lock lock)
    : m_connection(connection.inTransaction() ? nullptr : &connection)
{
    if (!m_connection)
        return;
    m_connection->exec(QStringLiteral("begin"));
    if (lock == Lock::Now) {
        auto touch = m_connection->prepare(QStringLiteral("select count(*) from sqlite_schema"));
        touch->step();
    }
}

void ReadTransaction::finish()
{
    if (m_connection && m_connection->inTransaction()) {
        try {
            m_connection->exec(QStringLiteral("commit"));
        } catch (const EngineError&) {
        }
    }
    m_connection = nullptr;
}

} // namespace quelto::catalog
