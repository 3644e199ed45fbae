#include "catalog/CatalogLoader.h"

#include "catalog/ArchiveKeys.h"
#include "catalog/CatalogIntegrity.h"
#include "catalog/IntegrityCheck.h"
#include "catalog/KeptOrder.h"
#include "catalog/CatalogLock.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"

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

// The tables and seed rows made at start-up go in as one change: a failure
// leaves the file as it was, and the file is written once, not once a row.
class Transaction
{
public:
    explicit Transaction(Database& db) : m_connection(db.connection())
    {
        m_connection->exec(QStringLiteral("begin"));
    }
    ~Transaction()
    {
        if (m_connection) {
            try {
                m_connection->exec(QStringLiteral("rollback"));
            } catch (const EngineError&) {
            }
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit()
    {
        m_connection->exec(QStringLiteral("commit"));
        m_connection.reset();
    }

private:
    std::shared_ptr<SqliteConnection> m_connection;
};

} // namespace

void CatalogLoader::createCatalogFile(const QString& path)
{
    std::unique_ptr<Database> db = Database::create(path);
    try {
        Transaction transaction(*db);
        CatalogSchema::createCatalogTables(*db);
        transaction.commit();
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

void CatalogLoader::open(CatalogState& state, const Questions& questions)
{
    state.integrityCheck.reset();
    state.current.reset();
    state.optionSets.clear();
    state.database.reset();
    state.lock.reset();
    state.database = Database::open(state.databasePath);
    Database& db = *state.database;
    requireFixedLists(db);
    SqliteConnection& connection = *db.connection();
    const QString file = QDir::toNativeSeparators(db.path());
    if (!connection.writesRefused()) {
        state.lock = std::make_unique<CatalogLock>(db.path());
        connection.setOtherHolder(state.lock->otherHolder());
    }
    if (questions.beforeFirstWrite)
        connection.setFirstWriteHook(questions.beforeFirstWrite);

    // The checks come before the option lists are seeded: a trigger would
    // run on those writes too.
    const auto foreign = CatalogIntegrity::foreignObjects(connection);
    if (!foreign.empty() && !connection.writesRefused()) {
        const QString report = CatalogIntegrity::describe(foreign);
        if (questions.removeForeignObjects && questions.removeForeignObjects(report)) {
            CatalogIntegrity::removeForeignObjects(connection, foreign);
            db.forgetNames();
        } else {
            connection.refuseWrites(EngineError(
                EngineError::Kind::Hostile,
                QStringLiteral("The catalogue \"%1\" carries triggers, views or indexes that Quelto did not make; "
                               "Quelto changes nothing in it until they are removed:\n%2")
                    .arg(file, report)));
        }
    }
    // The engine's quick check takes a while on a large file: it runs once
    // the first record is found, beside whatever the window does next, and
    // every write waits for it.
    state.integrityCheck = std::make_shared<IntegrityCheck>(db.connection(), questions.writeToDamagedFile);
    state.integrityCheck->guardWrites();

    // The order the last run that changed the file left: opening needs no sort.
    KeptOrder::restore(connection);

    state.filterClause = CatalogState::InitialFilter;
    state.orderClause = CatalogState::InitialOrder;
    state.filterActive = false;
    {
        Transaction transaction(db);
        for (const OptionListDef& list : CatalogSchema::optionLists())
            state.optionSets[list.table] = CatalogSchema::openOptionList(db, list);
        state.current = CatalogSchema::openWithRecovery(db, currentQuery(state), QStringLiteral("archive"),
                                                        [&db] { CatalogSchema::createArchiveTable(db); });
        transaction.commit();
    }
    // The program's own lists: from the file, or in memory until first used.
    for (const OptionListDef& list : CatalogSchema::ownOptionLists())
        state.optionSets[list.table] = CatalogSchema::openOwnOptionList(db, list);
    // The set holds every record: the counter starts from its size.
    ArchiveKeys::install(db);
    ArchiveKeys::knowCount(connection, state.current->recordCount());
    // An empty set refuses the moves; the count is complete either way.
    try {
        state.current->moveLast();
        state.current->moveFirst();
    } catch (const EngineError&) {
    }
    state.integrityCheck->start();
}

} // namespace quelto::catalog
