#include "catalog/OpeningPrefetch.h"

#include "catalog/ArchiveQuery.h"
#include "catalog/CatalogFileCheck.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/KeptOrder.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"

namespace quelto::catalog {

OpeningPrefetch::OpeningPrefetch(const QString& path)
{
    if (!path.isEmpty() && CatalogFileCheck::inspect(path) == CatalogFileCheck::Kind::SqliteDatabase) {
        m_finished = false;
        m_thread = std::thread([this, path] {
            run(path);
            m_finished = true;
        });
    }
}

OpeningPrefetch::~OpeningPrefetch()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        if (m_connection)
            m_connection->interrupt();
    }
    wait();
}

void OpeningPrefetch::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

void OpeningPrefetch::run(const QString& path)
{
    try {
        std::shared_ptr<SqliteConnection> connection = SqliteConnection::open(path, SqliteConnection::Mode::OpenReadOnly);
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping)
                return;
            m_connection = connection;
        }
        // As the opening does: the order the last run left, else one pass and the sort.
        KeptOrder::restore(*connection);
        const QString query = CatalogSchema::ArchiveQuery + CatalogState::InitialFilter + CatalogState::InitialOrder;
        ArchiveQuery::keys(*connection, SqlTranslator().translate(query));
    } catch (...) {
        // Interrupted, or a fault the opening meets again and reports.
    }
    std::lock_guard lock(m_mutex);
    m_connection.reset();
}

} // namespace quelto::catalog
