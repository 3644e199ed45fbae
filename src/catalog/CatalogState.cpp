#include "catalog/CatalogState.h"

#include "catalog/EngineError.h"

namespace quelto::catalog {

RecordSet& CatalogState::optionSet(const QString& table) const
{
    const auto it = optionSets.find(table);
    if (it == optionSets.end() || !it->second)
        throw EngineError(QStringLiteral("The option list \"%1\" is not open.").arg(table));
    return *it->second;
}

} // namespace quelto::catalog
