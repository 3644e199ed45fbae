#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace quelto::catalog {

class Database;
class RecordSet;

// A default row of an option list.
struct SeedRow
{
    QString text;
    int ordinal;
};

// One option list: its table, the query its record set is opened with (in the
// order start-up opens them), its default rows, and whether an older file that
// lacks the table gains it on opening.
struct OptionListDef
{
    QString table;
    QString query;
    std::vector<SeedRow> seeds;
    bool createdWhenMissing;
};

// The tables of a catalogue: the record table archive and fourteen option lists.
class CatalogSchema
{
public:
    static inline const QString ArchiveQuery = QStringLiteral("select * from archive");

    // The 24 text columns of archive, in table order.
    static const QStringList& archiveColumns();
    // The option lists in the order start-up opens them.
    static const std::vector<OptionListDef>& optionLists();
    static const OptionListDef& optionList(const QString& table);
    // The option-list tables in the order a new file receives them.
    static const QStringList& creationOrder();

    // A table with the columns text (text) and ordinal (16-bit integer).
    static void createOptionTable(Database& db, const QString& name);
    // The table archive with its 24 text columns.
    static void createArchiveTable(Database& db);
    // Every table of a new catalogue: the fourteen option lists, then archive.
    static void createCatalogTables(Database& db);

    // Adds the default rows to a freshly opened, empty option record set and
    // re-runs its query; a set that holds any row is left alone.
    static void seedIfEmpty(RecordSet& set, const std::vector<SeedRow>& seeds);

    // Opens a record set; if that fails because the file lacks the table,
    // runs create and opens again (a second failure goes to the caller).
    static std::unique_ptr<RecordSet> openWithRecovery(Database& db, const QString& sql, const QString& table,
                                                       const std::function<void()>& create);
    // Opens an option list's record set under its rules, seeded.
    static std::unique_ptr<RecordSet> openOptionList(Database& db, const OptionListDef& list);

    // The program's own option lists (quelto_olocation, quelto_ocondition,
    // quelto_otapelength). They are offered from the first start, but a file
    // holds them only once the user edits one or first stores data of the
    // program's own; until then their rows live in a TEMP table of the
    // connection, and nothing is written to the file.
    static const std::vector<OptionListDef>& ownOptionLists();
    // The file's table when it has one (as it stands, even empty), otherwise
    // the seed rows in a TEMP table of the same name.
    static std::unique_ptr<RecordSet> openOwnOptionList(Database& db, const OptionListDef& list);
    // Whether an own list lives only in memory so far.
    static bool isHeldInMemory(Database& db, const QString& table);
    // Writes the own lists still held in memory into the file, with the rows
    // they hold now; inside the caller's write transaction. Open record sets
    // over them see the file's table after a requery. True if it wrote any.
    // With a table named, only that list.
    static bool storeOwnOptionLists(Database& db, const QString& table = {});
};

} // namespace quelto::catalog
