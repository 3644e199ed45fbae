#include "history/CatalogChange.h"

#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"

namespace quelto::history {

CatalogChange::~CatalogChange() = default;

void CatalogChange::inWriteTransaction(catalog::SqliteConnection& connection, const std::function<void()>& write)
{
    connection.beginWrite();
    catalog::WriteTransaction transaction(connection);
    write();
    transaction.commit();
}

void CatalogChange::changedSince(const QString& what)
{
    throw catalog::EngineError(catalog::EngineError::Kind::Changed, what);
}

} // namespace quelto::history
