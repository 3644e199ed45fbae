#pragma once

#include "catalog/CatalogLock.h"
#include "catalog/Database.h"
#include "catalog/MediaDefaults.h"
#include "catalog/RecordSet.h"

#include <QString>
#include <map>
#include <memory>

namespace quelto::catalog {

class IntegrityCheck;

// The state the main window shares with every command for the whole run: the
// catalogue, its option record sets, the current record set over archive and
// the pieces of the current query.
struct CatalogState
{
    static inline const QString InitialFilter = QStringLiteral(" ");
    static inline const QString InitialOrder = QStringLiteral(" ORDER by title");

    QString databasePath;
    bool newDatabase = false; // the file was created at this start

    std::unique_ptr<Database> database;
    // The engine's check of the file, running or over; writes wait for it.
    std::shared_ptr<IntegrityCheck> integrityCheck;
    std::unique_ptr<CatalogLock> lock; // none on a read-only file
    std::map<QString, std::unique_ptr<RecordSet>> optionSets; // by table name
    std::unique_ptr<RecordSet> current;

    QString filterClause = InitialFilter;
    QString orderClause = InitialOrder;
    bool filterActive = false;
    QString filterDescription;

    bool newRecordMode = false;
    MediaDefaults mediaDefaults;

    // The option record set of a list; throws EngineError for an unknown name.
    RecordSet& optionSet(const QString& table) const;
};

} // namespace quelto::catalog
