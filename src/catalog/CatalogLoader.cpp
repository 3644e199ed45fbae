#include "catalog/CatalogLoader.h"

#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"

#include <QDir>
#include <QFile>

namespace quelto::catalog {
namespace {

// A list without the recovery rule cannot be made up for: the file is refused
// before any list is seeded, so it stays untouched.
void requireFixedLists(Database& db)
{
    for (const OptionListDef& list : CatalogSchema::optionLists()) {
        if (!list.createdWhenMissing && !db.hasTable(list.table))
            throw EngineError(QStringLiteral("The file \"%1\" is not a Quelto catalogue: it has no option list \"%2\".")
                                  .arg(QDir::toNativeSeparators(db.path()), list.table));
    }
}

} // namespace

void CatalogLoader::createCatalogFile(const QString& path)
{
    std::unique_ptr<Database> db = Database::create(path);
    try {
        CatalogSchema::createCatalogTables(*db);
    } catch (const EngineError& error) {
        db->close();
        QFile::remove(path);
        throw EngineError(QStringLiteral("Cannot create the catalogue \"%1\": %2")
                              .arg(QDir::toNativeSeparators(path), error.message()));
    }
    db->close();
}

void CatalogLoader::checkCatalogFile(const QString& path)
{
    std::unique_ptr<Database> db = Database::open(path);
    requireFixedLists(*db);
    db->close();
}

QString CatalogLoader::currentQuery(const CatalogState& state)
{
    return CatalogSchema::ArchiveQuery + state.filterClause + state.orderClause;
}

void CatalogLoader::open(CatalogState& state)
{
    state.current.reset();
    state.optionSets.clear();
    state.database = Database::open(state.databasePath);
    Database& db = *state.database;
    requireFixedLists(db);

    for (const OptionListDef& list : CatalogSchema::optionLists())
        state.optionSets[list.table] = CatalogSchema::openOptionList(db, list);

    state.filterClause = CatalogState::InitialFilter;
    state.orderClause = CatalogState::InitialOrder;
    state.filterActive = false;
    state.current = CatalogSchema::openWithRecovery(db, currentQuery(state), QStringLiteral("archive"),
                                                    [&db] { CatalogSchema::createArchiveTable(db); });
    // An empty set refuses the moves; the count is complete either way.
    try {
        state.current->moveLast();
        state.current->moveFirst();
    } catch (const EngineError&) {
    }
}

} // namespace quelto::catalog
